#include "records/formatted_reader.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "platform/os.h"
#include "records/open_channel.h"
#include "records/text_channel.h"
#include "tests/support/pipe.h"
#include "tests/support/temp_dir.h"

namespace sotra {
namespace {

using testing_support::read_file;
using testing_support::redirect_to_file;
using testing_support::TempDir;
using testing_support::write_file;

constexpr std::int32_t kChannel = 41;

// The 30 characters a read by `format` leaves in a 30-character variable
// that held something else before.
std::string read_field(TextChannel& channel, std::string_view format) {
    char destination[30];
    std::fill(std::begin(destination), std::end(destination), '#');
    EXPECT_EQ(read_formatted(channel, format, destination), kIoOk);
    return std::string(destination, sizeof destination);
}

std::string padded(const std::string& text) { return text + std::string(30 - text.size(), ' '); }

const std::string k40 = "abcdefghijklmnopqrstuvwxyz0123456789WXYZ";
const std::string k45 = "0123456789abcdefghijklmnopqrstuvwxyz.datTAILX";

TEST(TextFieldWidthTest, WidthOrDestinationLength) {
    EXPECT_EQ(text_field_width("(A30)", 12), 30u);
    EXPECT_EQ(text_field_width("(a7)", 12), 7u);
    EXPECT_EQ(text_field_width("(A)", 12), 12u);
    EXPECT_EQ(text_field_width("(A130)", 30), 130u);
}

struct FieldCase {
    const char* what;
    std::string bytes;
    std::string format;
    std::string field;  // the 30 characters of the variable
    std::string next;   // what a following "(A30)" read gets
};

class FormattedReaderFileTest : public ::testing::Test {
protected:
    void TearDown() override { close_channel(kChannel); }
    TempDir dir;
};

// The answer line and the field: what is copied, what is blank, and where
// the next read starts (catches a field not padded, a short record read
// into the next one, the rest of a long record left for the next read).
TEST_F(FormattedReaderFileTest, FieldAndWhereTheNextReadStarts) {
    const FieldCase cases[] = {
        {"short name padded", "data.txt\nnext\n", "(A30)", padded("data.txt"), padded("next")},
        {"empty line is all blanks", "\nnext\n", "(A30)", std::string(30, ' '), padded("next")},
        {"40 characters cut to 30", k40 + "\nnext\n", "(A30)", k40.substr(0, 30), padded("next")},
        {"exactly 30, no blank", k40.substr(0, 30) + "\nnext\n", "(A30)", k40.substr(0, 30), padded("next")},
        {"tab kept", "tab\tname.txt\nnext\n", "(A30)", padded("tab\tname.txt"), padded("next")},
        {"leading and trailing blanks kept", "  data.txt  \nnext\n", "(A30)", padded("  data.txt  "),
         padded("next")},
        {"CR LF line end", "data.txt\r\nnext\r\n", "(A30)", padded("data.txt"), padded("next")},
        {"bytes after a CR are not data", "data.txt\rjunk\nnext\n", "(A30)", padded("data.txt"), padded("next")},
        {"last line without line end", "data.txt\nnext", "(A30)", padded("data.txt"), padded("next")},
        {"code-page bytes as they are", "\xE1gua.dat\nnext\n", "(A30)", padded("\xE1gua.dat"), padded("next")},
        // The width: none means the variable's length; a smaller one fills
        // only its first positions; a larger one passes over the first
        // w - 30 characters of the record.
        {"no width", k40 + "\nnext\n", "(A)", k40.substr(0, 30), padded("next")},
        {"width below the length", k40 + "\nnext\n", "(A10)", padded(k40.substr(0, 10)), padded("next")},
        {"width below, short line", "abc\nnext\n", "(A10)", padded("abc"), padded("next")},
        {"width above the length", k45 + "\nnext\n", "(A40)", k45.substr(10, 30), padded("next")},
        {"width above, line ends in the field", "0123456789data\nnext\n", "(A40)", padded("data"), padded("next")},
        {"width above, line ends while passing over", "01234\nnext\n", "(A40)", std::string(30, ' '),
         padded("next")},
        {"zero width still takes the record", "skipped\nnext\n", "(A0)", std::string(30, ' '), padded("next")},
    };
    for (const FieldCase& c : cases) {
        const std::string path = dir.file("answers");
        write_file(path, c.bytes);
        open_channel(kChannel, path);
        TextChannel& channel = *reading_channel(kChannel);

        EXPECT_EQ(read_field(channel, c.format), c.field) << c.what;
        EXPECT_EQ(read_field(channel, "(A30)"), c.next) << c.what << ": the next read";
        close_channel(kChannel);
    }
}

// A console-style channel reading a pipe, as standard input that is not a
// terminal: it comes in blocks of 132 bytes, and a block ending in Ctrl-Z
// CR LF ends the input there.
class PipeConsole {
public:
    explicit PipeConsole(const std::string& bytes) {
        channel.style = ChannelStyle::console;
        channel.name = "CON";
        channel.input_handle = testing_support::pipe_holding(bytes);
    }
    ~PipeConsole() { os::close_handle(channel.input_handle); }
    PipeConsole(const PipeConsole&) = delete;
    PipeConsole& operator=(const PipeConsole&) = delete;

