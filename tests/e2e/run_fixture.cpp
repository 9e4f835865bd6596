#include "run_fixture.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <system_error>

#ifdef _WIN32
#include <windows.h>

#include <thread>
#else
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "tests/support/temp_dir.h"

#ifndef SOTRA_EXECUTABLE
#error "SOTRA_EXECUTABLE must name the built sotra program"
#endif

namespace sotra {
namespace {

constexpr std::chrono::seconds kSafetyNet{30};

}  // namespace

#ifndef _WIN32

namespace {

// Exit status and stderr marker of a child that could not become the
// unprivileged user or reach the program as that user.
constexpr int kUnprivilegedFailure = 126;
constexpr std::string_view kUnprivilegedMarker = "e2e: cannot run the program unprivileged\n";

constexpr std::string_view kStubPlotter =
    "#!/bin/sh\n"
    "# Stand-in plotter: one line per run, each argument in brackets, the\n"
    "# argument list of the process that started it, and a copy of the\n"
    "# script, under the name the command gives, as it is when the plotter runs.\n"
    "for a in \"$@\"; do printf '[%s]' \"$a\"; done >> plotter_args\n"
    "printf '\\n' >> plotter_args\n"
    "cat /proc/$PPID/cmdline > plotter_parent\n"
    "if [ -f sotra.gnp ]; then cat sotra.gnp > plotter_saw_gnp; fi\n"
    "exit 0\n";

[[noreturn]] void throw_errno(const std::string& what) {
    throw std::system_error(errno, std::generic_category(), what);
}

// A child needs descriptors 0-2 to be distinct from its pipes: when the
// test program itself runs with one of them closed, a pipe could land
// there and be lost on exec.
void ensure_standard_descriptors_open() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
            const int opened = ::open("/dev/null", O_RDWR);
            if (opened >= 0 && opened != fd) {
                ::dup2(opened, fd);
                ::close(opened);
            }
        }
    }
}

void make_pipe(int fds[2]) {
    if (::pipe2(fds, O_CLOEXEC) != 0) throw_errno("pipe2");
}

void close_if_open(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

void set_nonblocking(int fd) {
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0) throw_errno("fcntl");
}

// Ignores SIGPIPE in the test process while it feeds a child that may stop
// reading; restores the previous disposition afterwards.
class IgnoreSigpipe {
public:
    IgnoreSigpipe() {
        struct sigaction ignore;
        std::memset(&ignore, 0, sizeof ignore);
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        ::sigaction(SIGPIPE, &ignore, &saved_);
    }
    ~IgnoreSigpipe() { ::sigaction(SIGPIPE, &saved_, nullptr); }
    IgnoreSigpipe(const IgnoreSigpipe&) = delete;
    IgnoreSigpipe& operator=(const IgnoreSigpipe&) = delete;

private:
    struct sigaction saved_;
};

void hand_over_to_unprivileged(const std::filesystem::path& dir) {
    const auto id = static_cast<uid_t>(kUnprivilegedId);
    const auto gid = static_cast<gid_t>(kUnprivilegedId);
    if (::chown(dir.c_str(), id, gid) != 0) throw_errno("chown " + dir.string());
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
        if (::lchown(entry.path().c_str(), id, gid) != 0) throw_errno("chown " + entry.path().string());
    }
}

}  // namespace

E2eDirectory::E2eDirectory() : path_(testing_support::make_temp_directory("sotra-e2e-")) {
    std::filesystem::create_directory(path_of("bin"));
    std::filesystem::create_directory(path_of("emptybin"));
    write_file("bin/wgnuplot", kStubPlotter);
    std::filesystem::permissions(path_of("bin/wgnuplot"), std::filesystem::perms(0755));
}

