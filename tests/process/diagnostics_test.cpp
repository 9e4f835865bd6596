#include <cfenv>
#include <set>
#include <string>

#include <gtest/gtest.h>
#include <unistd.h>

#include "process/failure_causes.h"
#include "process/float_setup.h"
#include "process/report_failure.h"
#include "process/stop.h"
#include "records/free_format_writer.h"
#include "records/open_channel.h"
#include "records/text_channel.h"
#include "tests/support/temp_dir.h"

namespace sotra {
namespace {

using testing_support::read_file;
using testing_support::redirect_to_file;
using testing_support::TempDir;

TEST(DiagnosticTextTest, LayoutPerStatementKind) {
    const struct {
        StatementKind kind;
        std::string message;
        std::string file;
        std::string text;
    } rows[] = {
        {StatementKind::read, "end of file", "CON", "\r\nrun-time error F6011: READ(CON)\r\n- end of file\r\n"},
        {StatementKind::open, "access refused", "data.txt",
         "\r\nrun-time error F6001: OPEN(data.txt)\r\n- access refused\r\n"},
        {StatementKind::write, "", "SOTRA.DAT", "\r\nrun-time error F6001: WRITE(SOTRA.DAT)\r\n\r\n"},
        {StatementKind::close, "x", "f", "\r\nrun-time error F6001: CLOSE(f)\r\n- x\r\n"},
        {StatementKind::math, "floating-point error: invalid", "ignored",
         "\r\nrun-time error M6001: MATH\r\n- floating-point error: invalid\r\n"},
        {StatementKind::none, "out of memory", "ignored", "\r\nrun-time error F6001\r\n- out of memory\r\n"},
    };
    for (const auto& row : rows) {
        const int number = row.text.find("6011") != std::string::npos ? 6011 : 6001;
        EXPECT_EQ(diagnostic_text(number, row.message, row.kind, row.file), row.text);
    }
}

TEST(FailureCausesTest, TableFollowsTheEnumerationWithDistinctNumbers) {
    std::set<std::int32_t> numbers;
    for (std::size_t i = 0; i < kFailureCauseCount; ++i) {
        const FailureCauseEntry& entry = kFailureCauses[i];
        EXPECT_EQ(static_cast<std::size_t>(entry.cause), i) << "row " << i << " is out of order";
        EXPECT_GT(entry.number, 6000);
        EXPECT_LT(entry.number, 6100) << "6100 and above belong to the floating-point diagnostics";
        EXPECT_FALSE(entry.message.empty());
        EXPECT_TRUE(numbers.insert(entry.number).second) << "number " << entry.number << " used twice";
    }
}

// The README's table and the manual page list every diagnostic the program
// can give, with its message as the program writes it.
TEST(FailureCausesTest, DocumentationListsEveryCauseWithItsMessage) {
    const std::string readme = read_file(std::string(SOTRA_SOURCE_DIR) + "/README.md");
    const std::string manual = read_file(std::string(SOTRA_SOURCE_DIR) + "/doc/sotra.1");
    for (std::size_t i = 0; i < kFailureCauseCount; ++i) {
        const FailureCauseEntry& entry = kFailureCauses[i];
        const std::string number = "F" + std::to_string(entry.number);
        const std::string message(entry.message);
        EXPECT_NE(readme.find("| " + number + " | " + message + " |"), std::string::npos) << number;
        EXPECT_NE(manual.find(".B " + number + "\n" + message), std::string::npos) << number;
    }
}

// The exit paths run in the child of a death test; what they write goes
// to files that the parent then reads byte for byte.
class ExitPathTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(::chdir(dir.path().c_str()), 0);
    }
    void TearDown() override { (void)::chdir("/"); }

    // In the child: console channels on files, standard error on a file.
    void capture_console() {
        redirect_to_file(STDOUT_FILENO, dir.file("stdout"));
        redirect_to_file(STDERR_FILENO, dir.file("stderr"));
        ::close(STDIN_FILENO);
        set_up_console_channels();
    }
    void write_text(std::int32_t channel, std::string_view text) {
        const FreeFormatItem item = FreeFormatItem::of_text(text);
        write_free_format(*writing_channel(channel), std::span(&item, 1));
    }
    std::string out() { return read_file(dir.file("stdout")); }
    std::string err() { return read_file(dir.file("stderr")); }

    TempDir dir;
};

