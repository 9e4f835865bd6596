// Shared by the renderers: the digit at a place of a RealDigits, 0 past its
// last digit, and the number of digits a value shows.
#pragma once

#include <cstdint>

#include "records/decimal_rendering.h"

namespace sotra {

constexpr int kShownDigits = 7;

// Digit number i (0 for the first) of `digits`, or 0 once they are used up.
inline char digit_or_zero(const DigitString& digits, std::int64_t i) {
    return static_cast<std::uint64_t>(i) < digits.size() ? digits[static_cast<std::size_t>(i)] : '0';
}

}  // namespace sotra
