#include "records/text_channel.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "records/open_channel.h"
#include "platform/os.h"
#include "tests/support/pipe.h"
#include "tests/support/temp_dir.h"

namespace sotra {
namespace {

using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;

// A console-style channel whose output goes to a file.
struct ConsoleOnFile {
    TempDir dir;
    TextChannel channel;
    ConsoleOnFile() {
        channel.style = ChannelStyle::console;
        channel.name = "CON";
        channel.handle = testing_support::create_for_writing(dir.file("console").c_str());
    }
    ~ConsoleOnFile() { os::close_handle(channel.handle); }
    std::string shown() { return read_file(dir.file("console")); }
};

TEST(ConsoleChannelTest, CarriageControlByFirstCharacter) {
    const struct {
        bool line_open;
        std::string record;
        std::string bytes;
    } rows[] = {
        {false, " text", "text"},
        {true, " text", "\r\ntext"},
        {false, "TITLE", "ITLE"},
        {true, "TITLE", "\r\nITLE"},
        {false, "+over", "\rover"},
        {true, "+over", "\rover"},
        {false, "0gap", "\r\ngap"},
        {true, "0gap", "\r\n\r\ngap"},
        {false, "1page", std::string("\r\n\f\r \r", 6) + "page"},
        {true, "1page", std::string("\r\n\f\r \r", 6) + "page"},
        {false, " \xE1\xF3", "\xE1\xF3"},
    };
    for (const auto& row : rows) {
        ConsoleOnFile console;
        console.channel.line_open = row.line_open;
        write_record(console.channel, row.record);
        EXPECT_EQ(console.shown(), row.bytes) << row.record;
        EXPECT_TRUE(console.channel.line_open);
    }
}

TEST(ConsoleChannelTest, LineEndOnlyWhenSomethingFollows) {
    ConsoleOnFile console;
    write_record(console.channel, " one");
    write_record(console.channel, " two");
    EXPECT_EQ(console.shown(), "one\r\ntwo");
}

class FileChannelTest : public ::testing::Test {
protected:
    void TearDown() override {
        for (const std::int32_t number : {30, 31, 32}) close_channel(number);
    }
    TempDir dir;
};

TEST_F(FileChannelTest, RecordsEndWithCrLfAndGoOutInBlocksOf1024) {
    const std::string path = dir.file("out.dat");
    open_channel(30, path);
    TextChannel& channel = *writing_channel(30);
    const std::string record(31, 'r');  // 33 bytes with its line end
    for (int i = 0; i < 40; ++i) write_record(channel, record);
    EXPECT_EQ(read_file(path).size(), 1024u) << "one full block written, the rest buffered";
    close_channel(30);
    std::string expected;
    for (int i = 0; i < 40; ++i) expected += record + "\r\n";
    EXPECT_EQ(read_file(path), expected);
}

TEST_F(FileChannelTest, ExistingFileIsCutAtTheFirstWrite) {
    const std::string path = dir.file("SOTRA.DAT");
    write_file(path, std::string(5000, 'x'));
    open_channel(30, path);
    EXPECT_EQ(read_file(path).size(), 5000u) << "opening alone changes nothing";
    write_record(*writing_channel(30), " new");
    close_channel(30);
    EXPECT_EQ(read_file(path), " new\r\n");
}

TEST_F(FileChannelTest, MissingFileIsCreatedEmpty) {
    const std::string path = dir.file("created.txt");
    open_channel(30, "  " + path + "   ");
    close_channel(30);
    EXPECT_TRUE(testing_support::file_exists(path));
    EXPECT_EQ(read_file(path), "");
}

TEST_F(FileChannelTest, SameFileOnAnotherChannelIsRefused) {
    const std::string path = dir.file("twice.txt");
    open_channel(30, path);
    EXPECT_EXIT(open_channel(31, dir.path() + "/./twice.txt"), ::testing::ExitedWithCode(1),
                "F6008: OPEN\\(.*twice.txt\\)");
}

// Reads every record of a file channel, as next_char delivers them.
std::vector<std::string> records_of(TextChannel& channel) {
    std::vector<std::string> records;
    for (;;) {
        std::string record;
        int c;
        while ((c = next_char(channel)) >= 0) record.push_back(static_cast<char>(c));
        if (c == kEndOfFile) return records;
        records.push_back(record);
        next_record(channel);
    }
}

TEST_F(FileChannelTest, ReadingRecordsAndLineEnds) {
    const struct {
        std::string bytes;
        std::vector<std::string> records;
    } rows[] = {
        {"a b\r\nc\r\n", {"a b", "c"}},
        {"a b\nc\n", {"a b", "c"}},
        {"last without end", {"last without end"}},
        {"x\rhidden\ny\n", {"x", "y"}},
        {"\n\n", {"", ""}},
        {"z\x1Az\n", {"z\x1Az"}},
        {"", {}},
        {std::string(1500, 'q'), {std::string(1500, 'q')}},
    };
    for (const auto& row : rows) {
        const std::string path = dir.file("in.txt");
        write_file(path, row.bytes);
        open_channel(32, path);
        TextChannel& channel = *reading_channel(32);
        EXPECT_EQ(records_of(channel), row.records);
        EXPECT_TRUE(channel.at_end);
        EXPECT_EQ(next_char(channel), kEndOfFile) << "end of file stays";
        close_channel(32);
    }
}

// Console input that is not a terminal comes in blocks; a block ending in
// Ctrl-Z CR LF ends the input there, after the bytes before it.
TEST(ConsoleChannelTest, CtrlZAtTheEndOfABlockEndsTheInput) {
    const struct {
        std::string bytes;
        std::vector<std::string> records;
    } rows[] = {
        {"1 2\n\x1A\r\n", {"1 2"}},
        {"1 2\nlast\x1A\r\n", {"1 2", "last"}},
        {"\x1A\r\n", {}},
        {"a\x1A\nb\n", {"a\x1A", "b"}},
        {"no end", {"no end"}},
    };
    for (const auto& row : rows) {
        TextChannel channel;
        channel.style = ChannelStyle::console;
        channel.input_handle = testing_support::pipe_holding(row.bytes);
        EXPECT_EQ(records_of(channel), row.records) << row.bytes;
        EXPECT_TRUE(channel.at_end);
        os::close_handle(channel.input_handle);
    }
}

}  // namespace
}  // namespace sotra