TEST_F(ExitPathTest, ReportFailureWritesTheDiagnosticAndKeepsBufferedRecords) {
    EXPECT_EXIT(
        {
            capture_console();
            write_text(kConsoleOutputChannel, " prompt");
            open_channel(11, "SOTRA.DAT");
            write_text(11, "kept");
            report_failure(FailureCause::access_refused, StatementKind::write, "SOTRA.DAT");
        },
        ::testing::ExitedWithCode(1), "");
    EXPECT_EQ(err(), "\r\nrun-time error F6001: WRITE(SOTRA.DAT)\r\n- access refused\r\n");
    EXPECT_EQ(out(), " prompt\r\n");  // the exit sequence ends the open line
    EXPECT_EQ(read_file(dir.file("SOTRA.DAT")), " kept\r\n");
}

TEST_F(ExitPathTest, StopRunEndsTheLineAndAddsOneMore) {
    EXPECT_EXIT(
        {
            capture_console();
            write_text(kDefaultChannel, "JOIN");
            stop_run(std::string_view(" Resultados en SOTRA.DAT"));
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(out(), "JOIN\r\n Resultados en SOTRA.DAT\r\n\r\n");
    EXPECT_EQ(err(), "");
}

TEST_F(ExitPathTest, StopRunWithoutMessageOrOpenLine) {
    EXPECT_EXIT(
        {
            capture_console();
            stop_run(std::nullopt);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(out(), "Stop - Program terminated.\r\n");
}

TEST_F(ExitPathTest, StopRunMessageEndsAtANulByte) {
    EXPECT_EXIT(
        {
            capture_console();
            stop_run(std::string_view("ab\0cd", 5));
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(out(), "ab\r\n");
}

#ifndef _WIN32
// (POSIX only: Windows has no device that is always full.)
TEST_F(ExitPathTest, FailureDuringTheExitSequenceStopsIt) {
    // The first channel cannot be written when the sequence flushes it: its
    // diagnostic is written, the channel after it is not closed (its buffer
    // is lost), no further line end is written, and the status stays 0.
    if (!testing_support::file_exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this machine";
    EXPECT_EXIT(
        {
            capture_console();
            open_channel(20, "/dev/full");
            open_channel(21, "later.txt");
            write_text(20, "lost");
            write_text(21, "never flushed");
            write_text(kConsoleOutputChannel, " last");
            stop_run(std::string_view(" done"));
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(err(), "\r\nrun-time error F6002: WRITE(/dev/full)\r\n- no space left on device\r\n");
    EXPECT_EQ(read_file(dir.file("later.txt")), "");
    EXPECT_EQ(out(), " last\r\n done\r\n");
}
#endif

// Floating-point set-up: three traps, each with its number and name;
// underflow and inexact stay quiet.
struct TrapCase {
    const char* name;
    double (*compute)(double);
    std::string diagnostic;
};

double divide_by(double zero) { return 1.0 / zero; }
double zero_by_zero(double zero) { return zero / zero; }
double store_too_large(double zero) { return static_cast<float>(3e38 * (zero + 2.0)); }
double product_overflow(double zero) { return 1e300 * (1e300 + zero); }

TEST_F(ExitPathTest, TrapsEndTheProgramWithTheirDiagnostic) {
    const TrapCase cases[] = {
        {"divide", divide_by, "\r\nrun-time error M6103: MATH\r\n- floating-point error: divide by zero\r\n"},
        {"invalid", zero_by_zero, "\r\nrun-time error M6101: MATH\r\n- floating-point error: invalid\r\n"},
        {"store", store_too_large, "\r\nrun-time error M6104: MATH\r\n- floating-point error: overflow\r\n"},
        {"product", product_overflow, "\r\nrun-time error M6104: MATH\r\n- floating-point error: overflow\r\n"},
    };
    for (const TrapCase& c : cases) {
        EXPECT_EXIT(
            {
                capture_console();
                set_up_floating_point();
                volatile double zero = 0.0;
                volatile double result = c.compute(zero);
                (void)result;
                os::exit_process(7);
            },
            ::testing::ExitedWithCode(1), "")
            << c.name;
        EXPECT_EQ(err(), c.diagnostic) << c.name;
    }
}

TEST_F(ExitPathTest, UnderflowAndInexactDoNotTrap) {
    EXPECT_EXIT(
        {
            capture_console();
            set_up_floating_point();
            volatile double tiny = 1e-300;
            volatile double underflow = tiny * tiny;
            volatile float to_single = static_cast<float>(static_cast<double>(tiny));
            volatile double inexact = 1.0 / 3.0;
            (void)underflow;
            (void)to_single;
            (void)inexact;
            os::exit_process(std::fetestexcept(FE_UNDERFLOW | FE_INEXACT) != 0 ? 0 : 3);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(err(), "");
}

}  // namespace
}  // namespace sotra
