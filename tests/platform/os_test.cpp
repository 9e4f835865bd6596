// The platform layer through its own interface only, so that the same
// cases hold for every implementation of it: how failures map to causes,
// what files, devices and pipes do, and the command interpreter's status.
#include "platform/os.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>

#include "platform/process.h"
#include "tests/support/temp_dir.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace sotra::os {
namespace {

using testing_support::TempDir;

// An open handle, closed at the end of the test.
class Opened {
public:
    Opened() = default;
    ~Opened() {
        if (handle != kNoHandle) (void)close_handle(handle);
    }
    Opened(const Opened&) = delete;
    Opened& operator=(const Opened&) = delete;

    Handle handle = kNoHandle;
};

std::string read_all(Handle handle) {
    std::string bytes;
    char buffer[64];
    for (;;) {
        std::size_t got = 0;
        if (read_some(handle, buffer, sizeof buffer, got) != OsError::none || got == 0) return bytes;
        bytes.append(buffer, got);
    }
}

struct OpenCase {
    const char* name;
    bool existing;        // open_existing, or create_new
    const char* target;   // relative to the test directory
    OsError expected;
};

class OpenFailure : public ::testing::TestWithParam<OpenCase> {};

TEST_P(OpenFailure, MapsToItsCause) {
    const OpenCase& c = GetParam();
    TempDir dir;
    testing_support::write_file(dir.file("present"), "x");
    std::filesystem::create_directory(dir.file("folder"));
    const std::string name = dir.file(c.target);
    for (const Access access : {Access::read_write, Access::read_only, Access::write_only}) {
        Opened opened;
        const OsError error =
            c.existing ? open_existing(name.c_str(), access, opened.handle) : create_new(name.c_str(), access, opened.handle);
        EXPECT_EQ(error, c.expected) << c.target << " access " << static_cast<int>(access);
        if (error != OsError::none) opened.handle = kNoHandle;
    }
}

const std::string kLongName(400, 'n');

INSTANTIATE_TEST_SUITE_P(
    Platform, OpenFailure,
    ::testing::Values(OpenCase{"MissingFile", true, "absent", OsError::not_found},
                      OpenCase{"MissingDirectory", true, "nowhere/absent", OsError::not_found},
                      OpenCase{"CreateInMissingDirectory", false, "nowhere/new", OsError::not_found},
                      OpenCase{"CreateOverExisting", false, "present", OsError::already_exists},
                      OpenCase{"DirectoryIsRefused", true, "folder", OsError::access_refused},
                      OpenCase{"NameTooLong", false, kLongName.c_str(), OsError::invalid_name}),
    [](const ::testing::TestParamInfo<OpenCase>& info) { return std::string(info.param.name); });

TEST(PlatformFile, WrittenBytesReadBackAndEndOfFileIsZeroBytes) {
    TempDir dir;
    const std::string name = dir.file("data");
    Opened file;
    ASSERT_EQ(create_new(name.c_str(), Access::read_write, file.handle), OsError::none);
    const std::string bytes = "abc\r\ndef\x1A\r\n";
    ASSERT_EQ(write_all(file.handle, bytes.data(), bytes.size()), OsError::none);
    ASSERT_EQ(seek_to(file.handle, 0), OsError::none);
    EXPECT_EQ(read_all(file.handle), bytes);
    char c = 0;
    std::size_t got = 1;
    EXPECT_EQ(read_some(file.handle, &c, 1, got), OsError::none);
    EXPECT_EQ(got, 0u);
    EXPECT_TRUE(file_exists(name.c_str()));
    EXPECT_FALSE(file_exists(dir.file("absent").c_str()));
    EXPECT_FALSE(is_interactive(file.handle));
}

TEST(PlatformFile, TruncateCutsTheFileAndWritesGoOnFromThere) {
    TempDir dir;
    const std::string name = dir.file("cut");
    testing_support::write_file(name, "0123456789");
    Opened file;
    ASSERT_EQ(open_existing(name.c_str(), Access::read_write, file.handle), OsError::none);
    ASSERT_EQ(truncate_at(file.handle, 4), OsError::none);
    ASSERT_EQ(write_all(file.handle, "xy", 2), OsError::none);
    ASSERT_EQ(close_handle(std::exchange(file.handle, kNoHandle)), OsError::none);
    EXPECT_EQ(testing_support::read_file(name), "0123xy");
}

TEST(PlatformFile, ReadOnlyHandleRefusesWritesAndCuts) {
    TempDir dir;
    const std::string name = dir.file("kept");
    testing_support::write_file(name, "kept");
    Opened file;
    ASSERT_EQ(open_existing(name.c_str(), Access::read_only, file.handle), OsError::none);
    EXPECT_EQ(write_all(file.handle, "x", 1), OsError::access_refused);
    EXPECT_EQ(truncate_at(file.handle, 0), OsError::access_refused);
    EXPECT_EQ(testing_support::read_file(name), "kept");
}

TEST(PlatformFile, IdentityIsTheFileNotTheName) {
    TempDir dir;
    testing_support::write_file(dir.file("one"), "1");
    testing_support::write_file(dir.file("two"), "2");
    std::filesystem::create_directory(dir.file("sub"));
    Opened one, same, two;
    ASSERT_EQ(open_existing(dir.file("one").c_str(), Access::read_write, one.handle), OsError::none);
    ASSERT_EQ(open_existing(dir.file("sub/../one").c_str(), Access::read_only, same.handle), OsError::none);
    ASSERT_EQ(open_existing(dir.file("two").c_str(), Access::read_write, two.handle), OsError::none);
    FileIdentity a, b, c;
    ASSERT_EQ(file_identity(one.handle, a), OsError::none);
    ASSERT_EQ(file_identity(same.handle, b), OsError::none);
    ASSERT_EQ(file_identity(two.handle, c), OsError::none);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
}

// After the alias is made, the name in the other letter case reads the
// target's bytes, whether the platform made a link or its names ignore case.
TEST(PlatformFile, AliasReachesTheTarget) {
    TempDir dir;
    testing_support::write_file(dir.file("SOTRA.GNP"), " plot '-' with lines\r\n");
    EXPECT_TRUE(alias_file(dir.file("sotra.gnp").c_str(), dir.file("SOTRA.GNP").c_str()));
    EXPECT_EQ(testing_support::read_file(dir.file("sotra.gnp")), " plot '-' with lines\r\n");
}

TEST(PlatformDevice, NullDeviceIsEmptySwallowsWritesAndIsNotInteractive) {
    Opened null;
    ASSERT_EQ(open_existing(null_device(), Access::read_write, null.handle), OsError::none);
    EXPECT_FALSE(is_interactive(null.handle));
    EXPECT_EQ(write_all(null.handle, "gone", 4), OsError::none);
    EXPECT_EQ(truncate_at(null.handle, 0), OsError::none);
    EXPECT_EQ(read_all(null.handle), "");
}

// A pipe whose writer has closed is the end of the input, not a failure.
TEST(PlatformPipe, ClosedWriterReadsAsEndOfInput) {
    Handle read_end = kNoHandle;
    Handle write_end = kNoHandle;
#ifdef _WIN32
    HANDLE r = nullptr, w = nullptr;
    ASSERT_TRUE(::CreatePipe(&r, &w, nullptr, 0));
    read_end = reinterpret_cast<Handle>(r);
    write_end = reinterpret_cast<Handle>(w);
#else
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    read_end = ends[0];
    write_end = ends[1];
#endif
    ASSERT_EQ(write_all(write_end, "10 10 30\r\n", 10), OsError::none);
    ASSERT_EQ(close_handle(write_end), OsError::none);
    EXPECT_FALSE(is_interactive(read_end));
    std::string bytes;
    char buffer[4];
    std::size_t got = 0;
    do {
        ASSERT_EQ(read_some(read_end, buffer, sizeof buffer, got), OsError::none);
        bytes.append(buffer, got);
    } while (got > 0);
    EXPECT_EQ(bytes, "10 10 30\r\n");
    EXPECT_EQ(read_some(read_end, buffer, sizeof buffer, got), OsError::none);
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(close_handle(read_end), OsError::none);
}

#ifdef _WIN32
// Another program holding the file without sharing it refuses every access.
TEST(PlatformFile, SharingConflictIsAccessRefused) {
    TempDir dir;
    const std::string name = dir.file("held");
    testing_support::write_file(name, "held");
    const HANDLE held = ::CreateFileA(name.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    for (const Access access : {Access::read_write, Access::read_only, Access::write_only}) {
        Handle handle = kNoHandle;
        EXPECT_EQ(open_existing(name.c_str(), access, handle), OsError::access_refused);
    }
    ::CloseHandle(held);
}
#endif

// The interpreter's exit status comes back as it is; the command text
// reaches it unchanged.
TEST(PlatformInterpreter, ReturnsTheCommandsExitStatus) {
    for (const int status : {0, 1, 3, 127}) {
        const std::string command = "exit " + std::to_string(status);
        EXPECT_EQ(run_interpreter(command.c_str()), status) << command;
    }
}

}  // namespace
}  // namespace sotra::os