E2eRun run_sotra(const E2eDirectory& dir, std::string_view input, const E2eRunOptions& options) {
    ensure_standard_descriptors_open();
    if (options.unprivileged) hand_over_to_unprivileged(dir.path());

    // Everything the child needs is prepared before the fork.
    const std::string executable = options.executable.empty() ? SOTRA_EXECUTABLE : options.executable;
    const std::string path_variable =
        "PATH=" + (options.path_variable.empty() ? dir.path() + "/bin:/usr/bin:/bin" : options.path_variable);
    std::vector<std::string> environment{path_variable};
    environment.insert(environment.end(), options.environment.begin(), options.environment.end());
    for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"}) {
        if (const char* value = std::getenv(name)) environment.push_back(std::string(name) + "=" + value);
    }
    std::vector<char*> envp;
    for (std::string& entry : environment) envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::vector<std::string> arguments{executable};
    arguments.insert(arguments.end(), options.arguments.begin(), options.arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    const std::string working_directory = dir.path();
    const bool unprivileged = options.unprivileged;
    const bool no_child_processes = options.no_child_processes;
    int stdout_file = -1;
    if (!options.stdout_file.empty()) {
        stdout_file = ::open(dir.path_of(options.stdout_file).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (stdout_file < 0) throw_errno("open " + dir.path_of(options.stdout_file));
    }

    int in[2], out[2], err[2];
    make_pipe(in);
    make_pipe(out);
    make_pipe(err);

    IgnoreSigpipe ignore_sigpipe;
    const pid_t child = ::fork();
    if (child < 0) throw_errno("fork");
    if (child == 0) {
        // Only async-signal-safe calls from here to exec.
        ::dup2(in[0], STDIN_FILENO);
        ::dup2(stdout_file >= 0 ? stdout_file : out[1], STDOUT_FILENO);
        ::dup2(err[1], STDERR_FILENO);
        ::signal(SIGPIPE, SIG_DFL);
        if (::chdir(working_directory.c_str()) != 0) ::_exit(127);
        if (unprivileged) {
            const auto id = static_cast<uid_t>(kUnprivilegedId);
            if (::setgroups(0, nullptr) != 0 || ::setgid(static_cast<gid_t>(id)) != 0 || ::setuid(id) != 0 ||
                ::access(executable.c_str(), X_OK) != 0) {
                (void)!::write(STDERR_FILENO, kUnprivilegedMarker.data(), kUnprivilegedMarker.size());
                ::_exit(kUnprivilegedFailure);
            }
        }
        if (no_child_processes) {
            // Counted per user, the program itself is the one process left:
            // it cannot start another.
            const rlimit one{1, 1};
            ::setrlimit(RLIMIT_NPROC, &one);
        }
        ::execve(executable.c_str(), argv.data(), envp.data());
        ::_exit(127);
    }

    close_if_open(in[0]);
    close_if_open(out[1]);
    close_if_open(stdout_file);
    close_if_open(err[1]);
    int to_child = in[1];
    int from_out = out[0];
    int from_err = err[0];
    set_nonblocking(to_child);
    set_nonblocking(from_out);
    set_nonblocking(from_err);

    E2eRun result;
    std::size_t fed = 0;
    if (input.empty()) close_if_open(to_child);
    const auto deadline = std::chrono::steady_clock::now() + kSafetyNet;
    while (from_out >= 0 || from_err >= 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            result.timed_out = true;
            ::kill(child, SIGKILL);
            break;
        }
        pollfd fds[3];
        nfds_t count = 0;
        int* owners[3];
        for (int* fd : {&to_child, &from_out, &from_err}) {
            if (*fd < 0) continue;
            fds[count].fd = *fd;
            fds[count].events = fd == &to_child ? POLLOUT : POLLIN;
            fds[count].revents = 0;
            owners[count++] = fd;
        }
        const int ready = ::poll(fds, count, static_cast<int>(left.count()));
        if (ready < 0) {
            if (errno == EINTR) continue;
            throw_errno("poll");
        }
        for (nfds_t i = 0; i < count; ++i) {
            if (fds[i].revents == 0) continue;
            int& fd = *owners[i];
            if (&fd == &to_child) {
                const ssize_t done = ::write(fd, input.data() + fed, input.size() - fed);
                if (done > 0) fed += static_cast<std::size_t>(done);
                if ((done < 0 && errno != EAGAIN && errno != EINTR) || fed == input.size()) close_if_open(fd);
                continue;
            }
            char chunk[4096];
            const ssize_t got = ::read(fd, chunk, sizeof chunk);
            if (got > 0) {
                (&fd == &from_out ? result.out : result.err).append(chunk, static_cast<std::size_t>(got));
            } else if (got == 0 || (errno != EAGAIN && errno != EINTR)) {
                close_if_open(fd);
            }
        }
    }
    close_if_open(to_child);
    close_if_open(from_out);
    close_if_open(from_err);

    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) throw_errno("waitpid");
    }
    if (WIFEXITED(status)) {
        result.exited = true;
        result.exit_status = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.signal = WTERMSIG(status);
    }
    if (unprivileged && result.exited && result.exit_status == kUnprivilegedFailure &&
        result.err == kUnprivilegedMarker) {
        result.could_not_start = true;
    }
    return result;
}

