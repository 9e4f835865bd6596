#include "tests/support/temp_dir.h"

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <sys/stat.h>

#ifdef _WIN32
#include <gtest/gtest.h>
#include <windows.h>
#include <io.h>
#include <tlhelp32.h>

#include <functional>
#else
#include <unistd.h>
#endif

namespace sotra::testing_support {

#ifdef _WIN32

namespace {

// The process that runs the tests: this one, or, in the child a death test
// starts (a new process on Windows), its parent.
DWORD test_process_id() {
    const DWORD self = ::GetCurrentProcessId();
    if (GTEST_FLAG_GET(internal_run_death_test).empty()) return self;
    DWORD parent = self;
    const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return self;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32First(snapshot, &entry); more; more = ::Process32Next(snapshot, &entry)) {
        if (entry.th32ProcessID == self) parent = entry.th32ParentProcessID;
    }
    ::CloseHandle(snapshot);
    return parent;
}

}  // namespace

// A death test's child is a new process that runs the test again from its
// start, so it must find the directories the test had made by then under
// the same names: a name is the test process, the test and the count of
// directories the test has made so far, and the child reuses what exists.
std::string make_temp_directory(const char* prefix) {
    char base[MAX_PATH + 1];
    const DWORD length = ::GetTempPathA(sizeof base, base);
    if (length == 0 || length > MAX_PATH) throw std::runtime_error("GetTempPath failed");
    static std::string counted_test;
    static unsigned made = 0;
    std::string test = "none";
    if (const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info()) {
        test = std::string(info->test_suite_name()) + "." + info->name();
    }
    if (test != counted_test) {
        counted_test = test;
        made = 0;
    }
    ++made;
    const std::string path = std::string(base) + prefix + std::to_string(test_process_id()) + "-" +
                             std::to_string(std::hash<std::string>{}(test) % 1000000007u) + "-" +
                             std::to_string(made);
    if (GTEST_FLAG_GET(internal_run_death_test).empty()) {
        // Left over from an earlier process of the same number.
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    if (!::CreateDirectoryA(path.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
        throw std::runtime_error("cannot make the directory " + path);
    }
    return path;
}

#else

std::string make_temp_directory(const char* prefix) {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/" + prefix + "XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    return pattern;
}

#endif

TempDir::TempDir() : path_(make_temp_directory("sotra-test-")) {}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void write_file(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool file_exists(const std::string& path) {
    std::error_code ignored;
    return std::filesystem::exists(std::filesystem::symlink_status(path, ignored));
}

#ifdef _WIN32

namespace {

// The C library's descriptors 0 to 2 and the process's standard handles
// are kept apart on Windows; the program uses the handles.
void point_standard_handle_at(int fd) {
    const DWORD which[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
    if (fd >= 0 && fd <= 2) ::SetStdHandle(which[fd], reinterpret_cast<HANDLE>(::_get_osfhandle(fd)));
}

void redirect(int fd, const std::string& path, int flags) {
    const int file = ::_open(path.c_str(), flags | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (file < 0 || ::_dup2(file, fd) != 0) std::abort();
    ::_close(file);
    point_standard_handle_at(fd);
}

}  // namespace

void redirect_to_file(int fd, const std::string& path) { redirect(fd, path, _O_WRONLY | _O_CREAT | _O_TRUNC); }

void redirect_from_file(int fd, const std::string& path) { redirect(fd, path, _O_RDONLY); }

#else

void redirect_to_file(int fd, const std::string& path) {
    const int file = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (file < 0) std::abort();
    ::dup2(file, fd);
    ::close(file);
}

void redirect_from_file(int fd, const std::string& path) {
    const int file = ::open(path.c_str(), O_RDONLY);
    if (file < 0 || ::dup2(file, fd) < 0) std::abort();
    ::close(file);
}

#endif

}  // namespace sotra::testing_support
