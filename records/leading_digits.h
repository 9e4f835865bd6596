// The first 18 significant decimal digits of the exact value m x 2^e of a
// finite, nonzero single-precision real (0 < m < 2^24, -149 <= e <= 104),
// cut off, not rounded. decimal_value rounds them to 17.
//
// Two ways to get them, which must agree wherever both apply:
// - fast_leading_digits (records/fast_leading_digits.h, inline, since every
//   value goes through it), by 128-bit integer arithmetic, for every value from
//   2^-46 (about 1.42 x 10^-14) up to the largest float: the common case;
// - wide_leading_digits, by a fixed 384-bit integer, for every value.
#pragma once

#include <cstdint>

namespace sotra {

struct LeadingDigits {
    std::uint64_t digits = 0;  // d1 d2 ... d18 as an integer, 10^17 <= digits < 10^18
    std::int32_t exponent = 0;  // p: the value is 0.d1 d2 d3 ... x 10^p
};

// fast_leading_digits answers for every value of at least 2^kFastMinPower
// (about 1.42 x 10^-14), and for no smaller one.
constexpr int kFastMinPower = -46;

// Any finite nonzero value.
LeadingDigits wide_leading_digits(std::uint32_t m, int e);

}  // namespace sotra
