// Free-format reading: each case is read from records in memory, from a
// file channel and from a console channel on a pipe, and must give the
// same outcome everywhere: the status, the destinations, and where the
// next read starts.
#include "records/free_format_reader.h"

#include <cmath>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#ifndef _WIN32
#include <pty.h>
#include <termios.h>
#include <unistd.h>
#endif

#include "records/free_format_list.h"
#include "records/memory_records.h"
#include "records/open_channel.h"
#include "platform/os.h"
#include "tests/support/pipe.h"
#include "tests/support/temp_dir.h"

namespace sotra {
namespace {

using testing_support::TempDir;
using testing_support::write_file;

// A destination whose content the case leaves unspecified (the one being
// read when an error came).
constexpr float kAny = std::numeric_limits<float>::quiet_NaN();
constexpr float kMax = std::numeric_limits<float>::max();
// What the next read meets when the text is used up.
const std::string kAtEnd = "<end of file>";

IoStatus error(FailureCause cause) { return io_error(cause); }

struct ReaderCase {
    const char* name;
    std::string text;           // the records, each ended by a line feed
    std::vector<float> before;  // the destinations before the read
    std::vector<float> after;   // and after it
    IoStatus status;
    std::string next;  // where the next read starts: the rest of that record
};

void PrintTo(const ReaderCase& c, std::ostream* os) { *os << c.name; }

const std::string k261Digits = std::string(261, '1');
const std::string k260Digits = std::string(260, '1');
const std::string k260Characters = "0." + std::string(257, '0') + "1";

// clang-format off
const ReaderCase kCases[] = {
    // Separators: blanks, tabs, commas, the comma after a blank, record ends.
    {"Blanks", "300 10 400\nNEXT\n", {0, 0, 0}, {300, 10, 400}, kIoOk, "NEXT"},
    {"Commas", "300,10,400\nNEXT\n", {0, 0, 0}, {300, 10, 400}, kIoOk, "NEXT"},
    {"CommasAfterBlanks", "300 , 10 , 400\nNEXT\n", {0, 0, 0}, {300, 10, 400}, kIoOk, "NEXT"},
    {"Tabs", "300\t10\t400\nNEXT\n", {0, 0, 0}, {300, 10, 400}, kIoOk, "NEXT"},
    {"OneValuePerLine", "300\n10\n400\nNEXT\n", {0, 0, 0}, {300, 10, 400}, kIoOk, "NEXT"},
    {"EmptyLinesBeforeAndBetween", "\n\n300\n\n10\n\n400\nNEXT\n", {0, 0, 0}, {300, 10, 400}, kIoOk, "NEXT"},
    {"LeadingBlanksOfALine", "   300   10   400   \nNEXT\n", {0, 0, 0}, {300, 10, 400}, kIoOk, "NEXT"},
    {"CommaIsNeverPartOfANumber", "1,5\nNEXT\n", {0, 0}, {1, 5}, kIoOk, "NEXT"},
    // Null values leave their destination as it was.
    {"NullBetweenCommas", "300,,400\nNEXT\n", {9, 9, 9}, {300, 9, 400}, kIoOk, "NEXT"},
    {"NullAtTheStart", ",10,400\nNEXT\n", {9, 9, 9}, {9, 10, 400}, kIoOk, "NEXT"},
    {"BlankThenCommaAtTheStartIsNull", " ,10,400\nNEXT\n", {9, 9, 9}, {9, 10, 400}, kIoOk, "NEXT"},
    {"TwoCommasAfterABlank", "1 ,, 2\nNEXT\n", {9, 9, 9}, {1, 9, 2}, kIoOk, "NEXT"},
    {"EmptyQuotedTextIsNull", "'' 5\nNEXT\n", {9, 9}, {9, 5}, kIoOk, "NEXT"},
    {"EmptyParenthesesAreNull", "() 5\nNEXT\n", {9, 9}, {9, 5}, kIoOk, "NEXT"},
    // The slash ends the list.
    {"SlashLeavesTheLast", "300 10 /\nNEXT\n", {9, 9, 9}, {300, 10, 9}, kIoOk, "NEXT"},
    {"SlashRightAfterAValue", "300/\nNEXT\n", {9, 9, 9}, {300, 9, 9}, kIoOk, "NEXT"},
    {"SlashFirst", "/ 1 2 3\nNEXT\n", {9, 9, 9}, {9, 9, 9}, kIoOk, "NEXT"},
    {"SlashAfterEmptyQuotes", "''/ 5\nNEXT\n", {9, 9}, {9, 9}, kIoOk, "NEXT"},
    {"SlashWaitsForTheRepeat", "3*5/ 7\nNEXT\n", {9, 9, 9}, {5, 5, 5}, kIoOk, "NEXT"},
    {"SlashAfterRepeatedNulls", "2*/ 7\nNEXT\n", {9, 9, 9}, {9, 9, 9}, kIoOk, "NEXT"},
    // What follows the last value in its record is never looked at.
    {"RestOfTheRecordDropped", "300 10 400 500\nNEXT\n", {0, 0, 0}, {300, 10, 400}, kIoOk, "NEXT"},
    {"RestDroppedWhateverItHolds", "1 2 'unclosed (\nNEXT\n", {0, 0}, {1, 2}, kIoOk, "NEXT"},
    {"ValueAtTheRecordEndKeepsTheNextRecord", "300 10\n400\nNEXT\n", {0, 0, 0}, {300, 10, 400}, kIoOk, "NEXT"},
    {"LastLineWithoutLineEnd", "300 400", {0, 0}, {300, 400}, kIoOk, kAtEnd},
    // Repeat counts.
    {"RepeatFillsTheList", "3*100\nNEXT\n", {0, 0, 0}, {100, 100, 100}, kIoOk, "NEXT"},
    {"RepeatThenAValue", "2*100 400\nNEXT\n", {0, 0, 0}, {100, 100, 400}, kIoOk, "NEXT"},
    {"RepeatedNulls", "2* 400\nNEXT\n", {9, 9, 9}, {9, 9, 400}, kIoOk, "NEXT"},
    {"RepeatedNullsAtTheRecordEnd", "2*\n400\nNEXT\n", {9, 9, 9}, {9, 9, 400}, kIoOk, "NEXT"},
    {"RepeatLongerThanTheList", "5*1.5 7\nNEXT\n", {0, 0}, {1.5, 1.5}, kIoOk, "NEXT"},
    {"RepeatWithSign", "+2*5 7\nNEXT\n", {0, 0, 0}, {5, 5, 7}, kIoOk, "NEXT"},
    {"RepeatInBase16", "16#2*5 7\nNEXT\n", {0, 0, 0}, {5, 5, 7}, kIoOk, "NEXT"},
    {"RepeatInBase2", "2#11*6\nNEXT\n", {0, 0, 0}, {6, 6, 6}, kIoOk, "NEXT"},
    {"RepeatWithoutBaseIsHex", "#A*8\nNEXT\n", {0, 0, 0}, {8, 8, 8}, kIoOk, "NEXT"},
    {"LargestRepeat", "2147483647*2\nNEXT\n", {0, 0}, {2, 2}, kIoOk, "NEXT"},
    // Nulls at the end of a record after a repeat: the next record stays.
    {"TrailingRepeatedNullKeepsTheNextRecord", "100 2*\n300 400\n", {9, 9}, {100, 9}, kIoOk, "300 400"},
    {"BlankBeforeTheAsteriskIsAnEmptyCount", "3 *100\n", {0, 0, 0}, {3, kAny, 0},
     error(FailureCause::repeat_count_not_positive), "100"},
    {"SecondRepeatCount", "2*3*4 5\n", {0, 0, 0}, {kAny, 0, 0}, error(FailureCause::repeat_count_twice), "4 5"},
    {"ZeroRepeat", "0*5 6\n", {0, 0}, {kAny, 0}, error(FailureCause::repeat_count_not_positive), "5 6"},
    {"NegativeRepeat", "-2*5 6\n", {0, 0}, {kAny, 0}, error(FailureCause::repeat_count_not_positive), "5 6"},
    {"RepeatBeyond32Bits", "2147483648*5\n", {0, 0}, {kAny, 0}, error(FailureCause::invalid_repeat_count), "5"},
    {"FractionalRepeat", "1.5*5\n", {0, 0}, {kAny, 0}, error(FailureCause::invalid_repeat_count), "5"},
    {"BadBase", "37#1*5\n", {0, 0}, {kAny, 0}, error(FailureCause::invalid_repeat_count), "5"},
    {"RepeatedValueRejected", "2*abc 5\n", {0, 0}, {kAny, 0}, error(FailureCause::invalid_number), "5"},
    // The number syntax and its conversion.
    {"ExponentForms", "1.5E2 1.5d2 1.5+2 2.5-3\nNEXT\n", {0, 0, 0, 0}, {150, 150, 150, 2.5e-3f}, kIoOk, "NEXT"},
    {"LargestSingle", "3.4028234e38\nNEXT\n", {0}, {kMax}, kIoOk, "NEXT"},
    {"TooLargeForSingle", "3.4028235e38 1\n", {0}, {kAny}, error(FailureCause::real_overflow), "1"},
    {"BeyondDouble", "1e400 1\n", {0}, {kAny}, error(FailureCause::number_out_of_range), "1"},
    {"UnderflowIsZero", "1e-50\nNEXT\n", {9}, {0}, kIoOk, "NEXT"},
    {"LetterInside", "1.5Q2 1\n", {0}, {kAny}, error(FailureCause::invalid_number), "1"},
    {"NulInside", std::string("1\0002 3\n", 6), {0}, {kAny}, error(FailureCause::invalid_number), "3"},
    {"CtrlZInside", "1\x1A 3\n", {0}, {kAny}, error(FailureCause::invalid_number), "3"},
    {"ClosingParenthesisIsOrdinary", "1) 2\n", {0}, {kAny}, error(FailureCause::invalid_number), "2"},
    {"MarkInsideIsOrdinary", "a'b 1 2\n", {0, 0}, {kAny, 0}, error(FailureCause::invalid_number), "1 2"},
    {"LongestValue", k260Characters + " 5\nNEXT\n", {9, 9}, {0, 5}, kIoOk, "NEXT"},
    {"LongestValueConverted", k260Digits + " 5\n", {9, 9}, {kAny, 9}, error(FailureCause::real_overflow), "5"},
    {"ValueTooLong", k261Digits + " 5\n", {9, 9}, {kAny, 9}, error(FailureCause::value_too_long), "5"},
    // Errors: the next read starts right after the rejected value.
    {"WordBeforeAPair", "abc 100 200\n", {0, 0}, {kAny, 0}, error(FailureCause::invalid_number), "100 200"},
    {"WordAfterAValue", "100 abc\n300 400\n", {0, 0}, {100, kAny}, error(FailureCause::invalid_number), "300 400"},
    {"RejectedBeforeAComma", "abc,5\n", {0, 0}, {kAny, 0}, error(FailureCause::invalid_number), "5"},
    // Quoted texts and parenthesised values: read to their end, then rejected.
    {"QuotedText", "'100' 200 300\n", {0, 0}, {kAny, 0}, error(FailureCause::text_not_real), "200 300"},
    {"DoubleQuotedText", "\"100\" 200\n", {0, 0}, {kAny, 0}, error(FailureCause::text_not_real), "200"},
    {"DoubledMarkStaysInside", "'it''s 1' 2\n", {0}, {kAny}, error(FailureCause::text_not_real), "2"},
    {"OtherMarkStaysInside", "'say \"1\" now' 2\n", {0}, {kAny}, error(FailureCause::text_not_real), "2"},
    {"CharacterAfterTheMarkIsTaken", "'ab'x5 6\n", {0}, {kAny}, error(FailureCause::text_not_real), "5 6"},
    {"QuoteAtTheRecordEnd", "'ab'\n5 6\n", {0}, {kAny}, error(FailureCause::text_not_real), ""},
    // A quoted text runs on into the next records, each losing its first
    // character: X and Y are dropped, so the quote ends after "def".
    {"QuoteOverRecords", "'abc\nXdef\nY' 5 6\n", {0}, {kAny}, error(FailureCause::text_not_real), "5 6"},
    {"DroppedFirstCharacterIsNotTheClosingMark", "'abc\n'd' 5\n", {0}, {kAny}, error(FailureCause::text_not_real),
     "5"},
    {"UnclosedQuote", "'abc 1 2\n3 4\n", {0, 0}, {kAny, 0}, kIoEndOfFile, kAtEnd},
    // The closing parenthesis is taken, and nothing after it.
    {"Parenthesised", "(1,2) 3 4\n", {0, 0}, {kAny, 0}, error(FailureCause::text_not_real), " 3 4"},
    {"ParenthesisedOverRecords", "(1\n 2) 3 4\n", {0, 0}, {kAny, 0}, error(FailureCause::text_not_real), " 3 4"},
    {"ParenthesisEndedBySlash", "(1/ 2 3\n", {0, 0}, {kAny, 0}, error(FailureCause::text_not_real), " 2 3"},
    {"LongParenthesisedValue", "(" + k261Digits + ") 4\n", {0}, {kAny}, error(FailureCause::text_not_real), " 4"},
    // End of file.
    {"EmptyText", "", {9, 9}, {9, 9}, kIoEndOfFile, kAtEnd},
    {"OnlyBlankLines", "\n  \n\t\n", {9, 9}, {9, 9}, kIoEndOfFile, kAtEnd},
    {"EndBeforeTheListIsComplete", "7\n", {0, 0}, {7, kAny}, kIoEndOfFile, kAtEnd},
    {"EndAfterARepeatCount", "2*", {9, 9, 9}, {9, 9, kAny}, kIoEndOfFile, kAtEnd},
};
// clang-format on

// The records of a text: one per line feed, and a last one without.
std::vector<std::string> records_of(const std::string& text) {
    std::vector<std::string> records;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            records.push_back(text.substr(start));
            break;
        }
        records.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return records;
}

// What the next read meets: the rest of the record it starts in.
template <typename Source>
std::string where_next_read_starts(Source& source) {
    int c = source.next_char();
    if (c == kEndOfFile) return kAtEnd;
    std::string rest;
    for (; c >= 0; c = source.next_char()) rest += static_cast<char>(c);
    return rest;
}

struct ChannelChars {
    TextChannel& channel;
    int next_char() { return sotra::next_char(channel); }
};

struct Outcome {
    IoStatus status;
    std::vector<float> values;
    std::string next;
};

void expect_outcome(const ReaderCase& c, const Outcome& got, const char* source) {
    EXPECT_EQ(got.status, c.status) << source;
    ASSERT_EQ(got.values.size(), c.after.size());
    for (std::size_t i = 0; i < c.after.size(); ++i) {
        if (std::isnan(c.after[i])) continue;
        EXPECT_EQ(got.values[i], c.after[i]) << source << ", destination " << i + 1;
    }
    EXPECT_EQ(got.next, c.next) << source;
}

std::vector<float*> pointers_to(std::vector<float>& values) {
    std::vector<float*> pointers;
    for (float& v : values) pointers.push_back(&v);
    return pointers;
}

Outcome read_from_channel(TextChannel& channel, const ReaderCase& c) {
    Outcome got{0, c.before, ""};
    const std::vector<float*> destinations = pointers_to(got.values);
    got.status = read_free_format(channel, destinations, true, true);
    ChannelChars chars{channel};
    got.next = where_next_read_starts(chars);
    return got;
}

class FreeFormatReaderTest : public ::testing::TestWithParam<ReaderCase> {};

TEST_P(FreeFormatReaderTest, RecordsInMemory) {
    const ReaderCase& c = GetParam();
    MemoryRecords records(records_of(c.text));
    Outcome got{0, c.before, ""};
    const std::vector<float*> destinations = pointers_to(got.values);
    got.status = read_list(records, destinations).status;
    got.next = where_next_read_starts(records);
    expect_outcome(c, got, "memory");
}

TEST_P(FreeFormatReaderTest, FileChannel) {
    const ReaderCase& c = GetParam();
    TempDir dir;
    write_file(dir.file("data"), c.text);
    open_channel(40, dir.file("data"));
    expect_outcome(c, read_from_channel(*reading_channel(40), c), "file");
    close_channel(40);
}

TEST_P(FreeFormatReaderTest, ConsoleOnAPipe) {
    const ReaderCase& c = GetParam();
    TextChannel channel;
    channel.style = ChannelStyle::console;
    channel.name = "CON";
    channel.input_handle = testing_support::pipe_holding(c.text);
    expect_outcome(c, read_from_channel(channel, c), "console");
    os::close_handle(channel.input_handle);
}

INSTANTIATE_TEST_SUITE_P(Cases, FreeFormatReaderTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<ReaderCase>& info) { return std::string(info.param.name); });

