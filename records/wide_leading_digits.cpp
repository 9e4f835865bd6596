// wide_leading_digits: the first 18 significant digits of m x 2^e from its
// complete decimal expansion, for any finite nonzero float.
//
// For e >= 0 the value is the integer m x 2^e (below 2^128). For e < 0 it is
// m x 5^k / 10^k with k = -e, so its decimal digits are those of the integer
// m x 5^k and only the decimal exponent moves. Either integer fits in a
// fixed 384-bit number held as twelve 32-bit limbs, and is written in
// decimal nine digits at a time.
#include "records/leading_digits.h"

#include <array>
#include <bit>
#include <cstddef>

namespace sotra {
namespace {

// ---- Fixed-size unsigned integer ------------------------------------------

// 2^24 x 5^149 < 2^371, so twelve 32-bit limbs (384 bits) always suffice.
constexpr int kLimbs = 12;

struct Wide {
    std::array<std::uint32_t, kLimbs> limb{};  // least significant first
    int used = 0;                              // limbs in use; 0 means the value 0
};

constexpr void multiply_small(Wide& w, std::uint32_t factor) {
    std::uint64_t carry = 0;
    for (int i = 0; i < w.used; ++i) {
        const std::uint64_t product = std::uint64_t{w.limb[i]} * factor + carry;
        w.limb[i] = static_cast<std::uint32_t>(product);
        carry = product >> 32;
    }
    if (carry != 0) {
        w.limb[w.used++] = static_cast<std::uint32_t>(carry);
    }
}

// Divides by 10^9 in place and returns the remainder. The divisor is a
// constant, so the compiler replaces the division by a multiplication.
std::uint32_t divide_by_billion(Wide& w) {
    constexpr std::uint64_t kBillion = 1'000'000'000;
    std::uint64_t remainder = 0;
    for (int i = w.used - 1; i >= 0; --i) {
        const std::uint64_t part = (remainder << 32) | w.limb[i];
        w.limb[i] = static_cast<std::uint32_t>(part / kBillion);
        remainder = part % kBillion;
    }
    while (w.used > 0 && w.limb[w.used - 1] == 0) {
        --w.used;
    }
    return static_cast<std::uint32_t>(remainder);
}

// 5^0 .. 5^149: the powers needed for every negative binary exponent.
constexpr int kMaxFivePower = 149;

constexpr std::array<Wide, kMaxFivePower + 1> make_powers_of_five() {
    std::array<Wide, kMaxFivePower + 1> powers{};
    powers[0].limb[0] = 1;
    powers[0].used = 1;
    for (int k = 1; k <= kMaxFivePower; ++k) {
        powers[k] = powers[k - 1];
        multiply_small(powers[k], 5);
    }
    return powers;
}

constexpr std::array<Wide, kMaxFivePower + 1> kPowersOfFive = make_powers_of_five();

// m x 2^shift for m < 2^24 and 0 <= shift <= 104.
Wide shifted(std::uint32_t m, int shift) {
    Wide w;
    const int whole = shift / 32;
    const int part = shift % 32;
    const std::uint64_t moved = std::uint64_t{m} << part;
    w.limb[whole] = static_cast<std::uint32_t>(moved);
    w.limb[whole + 1] = static_cast<std::uint32_t>(moved >> 32);
    w.used = w.limb[whole + 1] != 0 ? whole + 2 : whole + 1;
    return w;
}

// ---- Decimal digits of an integer -------------------------------------------

// A 384-bit integer has at most 116 decimal digits: 13 groups of nine.
constexpr int kMaxDecimalDigits = 13 * 9;

struct DecimalText {
    std::array<char, kMaxDecimalDigits> buffer{};
    int first = kMaxDecimalDigits;  // digits are buffer[first .. end), no leading zeros

    int count() const { return kMaxDecimalDigits - first; }
    char at(int i) const { return buffer[first + i]; }
};

// w must be nonzero; it is consumed.
DecimalText decimal_text(Wide& w) {
    DecimalText text;
    while (w.used > 0) {
        std::uint32_t group = divide_by_billion(w);
        for (int i = 0; i < 9; ++i) {
            text.buffer[--text.first] = static_cast<char>('0' + group % 10);
            group /= 10;
        }
    }
    while (text.buffer[text.first] == '0') {
        ++text.first;
    }
    return text;
}

constexpr int kCutDigits = 18;

}  // namespace

LeadingDigits wide_leading_digits(std::uint32_t m, int e) {
    // 1. Trailing zero bits of m move into e, which keeps the power of five
    //    small.
    const int zero_bits = std::countr_zero(m);
    m >>= zero_bits;
    e += zero_bits;

    // 2. The exact digits: those of m x 2^e, or of m x 5^k with the decimal
    //    point k places further left.
    Wide n;
    int k = 0;
    if (e >= 0) {
        n = shifted(m, e);
    } else {
        k = -e;
        n = kPowersOfFive[k];
        multiply_small(n, m);
    }
    const DecimalText exact = decimal_text(n);

    // 3. The first 18 of them, cut off, padded with zeros.
    std::uint64_t digits = 0;
    for (int i = 0; i < kCutDigits; ++i) {
        digits = digits * 10 + static_cast<std::uint64_t>(i < exact.count() ? exact.at(i) - '0' : 0);
    }
    return LeadingDigits{digits, exact.count() - k};
}

}  // namespace sotra
