// Child processes.
#pragma once

namespace sotra::os {

// Starts the program at `path` with `argv` (ending in nullptr), inheriting
// the environment, the current directory and the standard handles, and
// waits for it without a time limit. Returns its exit status, 128 plus the
// signal number when a signal ended it, or -1 when it could not be started.
int spawn_and_wait(const char* path, const char* const argv[]);

// The absolute path of the platform's command interpreter.
const char* command_interpreter();

// Its option for running one command string.
const char* command_interpreter_option();

}  // namespace sotra::os
