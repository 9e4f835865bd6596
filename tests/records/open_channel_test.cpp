// Opening file channels by name: one file on one channel, the limit of the
// channel table, blank names answered in turn, and a full device.
//
// The channel table and the console channels are process-wide: cases that
// fail, or that change the console or the command line, run in the child of
// a death test; the others close what they open.
#include "records/open_channel.h"

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <fcntl.h>
#include <unistd.h>

#include "process/stop.h"
#include "records/text_channel.h"
#include "tests/support/temp_dir.h"

namespace sotra {
namespace {

using testing_support::file_exists;
using testing_support::read_file;
using testing_support::redirect_from_file;
using testing_support::redirect_to_file;
using testing_support::TempDir;
using testing_support::write_file;

class OpenChannelTest : public ::testing::Test {
protected:
    void TearDown() override {
        for (const std::int32_t number : {11, 13}) close_channel(number);
    }

    // In the child: work in the test's directory with an empty channel
    // table, standard error on a file.
    void enter_child() {
        if (::chdir(dir.path().c_str()) != 0) std::abort();
        redirect_to_file(STDERR_FILENO, dir.file("stderr"));
        reset_channels_for_testing();
    }
    std::string err() { return read_file(dir.file("stderr")); }

    TempDir dir;
};

// The same file under another name, on another channel, is refused.
TEST_F(OpenChannelTest, SameFileOnAnotherChannelFails) {
    const struct {
        const char* second_name;
    } rows[] = {
        {"./SOTRA.DAT"},
        {"sub/../SOTRA.DAT"},
#ifndef _WIN32
        {"results-link"},
#endif
    };
    for (const auto& row : rows) {
        EXPECT_EXIT(
            {
                enter_child();
                std::error_code error;
#ifndef _WIN32
                std::filesystem::create_symlink("SOTRA.DAT", "results-link", error);
                if (error) std::abort();
#endif
                if (!std::filesystem::create_directory("sub", error)) std::abort();
                open_channel(11, "SOTRA.DAT");
                open_channel(13, row.second_name);
                os::exit_process(7);
            },
            ::testing::ExitedWithCode(1), "")
            << row.second_name;
        EXPECT_EQ(err(), "\r\nrun-time error F6008: OPEN(" + std::string(row.second_name) +
                             ")\r\n- file already open on another channel\r\n");
        std::error_code ignored;
        std::filesystem::remove(dir.file("results-link"), ignored);
        std::filesystem::remove(dir.file("sub"), ignored);
    }
}

// Reopening the file on its own channel changes nothing: the record still
// buffered stays and the next one follows it (a fresh open would cut the
// file at the next write and lose the first record).
TEST_F(OpenChannelTest, SameFileOnSameChannelStaysOpen) {
    const std::string path = dir.file("SOTRA.DAT");
    open_channel(11, path);
    TextChannel* const before = writing_channel(11);
    ASSERT_NE(before, nullptr);
    write_record(*before, " one");

    open_channel(11, dir.path() + "/./SOTRA.DAT");

    EXPECT_EQ(writing_channel(11), before);
    EXPECT_EQ(writing_channel(11)->name, path);
    EXPECT_EQ(read_file(path), "") << "the buffered record was written out by the reopening";
    write_record(*writing_channel(11), " two");
    close_channel(11);
    EXPECT_EQ(read_file(path), " one\r\n two\r\n");
}

// Another file on a channel in use: the first is written and closed.
TEST_F(OpenChannelTest, OtherFileOnSameChannelClosesTheFirst) {
    open_channel(11, dir.file("first.txt"));
    write_record(*writing_channel(11), " first");

    open_channel(11, dir.file("second.txt"));

    EXPECT_EQ(read_file(dir.file("first.txt")), " first\r\n");
    ASSERT_NE(writing_channel(11), nullptr);
    EXPECT_EQ(writing_channel(11)->name, dir.file("second.txt"));
    write_record(*writing_channel(11), " second");
    close_channel(11);
    EXPECT_EQ(read_file(dir.file("second.txt")), " second\r\n");
    EXPECT_EQ(read_file(dir.file("first.txt")), " first\r\n");
}

// 61 files may be open at once; the 62nd open fails.
TEST_F(OpenChannelTest, SixtySecondChannelFails) {
    EXPECT_EXIT(
        {
            enter_child();
            for (std::int32_t number = 100; number <= 161; ++number) {
                open_channel(number, "c" + std::to_string(number) + ".txt");
            }
            os::exit_process(7);
        },
        ::testing::ExitedWithCode(1), "");
    EXPECT_EQ(err(), "\r\nrun-time error F6007: OPEN(c161.txt)\r\n- all channels in use\r\n");
}

// Blank names take the command-line arguments in turn (trimmed), then the
// console is asked, again for an empty answer.
TEST_F(OpenChannelTest, BlankNamesTakeArgumentsInTurnThenAsk) {
    write_file(dir.file("answers"), "\n  c.txt  \n");
    const auto open_three_blank_names = [this] {
        enter_child();
        redirect_from_file(STDIN_FILENO, "answers");
        redirect_to_file(STDOUT_FILENO, dir.file("stdout"));
        set_up_console_channels();
        const char* const argv[] = {"sotra", " a.txt ", "b.txt"};
        set_command_line(3, argv);
        const char* const records[] = {" forty", " forty-one", " forty-two"};
        open_channel(40, std::string(30, ' '));
        open_channel(41, "");
        open_channel(42, "   ");
        for (std::int32_t number = 40; number <= 42; ++number) {
            write_record(*writing_channel(number), records[number - 40]);
        }
        end_process(0);
    };
    EXPECT_EXIT(open_three_blank_names(), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(err(), "");
    EXPECT_EQ(read_file(dir.file("a.txt")), " forty\r\n");
    EXPECT_EQ(read_file(dir.file("b.txt")), " forty-one\r\n");
    EXPECT_EQ(read_file(dir.file("c.txt")), " forty-two\r\n");
    EXPECT_EQ(read_file(dir.file("stdout")),
              "File name missing or blank - please enter file name\r\nUNIT 42? "
              "File name missing or blank - please enter file name\r\nUNIT 42? ");
}

#ifndef _WIN32
// (POSIX only: Windows has no device that is always full.)
// A write that finds the device full ends the program; the exit sequence
// still writes and closes the other channels, whichever was opened first.
TEST_F(OpenChannelTest, NoSpaceLeftKeepsTheOtherChannels) {
    if (!file_exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this machine";
    const struct {
        const char* name;
        bool full_opened_first;
        bool by_close;  // the failing write is the close's, not a full block's
    } rows[] = {
        {"block", false, false},
        {"close", false, true},
        {"block, full device opened first", true, false},
        {"close, full device opened first", true, true},
    };
    for (const auto& row : rows) {
        EXPECT_EXIT(
            {
                enter_child();
                if (row.full_opened_first) open_channel(21, "/dev/full");
                open_channel(20, "regular.txt");
                write_record(*writing_channel(20), " kept");
                if (!row.full_opened_first) open_channel(21, "/dev/full");
                if (row.by_close) {
                    write_record(*writing_channel(21), " lost");
                    close_channel(21);
                } else {
                    const std::string record(31, 'f');  // 33 bytes with its line end
                    for (int i = 0; i < 40; ++i) write_record(*writing_channel(21), record);
                }
                os::exit_process(7);
            },
            ::testing::ExitedWithCode(1), "")
            << row.name;
        EXPECT_EQ(err(), "\r\nrun-time error F6002: WRITE(/dev/full)\r\n- no space left on device\r\n") << row.name;
        EXPECT_EQ(read_file(dir.file("regular.txt")), " kept\r\n") << row.name;
        std::filesystem::remove(dir.file("regular.txt"));
    }
}
#endif

}  // namespace
}  // namespace sotra
