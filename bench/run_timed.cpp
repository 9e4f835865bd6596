// Runs one program and reports its wall time and peak memory, without a
// shell or time(1) of its own in between: the only process started is the
// program itself, by one fork and exec.
//   run_timed DIRECTORY INPUT PROGRAM [ARGUMENTS...]
// The program runs in DIRECTORY with INPUT as standard input ("-" for
// none) and standard output thrown away. Prints "SECONDS PEAK_KIB EXIT" on
// CPU" on standard output: the time from fork to the end of the wait, the
// child's peak resident memory, its exit status (128 + signal if killed),
// and the processor time (user and system) of the child and of the
// processes it waited for.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>

namespace {

double now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s DIRECTORY INPUT PROGRAM [ARGUMENTS...]\n", argv[0]);
        return 2;
    }
    const char* directory = argv[1];
    const char* input = argv[2];
    const double start = now();
    const pid_t child = fork();
    if (child < 0) {
        std::perror("fork");
        return 2;
    }
    if (child == 0) {
        if (chdir(directory) != 0) _exit(126);
        const int in = input[0] == '-' && input[1] == '\0' ? open("/dev/null", O_RDONLY) : open(input, O_RDONLY);
        const int out = open("/dev/null", O_WRONLY);
        if (in < 0 || out < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0) _exit(126);
        close(in);
        close(out);
        execv(argv[3], argv + 3);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child) {
        std::perror("wait4");
        return 2;
    }
    const double seconds = now() - start;
    const int exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    const auto in_seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
    };
    const double cpu = in_seconds(usage.ru_utime) + in_seconds(usage.ru_stime);
    std::printf("%.6f %ld %d %.6f\n", seconds, usage.ru_maxrss, exit_code, cpu);
    return 0;
}
