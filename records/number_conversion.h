// Turning the text of one free-format value into a single-precision real.
#pragma once

#include <string_view>

#include "process/failure_causes.h"

namespace sotra {

struct ConvertedReal {
    bool ok = false;
    FailureCause cause = FailureCause::invalid_number;  // when not ok
    float value = 0.0f;
};

// The number syntax: an optional sign; digits with at most one point, at
// least one digit; an optional exponent, a letter E, e, D or d with an
// optional sign and digits, or a sign and digits right after the mantissa
// (2.5-3 is 2.5e-3). Nothing else.
//
// The value of the first 24 significant digits is rounded to the nearest
// double; a decimal exponent above 5200 or a double out of range is
// number_out_of_range, below -5200 gives zero; a double beyond
// +-3.402823466385289e38 is real_overflow; otherwise it is rounded to
// single precision, ties to even, denormals and zero without error.
// No floating-point exception traps while this runs.
ConvertedReal convert_real(std::string_view text);

}  // namespace sotra
