#include "platform/process.h"

#include <cerrno>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace sotra::os {
namespace {

// The shell, by its absolute path: never looked up along PATH or in the
// current directory, where a file named sh must not be run in its place.
constexpr const char* kShell = "/bin/sh";

}  // namespace

int run_interpreter(const char* command_text) {
    const char* const argv[] = {kShell, "-c", command_text, nullptr};
    pid_t child = 0;
    if (::posix_spawn(&child, kShell, nullptr, nullptr, const_cast<char* const*>(argv), environ) != 0) {
        return -1;
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    // A shell's status is 0 to 255, or 128 and the signal that ended it.
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

}  // namespace sotra::os
