// A seam for fault tests in the platform calls that move bytes and files:
// opening (an existing file or a new one), reading, writing and closing.
//
// Only the build made for fault tests (SOTRA_FAULT_INJECTION, the program
// sotra_faulty) has it. There the calls of each kind are counted from 1,
// and at start-up the environment chooses a fault:
//
//   SOTRA_FAULT=<kind>:<k>:<error>    the k-th call of that kind fails
//   SOTRA_FAULT=<kind>:<k>+:<error>   the k-th and every later one fail
//
// with <kind> open, read, write or close and <error> one of no_space,
// access_refused, not_found, already_exists, invalid_name, too_many_files,
// other. A failing call does nothing but return the error. And
//
//   SOTRA_FAULT_LOG=<path>
//
// writes, when the process ends through exit_process, one line per call
// in the order made: "<kind> <k> <target> <bytes>", the target being the
// name opened, or stdin / stdout for the standard handles, and <bytes> the
// count handed to a write (0 for the others). Writes to standard error,
// where the diagnostics go, are neither counted nor failed. A malformed
// SOTRA_FAULT ends the process at once with status 2.
//
// In the program itself all of this is empty inline functions: it reads
// no fault configuration at all.
#pragma once

#include <cstddef>

#include "platform/os.h"

namespace sotra::os::fault {

enum class Operation { open, read, write, close };

#ifdef SOTRA_FAULT_INJECTION

// Counts one call about to be made on `handle` (or, for an open, on the
// file `name`) and returns the error it must fail with, or none.
OsError before_call(Operation operation, Handle handle, const char* name, std::size_t bytes);

// Tells the log the name behind a handle an open has just returned.
void opened(Handle handle, const char* name);

// Writes the log, if one was asked for; called just before the process ends.
void at_exit();

#else

constexpr OsError before_call(Operation, Handle, const char*, std::size_t) { return OsError::none; }
constexpr void opened(Handle, const char*) {}
constexpr void at_exit() {}

#endif

}  // namespace sotra::os::fault
