// Hostile input to the built program: control bytes, huge lines, huge
// repeat counts, values running over thousands of records, a data file of
// a million pairs, files that are not regular files, names at the length
// limit. Each run must end as the reading rules say, or with a clear
// diagnostic, and never hang (the fixture's safety net would say so).
//
// The answer line of 130 and 131 characters on a terminal is in
// console_pty_posix_test.cpp.
#include <gtest/gtest.h>

#include <charconv>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>
#ifndef _WIN32
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

#include "run_fixture.h"

namespace sotra {
namespace {

using namespace std::string_literals;

const std::string kVariableTheta = "10 10 30\n2 0\ndata.txt\n";
const std::string kTwoPairs = "100 200\n300 400\n";
const std::string kTitle345 = "ITLE TOP \"Th Debye:   345.000K\"";
const std::string kMean300 = "ITLE TOP \"Th Debye(media):   300.000K\"";
constexpr std::size_t kMegabyte = 1 << 20;

std::string repeated(const std::string& text, std::size_t times) {
    std::string bytes;
    bytes.reserve(text.size() * times);
    for (std::size_t i = 0; i < times; ++i) bytes += text;
    return bytes;
}

std::string read_error(const std::string& file, const std::string& number, const std::string& message) {
    return "\r\nrun-time error F" + number + ": READ(" + file + ")\r\n- " + message + "\r\n";
}

const std::string kNotANumber = read_error("CON", "6021", "value is not a valid number");
const std::string kConsoleEnd = read_error("CON", "6011", "end of file");
const std::string kNotAReal = read_error("CON", "6024", "text or parenthesised value where a real was expected");
const std::string kNoPair = "\r\nrun-time error M6101: MATH\r\n- floating-point error: invalid\r\n";

// A run and how it must end: with a diagnostic, before any output file
// is made, or complete, showing `top_title` with `points` records. The
// bytes are made only when the case runs.
using Bytes = std::function<std::string()>;

Bytes constant(std::string bytes) {
    return [bytes = std::move(bytes)] { return bytes; };
}

struct HostileCase {
    const char* name;
    Bytes answers;
    Bytes data;  // data.txt, made when not empty
    std::string diagnostic;
    std::string top_title;
    std::size_t points = 3;
};

void PrintTo(const HostileCase& c, std::ostream* os) { *os << c.name; }

HostileCase fails(const char* name, Bytes answers, Bytes data, std::string diagnostic) {
    return {name, std::move(answers), std::move(data), std::move(diagnostic), "", 0};
}

HostileCase finishes(const char* name, Bytes answers, Bytes data, std::string top_title, std::size_t points = 3) {
    return {name, std::move(answers), std::move(data), "", std::move(top_title), points};
}

void expect_outcome(const E2eDirectory& dir, const E2eRun& r, const std::string& diagnostic,
                    const std::string& top_title, std::size_t points) {
    ASSERT_FALSE(r.timed_out) << r.describe();
    ASSERT_TRUE(r.exited) << r.describe();
    if (!diagnostic.empty()) {
        EXPECT_EQ(r.exit_status, 1) << r.describe();
        EXPECT_EQ(r.err, diagnostic);
        EXPECT_FALSE(dir.exists("SOTRA.GNP"));
        return;
    }
    EXPECT_EQ(r.exit_status, 0) << r.describe();
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find(top_title + "\r\n"), std::string::npos) << r.out.substr(0, 400);
    ASSERT_TRUE(dir.exists("SOTRA.DAT"));
    std::vector<DataRecord> records;
    ASSERT_TRUE(parse_data_records(dir.read_file("SOTRA.DAT"), records));
    EXPECT_EQ(records.size(), points);
}

class EndToEndHostileInput : public EndToEnd, public ::testing::WithParamInterface<HostileCase> {};

TEST_P(EndToEndHostileInput, EndsAsTheReadingRulesSay) {
    const HostileCase& c = GetParam();
    const std::string data = c.data ? c.data() : "";
    if (!data.empty()) dir_.write_file("data.txt", data);

    const E2eRun r = run(c.answers());

    expect_outcome(dir_, r, c.diagnostic, c.top_title, c.points);
    if (!data.empty()) {
        EXPECT_TRUE(dir_.read_file("data.txt") == data) << "the data file was changed";
    }
}

// Answers on a pipe.
INSTANTIATE_TEST_SUITE_P(
    Answers, EndToEndHostileInput,
    ::testing::Values(
        fails("NulInAValue", constant("10\0 10 30\n2 345\n"s), {}, kNotANumber),
        // What follows the last value of a list is never looked at.
        finishes("NulsAfterTheLastValue", constant("10 10 30 \0\0\n2 345\n"s), {}, kTitle345),
        // On a pipe only a block ending in Ctrl-Z CR LF ends the input.
        fails("CtrlZInAValue", constant("10 10\x1A 30\n2 345\n"), {}, kNotANumber),
        fails("CtrlZLineIsAValue", constant("10 10 30\n\x1A\n2 345\n"), {}, kNotANumber),
        finishes("MegabyteOfBlanksAfterTheAnswers",
                 [] { return "10 10 30" + std::string(kMegabyte, ' ') + "\n2 345\n"; }, {}, kTitle345),
        finishes("MegabyteOfBlanksBeforeTheAnswers",
                 [] { return std::string(kMegabyte, ' ') + "\n" + std::string(kTypicalAnswers); }, {}, kTitle345),
        fails("MegabyteValue", [] { return std::string(kMegabyte, '1') + " 10 30\n2 345\n"; }, {},
              read_error("CON", "6028", "value longer than 260 characters")),
        // The largest count: the sweep 10 10 10, one point; the copies the
        // list has no room for are never made.
        finishes("RepeatCountLimit", constant("2147483647*10\n2 345\n"), {}, kTitle345, 1),
        fails("RepeatCountPastTheLimit", constant("2147483648*10\n2 345\n"), {},
              read_error("CON", "6026", "repeat count not valid")),
        // As many null values: the sweep stays 0 0 0, refused before any file.
        fails("RepeatCountLimitOfNulls", constant("2147483647*\n2 345\n"), {},
              "\r\nrun-time error F6031\r\n- temperature increment not positive: the sweep would never reach "
              "its end\r\n"),
        // A parenthesised value or a quoted text is read to its end over any
        // number of records, and only then refused; unclosed, it meets the
        // end of the input. Every line a quoted text continues on loses its
        // first character, here the quote itself.
        fails("ParenthesesOpenOver10000Records", [] { return "10 10 " + repeated("(\n", 10000) + "2 345\n"; }, {},
              kConsoleEnd),
        fails("ParenthesisClosedAfter10000Records",
              [] { return "10 10 (" + repeated("x\n", 10000) + ")\n2 345\n"; }, {}, kNotAReal),
        fails("QuotesOpenOver10000Records", [] { return "10 10 30\n" + repeated("'\n", 10000) + "2 345\n"; }, {},
              kConsoleEnd),
        fails("QuoteClosedAfter10000Records", [] { return "10 10 '" + repeated("\nxx", 10000) + "'\n2 345\n"; },
              {}, kNotAReal)),
    [](const ::testing::TestParamInfo<HostileCase>& info) { return std::string(info.param.name); });

// "1 300" to "1000000 300", one pair a line.
std::string million_pairs() {
    std::string bytes;
    bytes.reserve(12 * 1000000);
    char digits[16];
    for (int t = 1; t <= 1000000; ++t) {
        bytes.append(digits, std::to_chars(digits, digits + sizeof digits, t).ptr);
        bytes += " 300\n";
    }
    return bytes;
}

// Data files. A value that is not a number is dropped silently, with the
// temperature already taken for its pair.
INSTANTIATE_TEST_SUITE_P(
    DataFiles, EndToEndHostileInput,
    ::testing::Values(
        finishes("NulInAValue", constant(kVariableTheta), constant("100 200\0\n300 400\n"s),
                 "ITLE TOP \"Th Debye:   400.000K\""),
        // A NUL ends the name of the data file; one at its start leaves the
        // name blank, so it is asked for, and the input has no answer.
        finishes("NulEndsTheFileName", constant("10 10 30\n2 0\ndata.txt\0junk\n"s),
                 constant(kTwoPairs), kMean300),
        fails("NulFirstInTheFileName", constant("10 10 30\n2 0\n\0data.txt\n"s),
              constant(kTwoPairs), kConsoleEnd),
        // In a file byte 26 is an ordinary byte: the pair after it counts.
        finishes("CtrlZCrLfLine", constant(kVariableTheta), constant("100 200\n\x1A\r\n300 400\n"), kMean300),
        finishes("MegabyteOfBlanks", constant(kVariableTheta),
                 [] { return "100 200\n" + std::string(kMegabyte, ' ') + "\n300 400\n"; }, kMean300),
        finishes("MegabyteValue", constant(kVariableTheta),
                 [] { return "100 200\n" + std::string(kMegabyte, '9') + "\n300 400\n"; }, kMean300),
        // One pair: the read of a pair takes two of the copies.
        finishes("RepeatCountLimit", constant(kVariableTheta), constant("2147483647*300\n"),
                 "ITLE TOP \"Th Debye:   300.000K\""),
        // Refused at its asterisk, after which reading goes on: 300 and 100
        // make a pair, the rest of that line goes, then 300 400.
        finishes("RepeatCountPastTheLimit", constant(kVariableTheta), constant("2147483648*300\n" + kTwoPairs),
                 "ITLE TOP \"Th Debye(media):   250.000K\""),
        fails("ParenthesesOpenOver10000Records", constant(kVariableTheta),
              [] { return repeated("(1\n", 10000) + kTwoPairs; }, kNoPair),
        finishes("ParenthesisClosedAfter10000Records", constant(kVariableTheta),
                 [] { return repeated("(1\n", 10000) + ")\n" + kTwoPairs; }, kMean300),
        fails("QuotesOpenOver10000Records", constant(kVariableTheta),
              [] { return repeated("'\n", 10000) + kTwoPairs; }, kNoPair),
        finishes("QuotedTextOn10000Lines", constant(kVariableTheta),
                 [] { return repeated("'a'\n", 10000) + kTwoPairs; }, kMean300),
        // The 5001st pair ends the load: the rest of the file is not read.
        fails("MillionPairs", constant(kVariableTheta), million_pairs,
              read_error("data.txt", "6041", "more than 5000 temperature pairs in the data file"))),
    [](const ::testing::TestParamInfo<HostileCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Files that are not regular files. Reading a FIFO that nobody writes would
// wait for ever, and writing one that nobody reads would stop once it is
// full: only regular files and character devices are opened, the rest is
// refused like a directory.

struct FileKindCase {
    const char* name;
    std::string answers;
    std::function<void(const E2eDirectory&)> make;
    std::string diagnostic;
};

void PrintTo(const FileKindCase& c, std::ostream* os) { *os << c.name; }

class EndToEndFileKind : public EndToEnd, public ::testing::WithParamInterface<FileKindCase> {};

TEST_P(EndToEndFileKind, EndsWithItsDiagnosticAtOnce) {
    const FileKindCase& c = GetParam();
    c.make(dir_);

    const E2eRun r = run(c.answers);

    ASSERT_FALSE(r.timed_out) << r.describe();
    ASSERT_TRUE(r.exited) << r.describe();
    EXPECT_EQ(r.exit_status, 1) << r.describe();
    EXPECT_EQ(r.err, c.diagnostic);
    EXPECT_FALSE(dir_.exists("SOTRA.GNP"));
}

#ifndef _WIN32
// FIFOs, sockets and symbolic links are made only on POSIX systems.
void make_fifo(const E2eDirectory& dir, const char* name) {
    ASSERT_EQ(::mkfifo(dir.path_of(name).c_str(), 0644), 0) << name;
}

void make_socket(const E2eDirectory& dir, const char* name) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = dir.path_of(name);
    ASSERT_LT(path.size(), sizeof address.sun_path);
    path.copy(address.sun_path, path.size());
    EXPECT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
}
#endif

const std::string kDataRefused = "\r\nrun-time error F6001: OPEN(data.txt)\r\n- access refused\r\n";
const std::string kResultsRefused = "\r\nrun-time error F6001: OPEN(SOTRA.DAT)\r\n- access refused\r\n";

INSTANTIATE_TEST_SUITE_P(
    Kinds, EndToEndFileKind,
    ::testing::Values(
        FileKindCase{"DirectoryAsResultsFile", std::string(kTypicalAnswers),
                     [](const E2eDirectory& d) { std::filesystem::create_directory(d.path_of("SOTRA.DAT")); },
                     kResultsRefused}
#ifndef _WIN32
        ,
        FileKindCase{"FifoAsDataFile", kVariableTheta, [](const E2eDirectory& d) { make_fifo(d, "data.txt"); },
                     kDataRefused},
        FileKindCase{"SocketAsDataFile", kVariableTheta, [](const E2eDirectory& d) { make_socket(d, "data.txt"); },
                     kDataRefused},
        // A character device is opened: the null device reads as empty.
        FileKindCase{"CharacterDeviceAsDataFile", kVariableTheta,
                     [](const E2eDirectory& d) {
                         std::filesystem::create_symlink("/dev/null", d.path_of("data.txt"));
                     },
                     kNoPair},
        // 3000 points are more than a FIFO holds.
        FileKindCase{"FifoAsResultsFile", "1 1 3000\n2 345\n",
                     [](const E2eDirectory& d) { make_fifo(d, "SOTRA.DAT"); }, kResultsRefused}
#endif
        ),
    [](const ::testing::TestParamInfo<FileKindCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// A blank name line takes the name from the command line, where it may be
// long: a name holds at most 259 characters, and the rest of a longer
// argument is dropped.

TEST(EndToEndLongName, NamesOf259And260CharactersReachTheSameFile) {
    // A path of exactly 259 characters.
    const std::string directories = std::string(120, 'a') + "/" + std::string(129, 'b');
    const std::string path = directories + "/data.txt";
    ASSERT_EQ(path.size(), 259u);
    for (const std::string& argument : {path, path + "X"}) {
        SCOPED_TRACE(argument.size());
        E2eDirectory dir;
        std::filesystem::create_directories(dir.path_of(directories));
        dir.write_file(path, kTwoPairs);
        E2eRunOptions options;
        options.arguments = {argument};

        const E2eRun r = run_sotra(dir, "10 10 30\n2 0\n\n", options);

        expect_outcome(dir, r, "", kMean300, 3);
        EXPECT_FALSE(dir.exists(path + "X")) << "a name longer than 259 characters was used whole";
    }
}

#ifndef _WIN32
// (POSIX only: the peak memory is read from /proc.)
// ---------------------------------------------------------------------------
// A huge line costs no memory: records are read through the channel's
// buffer, not held whole. The stand-in plotter notes the program's peak
// resident memory while the program waits for it.

constexpr std::string_view kPeakMemoryPlotter =
    "#!/bin/sh\n"
    "p=$PPID\n"
    "for _ in 1 2 3; do\n"
    "  if [ \"$(cat /proc/$p/comm)\" = sotra ]; then\n"
    "    sed -n 's/^VmHWM:[[:space:]]*\\([0-9]*\\) kB$/\\1/p' /proc/$p/status > peak_kb; exit 0\n"
    "  fi\n"
    "  p=$(sed -n 's/^PPid:[[:space:]]*//p' /proc/$p/status)\n"
    "done\n";

struct MemoryCase {
    const char* name;
    std::string answers;
    std::string data;
};

void PrintTo(const MemoryCase& c, std::ostream* os) { *os << c.name; }

class EndToEndLongLineMemory : public EndToEnd, public ::testing::WithParamInterface<MemoryCase> {};

// The peak resident memory in kB of a complete run, or -1.
long peak_memory_kb(const std::string& answers, const std::string& data) {
    E2eDirectory dir;
    dir.write_file("bin/wgnuplot", kPeakMemoryPlotter);
    if (!data.empty()) dir.write_file("data.txt", data);
    const E2eRun r = run_sotra(dir, answers);
    EXPECT_TRUE(r.exited && r.exit_status == 0) << r.describe();
    if (!dir.exists("peak_kb")) return -1;
    const std::string text = dir.read_file("peak_kb");
    return text.empty() ? -1 : std::stol(text);
}

constexpr std::size_t kLongLine = 16 * kMegabyte;

TEST_P(EndToEndLongLineMemory, PeakMemoryDoesNotGrowWithTheLine) {
    const MemoryCase& c = GetParam();
    if (!std::filesystem::exists("/proc/self/status")) GTEST_SKIP() << "no /proc to read the peak memory from";
    const long short_line = peak_memory_kb(c.answers, c.data);
    const std::size_t at = c.data.empty() ? c.answers.find('\n') : c.data.find('\n');
    std::string answers = c.answers;
    std::string data = c.data;
    (c.data.empty() ? answers : data).insert(at, std::string(kLongLine, ' '));

    const long long_line = peak_memory_kb(answers, data);

    ASSERT_GT(short_line, 0) << "the stand-in plotter found no peak memory";
    ASSERT_GT(long_line, 0) << "the stand-in plotter found no peak memory";
    EXPECT_LT(long_line - short_line, 4096) << "a line of " << kLongLine / kMegabyte << " MB raised the peak from "
                                            << short_line << " kB to " << long_line << " kB";
}

INSTANTIATE_TEST_SUITE_P(Lines, EndToEndLongLineMemory,
                         ::testing::Values(MemoryCase{"Answer", std::string(kTypicalAnswers), ""},
                                           MemoryCase{"DataFile", kVariableTheta, kTwoPairs}),
                         [](const ::testing::TestParamInfo<MemoryCase>& info) { return std::string(info.param.name); });
#endif

}  // namespace
}  // namespace sotra