// Reads after reads: the position carries over, a repeat and a slash do not.
TEST(FreeFormatReaderSequenceTest, ReadsResumeWhereThePreviousLeftOff) {
    MemoryRecords records(records_of("abc 100 200\n100 xyz\n300 400\n3*7/ 8\n9 10\n"));
    float t = 0, theta = 0;
    float* const pair[] = {&t, &theta};
    EXPECT_EQ(read_list(records, pair).status, error(FailureCause::invalid_number));
    EXPECT_EQ(read_list(records, pair).status, kIoOk);
    EXPECT_EQ(t, 100.0f);
    EXPECT_EQ(theta, 200.0f);
    EXPECT_EQ(read_list(records, pair).status, error(FailureCause::invalid_number));
    EXPECT_EQ(t, 100.0f);
    EXPECT_EQ(read_list(records, pair).status, kIoOk);
    EXPECT_EQ(t, 300.0f);
    EXPECT_EQ(theta, 400.0f);
    EXPECT_EQ(read_list(records, pair).status, kIoOk);
    EXPECT_EQ(t, 7.0f);
    EXPECT_EQ(theta, 7.0f);
    EXPECT_EQ(read_list(records, pair).status, kIoOk) << "neither the repeat nor the slash carries over";
    EXPECT_EQ(t, 9.0f);
    EXPECT_EQ(theta, 10.0f);
    EXPECT_EQ(read_list(records, pair).status, kIoEndOfFile);
}

