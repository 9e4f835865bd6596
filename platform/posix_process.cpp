#include "platform/process.h"

#include <cerrno>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace sotra::os {

int spawn_and_wait(const char* path, const char* const argv[]) {
    pid_t child = 0;
    if (::posix_spawn(&child, path, nullptr, nullptr, const_cast<char* const*>(argv), environ) != 0) {
        return -1;
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

// Never looked up along PATH or in the current directory: a file named sh
// sitting there must not be run in its place.
const char* command_interpreter() { return "/bin/sh"; }

const char* command_interpreter_option() { return "-c"; }

}  // namespace sotra::os
