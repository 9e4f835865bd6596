// real_digits: the sign, significant decimal digits and decimal exponent of
// the exact value of a single-precision real.
//
// A finite float is m x 2^e with an integer m < 2^24. Its first 18
// significant digits come from 128-bit arithmetic for every value from about
// 1.4 x 10^-14 up, and from the complete decimal expansion below that
// (records/leading_digits.h); both give the digits of the exact value.
#include "records/decimal_rendering.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>

#include "records/leading_digits.h"

namespace sotra {
namespace {

// ---- Non-finite values ------------------------------------------------------

constexpr std::uint32_t kSignBit = 0x8000'0000;
constexpr std::uint32_t kExponentMask = 0x7F80'0000;
constexpr std::uint32_t kFractionMask = 0x007F'FFFF;
constexpr std::uint32_t kQuietBit = 0x0040'0000;
constexpr std::uint32_t kIndefinite = 0xFFC0'0000;

RealDigits non_finite(std::uint32_t bits) {
    RealDigits r;
    r.finite = false;
    const std::uint32_t fraction = bits & kFractionMask;
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

// ---- Writing the 17 digits ----------------------------------------------------

constexpr int kKeptDigits = 17;
constexpr std::uint64_t kSeventeenDigits = 100'000'000'000'000'000;  // 10^17

// "00" "01" ... "99".
constexpr std::array<char, 200> make_digit_pairs() {
    std::array<char, 200> pairs{};
    for (int i = 0; i < 100; ++i) {
        pairs[2 * i] = static_cast<char>('0' + i / 10);
        pairs[2 * i + 1] = static_cast<char>('0' + i % 10);
    }
    return pairs;
}

constexpr std::array<char, 200> kDigitPairs = make_digit_pairs();

// The `count` low digits of n (count even), most significant first.
void write_pairs(std::uint32_t n, char* out, int count) {
    for (int i = count - 2; i >= 0; i -= 2) {
        const std::uint32_t pair = n % 100;
        n /= 100;
        out[i] = kDigitPairs[2 * pair];
        out[i + 1] = kDigitPairs[2 * pair + 1];
    }
}

// The decimal zeros at the end of a nonzero n.
int trailing_zeros(std::uint32_t n) {
    int zeros = 0;
    for (const auto& [power, count] : {std::pair{100'000'000u, 8}, {10'000u, 4}, {100u, 2}, {10u, 1}}) {
        if (n % power == 0) {
            n /= power;
            zeros += count;
        }
    }
    return zeros;
}

// Writes the 17 digits of 10^16 <= n < 10^17, nine from the high part and
// eight from the low part, each in 32-bit arithmetic, and returns how many
// are left once the trailing zeros are dropped.
std::size_t write_seventeen_digits(std::uint64_t n, char* out) {
    const auto high = static_cast<std::uint32_t>(n / 100'000'000);  // 9 digits, the first not 0
    const auto low = static_cast<std::uint32_t>(n % 100'000'000);   // 8 digits
    out[0] = static_cast<char>('0' + high / 100'000'000);
    write_pairs(high % 100'000'000, out + 1, 8);
    write_pairs(low, out + 9, 8);
    const int zeros = low != 0 ? trailing_zeros(low) : 8 + trailing_zeros(high);
    return static_cast<std::size_t>(kKeptDigits - zeros);
}

}  // namespace

RealDigits real_digits(float value) {
    const std::uint32_t bits = std::bit_cast<std::uint32_t>(value);
    const std::uint32_t biased = (bits & kExponentMask) >> 23;
    const std::uint32_t fraction = bits & kFractionMask;

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

    // 3. value = m x 2^e.
    const std::uint32_t m = biased == 0 ? fraction : (fraction | 0x0080'0000);
    const int e = biased == 0 ? -149 : static_cast<int>(biased) - 150;

    // 4. The first 18 significant digits of the exact magnitude, cut off.
    const std::optional<LeadingDigits> fast = fast_leading_digits(m, e);
    const LeadingDigits lead = fast ? *fast : wide_leading_digits(m, e);

    // 5. Half up at the 18th digit into 17, carrying through nines; 17 nines
    //    become the single digit 1 one place further left.
    std::uint64_t kept = (lead.digits + 5) / 10;
    std::int32_t exponent = lead.exponent;
    if (kept == kSeventeenDigits) {
        kept /= 10;
        ++exponent;
    }

    // 6. The digits, trailing zeros dropped.
    RealDigits r;
    r.negative = (bits & kSignBit) != 0;
    r.digits.shorten(write_seventeen_digits(kept, r.digits.overwrite(kKeptDigits)));
    r.exponent = exponent;
    return r;
}

}  // namespace sotra