#else  // _WIN32

namespace {

// The build names its programs by paths that the current directory of the
// moment completes (under wine, Unix paths on the current drive); they are
// made absolute once, before any test changes directory.
std::string full_path(const char* path) {
    char buffer[4 * MAX_PATH];
    const DWORD length = ::GetFullPathNameA(path, sizeof buffer, buffer, nullptr);
    return length == 0 || length >= sizeof buffer ? std::string(path) : std::string(buffer, length);
}

#ifndef SOTRA_STAND_IN_PLOTTER
#error "SOTRA_STAND_IN_PLOTTER must name the built stand-in plotter"
#endif

const std::string kExecutable = full_path(SOTRA_EXECUTABLE);
const std::string kStandInPlotter = full_path(SOTRA_STAND_IN_PLOTTER);

[[noreturn]] void throw_last_error(const std::string& what) {
    throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(), what);
}

std::string backslashed(std::string path) {
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

std::string system_path(UINT (*get)(LPSTR, UINT)) {
    char buffer[MAX_PATH + 1];
    const UINT length = get(buffer, sizeof buffer);
    if (length == 0 || length > MAX_PATH) throw_last_error("system directory");
    return std::string(buffer, length);
}

// Adds one argument to a command line so that the C library's parsing of
// the command line gives it back unchanged.
void append_argument(std::string& line, const std::string& argument) {
    line += ' ';
    if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string::npos) {
        line += argument;
        return;
    }
    line += '"';
    std::size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        line.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        backslashes = 0;
        line += c;
    }
    line.append(2 * backslashes, '\\');
    line += '"';
}

class OwnedHandle {
public:
    OwnedHandle() = default;
    explicit OwnedHandle(HANDLE handle) : handle_(handle) {}
    ~OwnedHandle() { reset(); }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    HANDLE get() const { return handle_; }
    HANDLE* out() { return &handle_; }
    void reset() {
        if (handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
        handle_ = nullptr;
    }

private:
    HANDLE handle_ = nullptr;
};

// A pipe whose child's end is inherited and whose own end is not.
void make_pipe(OwnedHandle& read_end, OwnedHandle& write_end, bool child_reads) {
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    if (!::CreatePipe(read_end.out(), write_end.out(), &inherited, 0)) throw_last_error("CreatePipe");
    HANDLE ours = child_reads ? write_end.get() : read_end.get();
    if (!::SetHandleInformation(ours, HANDLE_FLAG_INHERIT, 0)) throw_last_error("SetHandleInformation");
}

void drain(HANDLE from, std::string& into) {
    char chunk[4096];
    DWORD got = 0;
    // A pipe whose writers are all gone fails, or reads as 0 bytes under
    // wine: either is the end.
    while (::ReadFile(from, chunk, sizeof chunk, &got, nullptr) && got > 0) into.append(chunk, got);
}

}  // namespace

E2eDirectory::E2eDirectory() : path_(testing_support::make_temp_directory("sotra-e2e-")) {
    std::filesystem::create_directory(path_of("bin"));
    std::filesystem::create_directory(path_of("emptybin"));
    std::filesystem::copy_file(kStandInPlotter, path_of("bin/wgnuplot.exe"));
}

