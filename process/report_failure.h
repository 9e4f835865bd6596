// The one way a failure ends the program: a diagnostic on standard error,
// then the exit sequence with status 1.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "process/failure_causes.h"

namespace sotra {

// The statement that failed; it chooses the class letter and the text after
// the number. `math` (class M) is a floating-point trap or an elementary
// function; all others are class F.
enum class StatementKind { open, close, read, write, math, none };

// Writes the diagnostic, byte for byte:
//   CR LF "run-time error " class number statement-text [file ")" CR LF ["- "]] message CR LF
// and ends the process through end_process(1). Returns only when the exit
// sequence is already running; that sequence then stops closing channels.
void report_failure(std::int32_t number, std::string_view message, StatementKind kind,
                    std::string_view file_name = {});

// The same for one of the F-class causes of the table.
void report_failure(FailureCause cause, StatementKind kind, std::string_view file_name = {});

// The bytes report_failure writes, for the same arguments.
std::string diagnostic_text(std::int32_t number, std::string_view message, StatementKind kind,
                            std::string_view file_name);

}  // namespace sotra
