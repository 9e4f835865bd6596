// The outcome of one read statement.
#pragma once

#include <cstdint>

#include "process/failure_causes.h"

namespace sotra {

// 0 ok, -1 end of file, a positive value an error: the number of its cause.
using IoStatus = std::int32_t;

constexpr IoStatus kIoOk = 0;
constexpr IoStatus kIoEndOfFile = -1;

inline IoStatus io_error(FailureCause cause) { return failure_number(cause); }

}  // namespace sotra
