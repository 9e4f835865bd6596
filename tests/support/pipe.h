// Pipes as test plumbing, the same on every platform.
#pragma once

#include <string_view>

#include "platform/os.h"

namespace sotra::testing_support {

// A pipe that already holds `bytes`, its writing end closed: reading the
// handle returned gives the bytes, then the end of the input. The caller
// closes it (os::close_handle). Throws when it cannot be made.
os::Handle pipe_holding(std::string_view bytes);

// Creates (or empties) the file at `path` and opens it for writing.
// Throws when it cannot.
os::Handle create_for_writing(const char* path);

}  // namespace sotra::testing_support
