// The whole program as a fuzz target for AFL++: one input file gives the
// console input and the contents of a data file "data.txt", and the
// complete run goes on them in a private directory, under the address and
// undefined-behaviour sanitizers.
//
// Input layout: two bytes, little-endian, the length L of the console
// part; then L bytes of console input; the rest is data.txt. A shorter
// input is all console.
//
// The run is the program's own: floating-point set-up, console channels,
// the command line "sotra", the calculation run. Only the plotter is not
// started (this file stands in for the platform's process start, and
// counts as a plotter that ran), and files are limited to 4 MB, so a long
// sweep ends with the write diagnostic instead of filling the disk.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "calc/calculation_run.h"
#include "platform/process.h"
#include "process/float_setup.h"
#include "records/open_channel.h"
#include "records/text_channel.h"

namespace sotra::os {

int run_interpreter(const char*) { return 0; }

}  // namespace sotra::os

namespace {

constexpr rlim_t kFileSizeLimit = 4 << 20;

void fail(const char* what) {
    std::perror(what);
    std::exit(2);
}

// A directory of this fuzzer instance (its fork server is our parent),
// emptied before each run.
std::string private_directory() {
    const std::string base = "/tmp/sotra-fuzz";
    ::mkdir(base.c_str(), 0700);
    const std::string dir = base + "/" + std::to_string(::getppid());
    ::mkdir(dir.c_str(), 0700);
    if (DIR* d = ::opendir(dir.c_str())) {
        while (const dirent* entry = ::readdir(d)) {
            const std::string name = entry->d_name;
            if (name == "." || name == "..") continue;
            const std::string path = dir + "/" + name;
            if (::unlink(path.c_str()) != 0) ::rmdir(path.c_str());
        }
        ::closedir(d);
    }
    return dir;
}

void write_whole(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) fail(path.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: whole_program_fuzz INPUT\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) fail(argv[1]);
    const std::string input((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string console = input;
    std::string data;
    if (input.size() >= 2) {
        const std::size_t length = static_cast<unsigned char>(input[0]) | static_cast<unsigned char>(input[1]) << 8;
        const std::size_t end = std::min(input.size(), 2 + length);
        console = input.substr(2, end - 2);
        data = input.substr(end);
    }

    const std::string dir = private_directory();
    if (::chdir(dir.c_str()) != 0) fail("chdir");
    write_whole("data.txt", data);
    write_whole("console.in", console);

    const int console_in = ::open("console.in", O_RDONLY);
    const int sink = ::open("/dev/null", O_WRONLY);
    if (console_in < 0 || sink < 0) fail("open");
    ::dup2(console_in, 0);
    ::dup2(sink, 1);
    if (std::getenv("SOTRA_FUZZ_STDERR") == nullptr) ::dup2(sink, 2);
    ::close(console_in);
    ::close(sink);

    const rlimit file_size{kFileSizeLimit, kFileSizeLimit};
    ::setrlimit(RLIMIT_FSIZE, &file_size);
    ::signal(SIGXFSZ, SIG_IGN);

    char program_name[] = "sotra";
    char* program_argv[] = {program_name, nullptr};
    sotra::set_up_floating_point();
    sotra::set_up_console_channels();
    sotra::set_command_line(1, program_argv);
    sotra::calculation_run();
}