E2eRun run_sotra(const E2eDirectory& dir, std::string_view input, const E2eRunOptions& options) {
    if (options.unprivileged || options.no_child_processes) {
        // Callers skip these runs on Windows: there is no other user id to
        // take and no limit on the number of processes.
        throw std::invalid_argument("unprivileged or process-limited runs cannot be made on Windows");
    }
    const std::string executable = options.executable.empty() ? kExecutable : full_path(options.executable.c_str());
    const std::string system32 = system_path(::GetSystemDirectoryA);
    const std::string windows = system_path(::GetWindowsDirectoryA);

    std::vector<std::string> environment{
        "PATH=" + (options.path_variable.empty() ? backslashed(dir.path_of("bin")) + ";" + system32 + ";" + windows
                                                 : options.path_variable),
        "SystemRoot=" + windows,
    };
    if (!options.without_comspec) {
        environment.push_back("COMSPEC=" + (options.comspec.empty() ? system32 + "\\cmd.exe" : options.comspec));
    }
    environment.insert(environment.end(), options.environment.begin(), options.environment.end());
    // Wine's own messages would mix with the program's standard error.
    if (const char* value = std::getenv("WINEDEBUG")) environment.push_back(std::string("WINEDEBUG=") + value);
    std::string block;
    for (const std::string& entry : environment) block += entry + '\0';
    block += '\0';

    std::string line = "\"" + executable + "\"";
    for (const std::string& argument : options.arguments) append_argument(line, argument);
    std::vector<char> command_line(line.begin(), line.end());
    command_line.push_back('\0');

    OwnedHandle in_read, in_write, out_read, out_write, err_read, err_write;
    make_pipe(in_read, in_write, true);
    make_pipe(out_read, out_write, false);
    make_pipe(err_read, err_write, false);
    OwnedHandle stdout_file;
    if (!options.stdout_file.empty()) {
        SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
        *stdout_file.out() = ::CreateFileA(dir.path_of(options.stdout_file).c_str(), GENERIC_WRITE,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited, CREATE_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL, nullptr);
        if (stdout_file.get() == INVALID_HANDLE_VALUE) throw_last_error("CreateFile " + options.stdout_file);
    }

    STARTUPINFOA startup;
    std::memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in_read.get();
    startup.hStdOutput = options.stdout_file.empty() ? out_write.get() : stdout_file.get();
    startup.hStdError = err_write.get();
    PROCESS_INFORMATION process;
    std::memset(&process, 0, sizeof process);
    const std::string working_directory = backslashed(dir.path());

    E2eRun result;
    if (!::CreateProcessA(executable.c_str(), command_line.data(), nullptr, nullptr, TRUE,
                          CREATE_SUSPENDED | CREATE_NO_WINDOW, block.data(), working_directory.c_str(), &startup,
                          &process)) {
        result.could_not_start = true;
        return result;
    }
    OwnedHandle process_handle(process.hProcess);
    OwnedHandle thread_handle(process.hThread);
    // The program and whatever it starts are one job, so that the safety
    // net ends them all.
    OwnedHandle job(::CreateJobObjectA(nullptr, nullptr));
    const bool in_job = job.get() != nullptr && ::AssignProcessToJobObject(job.get(), process_handle.get());
    ::ResumeThread(thread_handle.get());
    // Only the child holds these ends now: the pipes end when it does.
    in_read.reset();
    out_write.reset();
    err_write.reset();
    stdout_file.reset();

    std::thread feeder([&in_write, input] {
        std::size_t fed = 0;
        while (fed < input.size()) {
            DWORD done = 0;
            const DWORD asked = static_cast<DWORD>(std::min<std::size_t>(input.size() - fed, 1u << 16));
            if (!::WriteFile(in_write.get(), input.data() + fed, asked, &done, nullptr) || done == 0) break;
            fed += done;
        }
        in_write.reset();
    });
    std::thread out_reader([&] { drain(out_read.get(), result.out); });
    std::thread err_reader([&] { drain(err_read.get(), result.err); });

    const DWORD waited = ::WaitForSingleObject(
        process_handle.get(), static_cast<DWORD>(std::chrono::milliseconds(kSafetyNet).count()));
    if (waited != WAIT_OBJECT_0) {
        result.timed_out = true;
        if (!in_job || !::TerminateJobObject(job.get(), 9)) ::TerminateProcess(process_handle.get(), 9);
        ::WaitForSingleObject(process_handle.get(), INFINITE);
    }
    feeder.join();
    out_reader.join();
    err_reader.join();
    DWORD code = 0;
    if (!result.timed_out && ::GetExitCodeProcess(process_handle.get(), &code)) {
        result.exited = true;
        result.exit_status = static_cast<int>(code);
    }
    return result;
}

#endif

namespace {

// The path the test itself opens a file of the directory by. On Windows a
// name such as LPT1.DAT would reach the printer port; with the \\?\ prefix
// of a full path the system takes every name literally.
std::string literal_path(const std::string& path) {
#ifdef _WIN32
    std::string literal = "\\\\?\\" + path;
    for (char& c : literal) {
        if (c == '/') c = '\\';
    }
    return literal;
#else
    return path;
#endif
}

}  // namespace

E2eDirectory::~E2eDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(literal_path(path_), ignored);
}

std::string E2eDirectory::path_of(std::string_view name) const { return path_ + "/" + std::string(name); }

void E2eDirectory::write_file(std::string_view name, std::string_view bytes) const {
    std::ofstream file(literal_path(path_of(name)), std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file) throw std::runtime_error("cannot write " + path_of(name));
}