    TextChannel channel;
};

TEST(FormattedReaderConsoleTest, FieldAndWhereTheNextReadStarts) {
    const FieldCase cases[] = {
        {"short name padded", "data.txt\nnext\n", "(A30)", padded("data.txt"), padded("next")},
        {"empty line is all blanks", "\nnext\n", "(A30)", std::string(30, ' '), padded("next")},
        // The rest of a line that runs over two more blocks is dropped too.
        {"line across blocks cut to 30", k40 + std::string(250, 'z') + "\nnext\n", "(A30)", k40.substr(0, 30),
         padded("next")},
        // Ctrl-Z ends the input only as the third byte from a block's end.
        {"Ctrl-Z LF is a character", "\x1A\nnext\n", "(A30)", padded("\x1A"), padded("next")},
        {"answers before Ctrl-Z CR LF are read", "data.txt\r\nnext\r\n\x1A\r\n", "(A30)", padded("data.txt"),
         padded("next")},
    };
    for (const FieldCase& c : cases) {
        PipeConsole console(c.bytes);

        EXPECT_EQ(read_field(console.channel, c.format), c.field) << c.what;
        EXPECT_EQ(read_field(console.channel, "(A30)"), c.next) << c.what << ": the next read";
    }
}

// End of file while the field is read ends the program with the
// end-of-file diagnostic for the channel's name; the read does not return.
class FormattedReaderExitTest : public ::testing::Test {
protected:
    void TearDown() override { close_channel(kChannel); }

    // In the child: standard error on a file, then the reads.
    void read_in_child(TextChannel& channel, int reads) {
        redirect_to_file(STDERR_FILENO, dir.file("stderr"));
        for (int i = 0; i < reads; ++i) (void)read_field(channel, "(A30)");
        os::exit_process(7);
    }
    std::string err() { return read_file(dir.file("stderr")); }

    TempDir dir;
};

TEST_F(FormattedReaderExitTest, EndOfFileInAFile) {
    const struct {
        const char* what;
        std::string bytes;
        int reads;
    } cases[] = {
        {"empty file", "", 1},
        {"after the last line", "data.txt\n", 2},
    };
    for (const auto& c : cases) {
        const std::string path = dir.file("answers");
        write_file(path, c.bytes);
        open_channel(kChannel, path);
        EXPECT_EXIT(read_in_child(*reading_channel(kChannel), c.reads), ::testing::ExitedWithCode(1), "") << c.what;
        EXPECT_EQ(err(), "\r\nrun-time error F6011: READ(" + path + ")\r\n- end of file\r\n") << c.what;
        close_channel(kChannel);
    }
}

TEST_F(FormattedReaderExitTest, CtrlZLineOnAPipeConsole) {
    const struct {
        const char* what;
        std::string bytes;
        int reads;
    } cases[] = {
        {"only Ctrl-Z CR LF", "\x1A\r\n", 1},
        {"Ctrl-Z CR LF after the answers", "10 10 30\r\n2 0\r\n\x1A\r\n", 3},
    };
    for (const auto& c : cases) {
        PipeConsole console(c.bytes);
        EXPECT_EXIT(read_in_child(console.channel, c.reads), ::testing::ExitedWithCode(1), "") << c.what;
        EXPECT_EQ(err(), "\r\nrun-time error F6011: READ(CON)\r\n- end of file\r\n") << c.what;
    }
}

}  // namespace
}  // namespace sotra
