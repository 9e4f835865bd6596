// decimal_value: a finite single-precision value taken apart into its sign,
// its first 17 significant decimal digits as one number and its decimal
// exponent. Inline, since every real written goes through it.
//
// A finite float is m x 2^e with an integer m < 2^24. Its first 18
// significant digits come from 128-bit arithmetic for every value from about
// 1.4 x 10^-14 up, and from the complete decimal expansion below that
// (records/leading_digits.h); both give the digits of the exact value.
#pragma once

#include <bit>
#include <cstdint>
#include <optional>

#include "records/fast_leading_digits.h"
#include "records/leading_digits.h"

namespace sotra {

// A finite value taken apart as real_digits takes it, its digits held as
// one number: the 17 digits rounded from the exact value, trailing zeros
// kept, so 10^16 <= digits < 10^17, or 0 for a zero of either sign.
struct DecimalValue {
    bool negative = false;  // false for a zero of either sign
    std::uint64_t digits = 0;
    std::int32_t exponent = 0;  // magnitude = 0.d1d2d3... x 10^exponent; 0 for zero

    bool zero() const { return digits == 0; }
};

namespace decimal_value_detail {

constexpr std::uint32_t kSignBit = 0x8000'0000;
constexpr std::uint32_t kExponentMask = 0x7F80'0000;
constexpr std::uint32_t kFractionMask = 0x007F'FFFF;
constexpr std::uint64_t kSeventeenDigits = 100'000'000'000'000'000;  // 10^17

}  // namespace decimal_value_detail

// The finite `value` taken apart: its exact magnitude cut to 18
// significant digits and rounded half up to 17.
inline DecimalValue decimal_value(float value) {
    using namespace decimal_value_detail;
    const std::uint32_t bits = std::bit_cast<std::uint32_t>(value);
    const std::uint32_t biased = (bits & kExponentMask) >> 23;
    const std::uint32_t fraction = bits & kFractionMask;
    DecimalValue v;

    // 1. A zero of either sign.
    if (biased == 0 && fraction == 0) {
        return v;
    }

    // 2. value = m x 2^e.
    const std::uint32_t m = biased == 0 ? fraction : (fraction | 0x0080'0000);
    const int e = biased == 0 ? -149 : static_cast<int>(biased) - 150;

    // 3. The first 18 significant digits of the exact magnitude, cut off.
    const std::optional<LeadingDigits> fast = fast_leading_digits(m, e);
    const LeadingDigits lead = fast ? *fast : wide_leading_digits(m, e);

    // 4. Half up at the 18th digit into 17, carrying through nines; 17 nines
    //    become the single digit 1 one place further left.
    v.negative = (bits & kSignBit) != 0;
    v.digits = (lead.digits + 5) / 10;
    v.exponent = lead.exponent;
    if (v.digits == kSeventeenDigits) {
        v.digits /= 10;
        ++v.exponent;
    }
    return v;
}

}  // namespace sotra
