#include "process/run_command.h"

#include <string>

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace sotra {
namespace {

using testing_support::read_file;
using testing_support::TempDir;

// The shell's own argument list, written by the command itself: it shows
// the command text exactly as the shell received it.
TEST(RunCommandTest, ShellGetsTheFieldWithoutTrailingBlanks) {
    TempDir dir;
    const std::string command = "tr '\\0' '|' < /proc/$$/cmdline > " + dir.file("argv");
    const struct {
        std::string field;
        std::string text;  // as the shell must get it
    } rows[] = {
        {command, command},
        {command + "     ", command},
        {"  " + command + "  ", "  " + command},
    };
    for (const auto& row : rows) {
        EXPECT_TRUE(run_command(row.field)) << row.field;
        EXPECT_EQ(read_file(dir.file("argv")), "/bin/sh|-c|" + row.text + "|") << row.field;
    }
}

// Whatever the shell's exit status, the shell was started.
TEST(RunCommandTest, AnyExitStatusOfTheShellIsTrue) {
    for (const char* command : {"exit 0", "exit 1", "exit 127", "exit 255", "kill -9 $$", "no_such_plotter_xyz 2>/dev/null"}) {
        EXPECT_TRUE(run_command(command)) << command;
    }
    EXPECT_EQ(interpret_command("exit 255"), 255);
    EXPECT_EQ(interpret_command("exit 127"), 127);
}

}  // namespace
}  // namespace sotra
