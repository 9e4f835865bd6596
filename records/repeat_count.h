// The repeat count of a free-format value: the text before an asterisk in
// r*c (r copies of c) and r* (r null values).
#pragma once

#include <cstdint>
#include <string_view>

#include "process/failure_causes.h"

namespace sotra {

struct RepeatCount {
    bool ok = false;
    FailureCause cause = FailureCause::invalid_repeat_count;  // when not ok
    std::int32_t count = 0;
};

// An optional sign, then either decimal digits, or b#digits with a base b
// from 2 to 36 and digits 0-9, a-z (either case) below it, or #digits in
// base 16. The count must fit 32 bits. An empty text counts as 0.
// A count of 0 or below is rejected (repeat_count_not_positive): a negative count
// would never count down to zero.
RepeatCount parse_repeat_count(std::string_view text);

}  // namespace sotra