bool E2eDirectory::exists(std::string_view name) const {
    std::error_code ignored;
    return std::filesystem::exists(std::filesystem::symlink_status(literal_path(path_of(name)), ignored));
}

std::string E2eDirectory::read_file(std::string_view name) const {
    std::ifstream file(literal_path(path_of(name)), std::ios::binary);
    if (!file) throw std::runtime_error("cannot read " + path_of(name));
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::string E2eRun::describe() const {
    std::ostringstream text;
    if (timed_out) text << "killed after " << kSafetyNet.count() << " s; ";
    if (could_not_start) text << "could not start; ";
    if (exited) text << "exit status " << exit_status;
    else text << "signal " << signal;
    text << "; stderr: \"";
    for (const char c : err) {
        if (c == '\r') text << "\\r";
        else if (c == '\n') text << "\\n";
        else text << c;
    }
    text << "\"";
    return text.str();
}

::testing::AssertionResult parse_data_records(const std::string& bytes, std::vector<DataRecord>& records) {
    constexpr std::size_t kField = 15;
    constexpr std::size_t kRecord = 1 + kField + 1 + kField;
    records.clear();
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t end = bytes.find("\r\n", at);
        if (end == std::string::npos) {
            return ::testing::AssertionFailure() << "record " << records.size() + 1 << " has no CR LF";
        }
        const std::string record = bytes.substr(at, end - at);
        if (record.size() != kRecord || record[0] != ' ' || record[1 + kField] != ' ') {
            return ::testing::AssertionFailure() << "record " << records.size() + 1 << " is not a blank, 15 "
                                                 << "characters, a blank, 15 characters: \"" << record << "\"";
        }
        DataRecord parsed;
        for (const std::size_t start : {std::size_t{1}, 2 + kField}) {
            const std::string field = record.substr(start, kField);
            const std::size_t first = field.find_first_not_of(' ');
            if (first == std::string::npos || field.find(' ', first) != std::string::npos) {
                return ::testing::AssertionFailure() << "record " << records.size() + 1
                                                     << ": field not right-justified: \"" << field << "\"";
            }
            (start == 1 ? parsed.temperature : parsed.cv_over_r) = field.substr(first);
        }
        records.push_back(parsed);
        at = end + 2;
    }
    return ::testing::AssertionSuccess();
}

double field_value(const std::string& text) {
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || end != text.c_str() + text.size() || errno != 0) {
        throw std::runtime_error("not a number: \"" + text + "\"");
    }
    return value;
}

::testing::AssertionResult follows_real_format(const std::string& text) {
    static const std::regex fixed(R"(-?[0-9]+\.[0-9]{6})");
    static const std::regex exponent(R"(-?[0-9]\.[0-9]{6}E[+-][0-9]{2})");
    if (!std::regex_match(text, fixed) && !std::regex_match(text, exponent)) {
        return ::testing::AssertionFailure() << "\"" << text << "\" is neither fixed-point nor exponent form";
    }
    const double value = field_value(text);
    const double magnitude = value < 0 ? -value : value;
    if (value == 0.0) {
        if (text == "0.000000E+00") return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "zero shown as \"" << text << "\", not 0.000000E+00";
    }
    const bool wants_fixed = magnitude >= 1.0 && magnitude < 1e7;
    if (wants_fixed != std::regex_match(text, fixed)) {
        return ::testing::AssertionFailure() << "\"" << text << "\" should be in "
                                             << (wants_fixed ? "fixed-point" : "exponent") << " form";
    }
    if (std::regex_match(text, exponent) && text[text.front() == '-' ? 1 : 0] == '0') {
        return ::testing::AssertionFailure() << "\"" << text << "\" has a leading zero digit";
    }
    return ::testing::AssertionSuccess();
}

void expect_points_kept(const E2eDirectory& dir, const std::vector<std::string>& temperatures) {
    ASSERT_TRUE(dir.exists("SOTRA.DAT"));
    const std::string results = dir.read_file("SOTRA.DAT");
    std::vector<DataRecord> records;
    ASSERT_TRUE(parse_data_records(results, records));
    ASSERT_EQ(records.size(), temperatures.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(records[i].temperature, temperatures[i]);
        EXPECT_TRUE(follows_real_format(records[i].cv_over_r));
    }
    ASSERT_TRUE(dir.exists("SOTRA.GNP"));
    EXPECT_EQ(dir.read_file("SOTRA.GNP"), std::string(kScriptHeader) + results);
}

}  // namespace sotra
