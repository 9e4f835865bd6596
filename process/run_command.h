// Running a command line through the platform's command interpreter.
#pragma once

#include <string>
#include <string_view>

namespace sotra {

// Runs the command text (the field without its trailing blanks) through the
// interpreter and waits until it ends. True when the interpreter was
// started and ended, whatever its exit status; false when it could not be
// started. Writes no diagnostic.
bool run_command(std::string_view command_field);

// Runs `text` through the interpreter; its exit status, or -1 when it
// could not be started.
int interpret_command(const std::string& text);

}  // namespace sotra
