// Shared by the renderers: the digits of a RealDigits handed out in order,
// then 0 once they are used up, and the number of digits a value shows.
#pragma once

#include <cstddef>

#include "records/decimal_rendering.h"

namespace sotra {

constexpr int kShownDigits = 7;

struct DigitSource {
    const DigitString& digits;
    std::size_t next = 0;

    char take() { return next < digits.size() ? digits[next++] : '0'; }
};

}  // namespace sotra