TEST(FreeFormatReaderSequenceTest, EndOfFileStays) {
    TempDir dir;
    write_file(dir.file("data"), "1 2\n");
    open_channel(40, dir.file("data"));
    TextChannel& channel = *reading_channel(40);
    float a = 0, b = 0;
    float* const pair[] = {&a, &b};
    EXPECT_EQ(read_free_format(channel, pair, true, true), kIoOk);
    EXPECT_EQ(read_free_format(channel, pair, true, true), kIoEndOfFile);
    EXPECT_TRUE(channel.at_end);
    write_file(dir.file("data"), "1 2\n3 4\n");  // grown meanwhile: not looked at
    EXPECT_EQ(read_free_format(channel, pair, true, false), kIoEndOfFile);
    EXPECT_EQ(read_free_format(channel, pair, true, true), kIoEndOfFile);
    close_channel(40);
}

#ifndef _WIN32
// (POSIX only: the shared console is set up on a pseudo-terminal.)
// With standard input and output both on a terminal the console is one
// shared channel, and a rejected answer takes the rest of its line with it.
// Runs in a child of its own, which takes over standard input and output.
// The child's part: 0 when the second read gets the next line's values.
int read_after_a_rejected_answer_on_a_terminal() {
    int master = -1;
    int slave = -1;
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) return 10;
    termios modes{};
    ::tcgetattr(slave, &modes);
    modes.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    ::tcsetattr(slave, TCSANOW, &modes);
    const std::string typed = "abc 100 200\n7 8\n";
    if (::write(master, typed.data(), typed.size()) != static_cast<ssize_t>(typed.size())) return 11;
    ::dup2(slave, 0);
    ::dup2(slave, 1);
    set_up_console_channels();
    if (!console_is_shared()) return 12;
    float a = 0;
    float b = 0;
    float* const pair[] = {&a, &b};
    if (read_free_format(console_input(), pair, true, true) != error(FailureCause::invalid_number)) return 13;
    const IoStatus second = read_free_format(console_input(), pair, true, true);
    return second == kIoOk && a == 7.0f && b == 8.0f ? 0 : 14;
}

