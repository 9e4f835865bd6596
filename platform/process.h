// Child processes.
#pragma once

namespace sotra::os {

// Runs `command_text` as one command through the platform's command
// interpreter, the child inheriting the environment, the current directory,
// the console and the standard handles, and waits for it without a time
// limit. Returns the interpreter's exit status, or -1 when no interpreter
// could be started.
int run_interpreter(const char* command_text);

}  // namespace sotra::os
