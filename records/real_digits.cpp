// real_digits: the sign, significant decimal digits and decimal exponent of
// the exact value of a single-precision real as a digit string, or the code
// text of an infinity or NaN. The digits are those of decimal_value
// (records/decimal_value.h), written out.
#include "records/decimal_rendering.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "records/eight_digits.h"

namespace sotra {
namespace {

// ---- Non-finite values ------------------------------------------------------

constexpr std::uint32_t kExponentMask = 0x7F80'0000;
constexpr std::uint32_t kFractionMask = 0x007F'FFFF;
constexpr std::uint32_t kQuietBit = 0x0040'0000;
constexpr std::uint32_t kIndefinite = 0xFFC0'0000;

// The code text of an infinity or NaN; its sign plays no part.
std::string_view non_finite_text(std::uint32_t bits) {
    const std::uint32_t fraction = bits & kFractionMask;
    if (fraction == 0) return "1#INF";
    if (bits == kIndefinite) return "1#IND";
    if ((fraction & kQuietBit) != 0) return "1#QNAN";
    return "1#SNAN";
}

// ---- Writing the 17 digits ----------------------------------------------------

constexpr int kKeptDigits = 17;

// The decimal zeros at the end of a nonzero n, at most 15.
int trailing_zeros(std::uint32_t n) {
    int zeros = 0;
    if (n % 100'000'000 == 0) {
        n /= 100'000'000;
        zeros += 8;
    }
    if (n % 10'000 == 0) {
        n /= 10'000;
        zeros += 4;
    }
    if (n % 100 == 0) {
        n /= 100;
        zeros += 2;
    }
    if (n % 10 == 0) {
        zeros += 1;
    }
    return zeros;
}

// Writes the 17 digits of 10^16 <= n < 10^17, one and eight from the high
// part and eight from the low part, and returns how many are left once the
// trailing zeros are dropped.
std::size_t write_seventeen_digits(std::uint64_t n, char* out) {
    const auto high = static_cast<std::uint32_t>(n / 100'000'000);  // 9 digits, the first not 0
    const auto low = static_cast<std::uint32_t>(n % 100'000'000);   // 8 digits
    out[0] = static_cast<char>('0' + high / 100'000'000);
    write_eight_digits(high % 100'000'000, out + 1);
    write_eight_digits(low, out + 9);
    const int zeros = (low != 0 ? 0 : 8) + trailing_zeros(low != 0 ? low : high);
    return static_cast<std::size_t>(kKeptDigits - zeros);
}

}  // namespace

RealDigits real_digits(float value) {
    // One result object, built in place: its digits are written once.
    RealDigits r;
    const std::uint32_t bits = std::bit_cast<std::uint32_t>(value);

    // 1. Infinity or NaN.
    if ((bits & kExponentMask) == kExponentMask) {
        r.finite = false;
        r.text = non_finite_text(bits);
        return r;
    }

    // 2. The 17 digits; a zero of either sign is the digit 0.
    const DecimalValue v = decimal_value(value);
    if (v.zero()) {
        r.digits = "0";
        return r;
    }

    // 3. The digits, trailing zeros dropped.
    r.negative = v.negative;
    r.exponent = v.exponent;
    r.digits.shorten(write_seventeen_digits(v.digits, r.digits.overwrite(kKeptDigits)));
    return r;
}

}  // namespace sotra
