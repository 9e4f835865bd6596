// real_digits: the sign, significant decimal digits and decimal exponent of
// the exact value of a single-precision real.
//
// A finite float is m x 2^e with an integer m < 2^24. For e >= 0 the value is
// the integer m x 2^e (below 2^128). For e < 0 it is m x 5^k / 10^k with
// k = -e, so its decimal digits are those of the integer m x 5^k and only the
// decimal exponent moves. Either integer fits in a fixed 384-bit number held
// as twelve 32-bit limbs, and is written in decimal nine digits at a time.
#include "records/decimal_rendering.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

namespace sotra {
namespace {

// ---- Fixed-size unsigned integer ------------------------------------------

// 2^24 x 5^149 < 2^371, so twelve 32-bit limbs (384 bits) always suffice.
constexpr int kLimbs = 12;

struct Wide {
    std::array<uint32_t, kLimbs> limb{};  // least significant first
    int used = 0;                         // limbs in use; 0 means the value 0
};

constexpr void multiply_small(Wide& w, uint32_t factor) {
    uint64_t carry = 0;
    for (int i = 0; i < w.used; ++i) {
        const uint64_t product = uint64_t{w.limb[i]} * factor + carry;
        w.limb[i] = static_cast<uint32_t>(product);
        carry = product >> 32;
    }
    if (carry != 0) {
        w.limb[w.used++] = static_cast<uint32_t>(carry);
    }
}

// Divides by 10^9 in place and returns the remainder. The divisor is a
// constant, so the compiler replaces the division by a multiplication.
uint32_t divide_by_billion(Wide& w) {
    constexpr uint64_t kBillion = 1'000'000'000;
    uint64_t remainder = 0;
    for (int i = w.used - 1; i >= 0; --i) {
        const uint64_t part = (remainder << 32) | w.limb[i];
        w.limb[i] = static_cast<uint32_t>(part / kBillion);
        remainder = part % kBillion;
    }
    while (w.used > 0 && w.limb[w.used - 1] == 0) {
        --w.used;
    }
    return static_cast<uint32_t>(remainder);
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
Wide shifted(uint32_t m, int shift) {
    Wide w;
    const int whole = shift / 32;
    const int part = shift % 32;
    const uint64_t moved = uint64_t{m} << part;
    w.limb[whole] = static_cast<uint32_t>(moved);
    w.limb[whole + 1] = static_cast<uint32_t>(moved >> 32);
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
        uint32_t group = divide_by_billion(w);
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

// ---- Non-finite values ------------------------------------------------------

constexpr uint32_t kSignBit = 0x8000'0000;
constexpr uint32_t kExponentMask = 0x7F80'0000;
constexpr uint32_t kFractionMask = 0x007F'FFFF;
constexpr uint32_t kQuietBit = 0x0040'0000;
constexpr uint32_t kIndefinite = 0xFFC0'0000;

RealDigits non_finite(uint32_t bits) {
    RealDigits r;
    r.finite = false;
    const uint32_t fraction = bits & kFractionMask;
    if (fraction == 0) {
        r.text = "1#INF";
    } else if (bits == kIndefinite) {
        r.text = "1#IND";
    } else if ((fraction & kQuietBit) != 0) {
        r.text = "1#QNAN";
    } else {
        r.text = "1#SNAN";
    }
    return r;
}

// ---- Cutting the exact digits to 17 ----------------------------------------

constexpr int kCutDigits = 18;
constexpr int kKeptDigits = 17;

// The digits kept of a nonzero value whose exact digits are `exact` and whose
// magnitude is 0.(exact) x 10^exponent.
RealDigits from_exact_digits(const DecimalText& exact, int32_t exponent, bool negative) {
    // 1. The first 18 digits, cut off (not rounded), padded with zeros.
    std::array<char, kCutDigits> cut;
    for (int i = 0; i < kCutDigits; ++i) {
        cut[i] = i < exact.count() ? exact.at(i) : '0';
    }

    // 2. Half up at the 18th digit into 17, carrying through nines; nines
    //    all through become the single digit 1 one place further left.
    int count = kKeptDigits;
    if (cut[kCutDigits - 1] >= '5') {
        int i = kKeptDigits - 1;
        while (i >= 0 && cut[i] == '9') {
            cut[i] = '0';
            --i;
        }
        if (i < 0) {
            cut[0] = '1';
            count = 1;
            ++exponent;
        } else {
            ++cut[i];
        }
    }

    // 3. Drop trailing zeros.
    while (count > 1 && cut[count - 1] == '0') {
        --count;
    }

    RealDigits r;
    r.negative = negative;
    r.digits.assign(cut.data(), static_cast<std::size_t>(count));
    r.exponent = exponent;
    return r;
}

}  // namespace

RealDigits real_digits(float value) {
    const uint32_t bits = std::bit_cast<uint32_t>(value);
    const uint32_t biased = (bits & kExponentMask) >> 23;
    const uint32_t fraction = bits & kFractionMask;

    // 1. A zero of either sign.
    if (biased == 0 && fraction == 0) {
        RealDigits r;
        r.digits = "0";
        return r;
    }

    // 2. Infinity or NaN.
    if (biased == 0xFF) {
        return non_finite(bits);
    }

    // 3. value = m x 2^e; trailing zero bits of m move into e, which keeps the
    //    power of five small.
    uint32_t m = biased == 0 ? fraction : (fraction | 0x0080'0000);
    int e = biased == 0 ? -149 : static_cast<int>(biased) - 150;
    const int zero_bits = std::countr_zero(m);
    m >>= zero_bits;
    e += zero_bits;

    // 4. The exact digits: those of m x 2^e, or of m x 5^k with the decimal
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

    // 5. Cut, round and trim.
    return from_exact_digits(exact, exact.count() - k, (bits & kSignBit) != 0);
}

}  // namespace sotra