TEST(FreeFormatReaderDeathTest, SharedConsoleDropsTheRestOfTheLineAfterAnError) {
    EXPECT_EXIT(std::_Exit(read_after_a_rejected_answer_on_a_terminal()), ::testing::ExitedWithCode(0), "");
}
#endif

// A death test's standard error as the parent sees it: on Windows it reads
// the child's output in text mode, where CR LF arrives as LF.
std::string as_captured(std::string pattern) {
#ifdef _WIN32
    for (std::size_t at = pattern.find("\r\n"); at != std::string::npos; at = pattern.find("\r\n", at)) {
        pattern.erase(at, 1);
    }
#endif
    return pattern;
}

// An outcome the read did not ask to get back ends the program with the
// diagnostic of the read statement.
TEST(FreeFormatReaderDeathTest, UnaskedOutcomesEndTheProgram) {
    const struct {
        std::string text;
        bool handle_errors;
        bool handle_end_of_file;
        const char* diagnostic;
    } rows[] = {
        {"abc\n", false, false, "F6021: READ\\(.*data\\)\r\n- value is not a valid number"},
        {"abc\n", false, true, "F6021: READ\\(.*data\\)"},
        {"0*1\n", false, true, "F6025: READ\\(.*data\\)\r\n- repeat count is not positive"},
        {"'x'\n", false, false, "F6024: READ"},
        {"", false, false, "F6011: READ\\(.*data\\)\r\n- end of file"},
    };
    for (const auto& row : rows) {
        TempDir dir;
        write_file(dir.file("data"), row.text);
        open_channel(40, dir.file("data"));
        float value = 0;
        float* const destination[] = {&value};
        EXPECT_EXIT(read_free_format(*reading_channel(40), destination, row.handle_errors, row.handle_end_of_file),
                    ::testing::ExitedWithCode(1), as_captured(row.diagnostic))
            << row.text;
        close_channel(40);
    }
}

}  // namespace
}  // namespace sotra
