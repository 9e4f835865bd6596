// Runs that end in a diagnostic on standard error, and floating-point
// conditions that must not.
#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>
#include <unistd.h>

#include "run_fixture.h"

namespace sotra {
namespace {

const std::string kDialogueShown = std::string(kSweepPromptShown) + "\r\n" + std::string(kAtomsPromptShown) +
                                   "\r\n" + std::string(kVariablePromptShown);

const std::string kDivideByZero = "\r\nrun-time error M6103: MATH\r\n- floating-point error: divide by zero\r\n";

void expect_failed_with(const E2eRun& r, const std::string& diagnostic) {
    ASSERT_FALSE(r.timed_out) << r.describe();
    ASSERT_TRUE(r.exited) << r.describe();
    EXPECT_EQ(r.exit_status, 1) << r.describe();
    EXPECT_EQ(r.err, diagnostic);
}

// theta 1e-20 at 1 K: e^x - 1 is exactly zero and the Planck term divides
// by it. Both files were open; nothing had reached SOTRA.DAT, the script's
// header is flushed by the exit sequence.
TEST_F(EndToEnd, DivisionByZeroAtFirstPointKeepsOpenFiles) {
    const E2eRun r = run("1 1 1\n2 1e-20\n");

    expect_failed_with(r, kDivideByZero);
    ASSERT_TRUE(dir_.exists("SOTRA.DAT"));
    EXPECT_EQ(dir_.read_file("SOTRA.DAT"), "");
    ASSERT_TRUE(dir_.exists("SOTRA.GNP"));
    EXPECT_EQ(dir_.read_file("SOTRA.GNP"), kScriptHeader);
    EXPECT_FALSE(dir_.exists(kPlotterArgsFile));
}

// theta 1e-15: x = 1e-15 at 1 K still works, x = 1e-17 at 100 K divides by
// zero. The first point stays in both files.
TEST_F(EndToEnd, DivisionByZeroAfterAPointKeepsWhatWasWritten) {
    const E2eRun r = run("1 99 100\n2 1e-15\n");

    expect_failed_with(r, kDivideByZero);
    // The titles were shown (theta's own title aside); the exit sequence
    // ends their open line.
    const std::string top = kDialogueShown + "\r\nITLE TOP \"Th Debye: ";
    const std::string rest = "K\"\r\nITLE BOTTOM \"T(K)\"\r\nITLE LEFT \"Cv/R Debye\"\r\n";
    EXPECT_EQ(r.out.substr(0, top.size()), top);
    ASSERT_GE(r.out.size(), rest.size());
    EXPECT_EQ(r.out.substr(r.out.size() - rest.size()), rest);
    expect_points_kept(dir_, {"1.000000"});
}

// 3 x 2e38 does not fit a single-precision real: the store overflows before
// any output file is opened.
TEST_F(EndToEnd, ModesFactorOverflowStopsBeforeFilesAreOpened) {
    const E2eRun r = run("10 10 30\n2e38 345\n");

    expect_failed_with(r, "\r\nrun-time error M6104: MATH\r\n- floating-point error: overflow\r\n");
    EXPECT_EQ(r.out, kDialogueShown + "\r\n");
    EXPECT_FALSE(dir_.exists("SOTRA.DAT"));
    EXPECT_FALSE(dir_.exists("SOTRA.GNP"));
}

// Results too small for a single-precision real become zero without a
// diagnostic; underflow and inexact results are not trapped.
struct QuietCase {
    const char* name;
    const char* input;
    const char* temperature;
    const char* cv_over_r;
};

void PrintTo(const QuietCase& c, std::ostream* os) { *os << c.name; }

class EndToEndQuietFloatingPoint : public EndToEnd, public ::testing::WithParamInterface<QuietCase> {};

TEST_P(EndToEndQuietFloatingPoint, UnderflowGivesZeroWithoutDiagnostic) {
    const QuietCase& c = GetParam();
    const E2eRun r = run(c.input);

    ASSERT_FALSE(r.timed_out) << r.describe();
    ASSERT_TRUE(r.exited) << r.describe();
    EXPECT_EQ(r.exit_status, 0) << r.describe();
    EXPECT_EQ(r.err, "");
    std::vector<DataRecord> records;
    ASSERT_TRUE(dir_.exists("SOTRA.DAT"));
    ASSERT_TRUE(parse_data_records(dir_.read_file("SOTRA.DAT"), records));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].temperature, c.temperature);
    EXPECT_EQ(records[0].cv_over_r, c.cv_over_r);
}

INSTANTIATE_TEST_SUITE_P(
    Underflow, EndToEndQuietFloatingPoint,
    ::testing::Values(
        // x = 1e40: 77.9 / x^3 is about 1e-118, zero in single precision.
        QuietCase{"TinyTemperature", "1e-30 1 1e-30\n2 1e10\n", "1.000000E-30", "0.000000E+00"},
        // x = 1e38 / 1e-30 = 1e68: x^3 is far past any float, 1/x^3 is a
        // double far below any float.
        QuietCase{"HugeTheta", "1e-30 1 1e-30\n1 1e38\n", "1.000000E-30", "0.000000E+00"}),
    [](const ::testing::TestParamInfo<QuietCase>& info) { return std::string(info.param.name); });

// Console answers that cannot be read end the run before any file is made.
struct ReadCase {
    const char* name;
    const char* input;
    std::string out;  // what the console showed, closing line end included
    const char* err;
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }

class EndToEndConsoleRead : public EndToEnd, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(EndToEndConsoleRead, FailsWithReadDiagnostic) {
    const ReadCase& c = GetParam();
    const E2eRun r = run(c.input);

    expect_failed_with(r, c.err);
    EXPECT_EQ(r.out, c.out);
    EXPECT_FALSE(dir_.exists("SOTRA.DAT"));
    EXPECT_FALSE(dir_.exists("SOTRA.GNP"));
}

const char* const kInvalidNumber = "\r\nrun-time error F6021: READ(CON)\r\n- value is not a valid number\r\n";
const char* const kEndOfFile = "\r\nrun-time error F6011: READ(CON)\r\n- end of file\r\n";

INSTANTIATE_TEST_SUITE_P(
    Answers, EndToEndConsoleRead,
    ::testing::Values(
        ReadCase{"NotANumber", "abc 10 30\n", std::string(kSweepPromptShown) + "\r\n", kInvalidNumber},
        ReadCase{"SecondAnswerNotANumber", "10 10 30\n2 abc\n", kDialogueShown + "\r\n", kInvalidNumber},
        ReadCase{"NoInput", "", std::string(kSweepPromptShown) + "\r\n", kEndOfFile},
        ReadCase{"EndOfInputAtSecondPrompt", "10 10 30\n", kDialogueShown + "\r\n", kEndOfFile}),
    [](const ::testing::TestParamInfo<ReadCase>& info) { return std::string(info.param.name); });

#ifndef _WIN32
// (POSIX only: permission bits, and a user id other than root's.)
// An existing results file the user may not write: the write is refused.
// Root writes regardless of permission bits, so as root the program is run
// under an unprivileged user id.
TEST_F(EndToEnd, ReadOnlyResultsFileIsRefused) {
    const std::string results_before = "results to keep\r\n";
    dir_.write_file("SOTRA.DAT", results_before);
    std::filesystem::permissions(dir_.path_of("SOTRA.DAT"), std::filesystem::perms(0444));
    E2eRunOptions options;
    options.unprivileged = ::geteuid() == 0;

    const E2eRun r = run("10 10 30\n2 345\n", options);

    if (r.could_not_start) {
        GTEST_SKIP() << "running as root, and the program cannot be run as user " << kUnprivilegedId
                     << ", so permission bits would not stop the write";
    }
    expect_failed_with(r, "\r\nrun-time error F6001: WRITE(SOTRA.DAT)\r\n- access refused\r\n");
    EXPECT_EQ(dir_.read_file("SOTRA.DAT"), results_before);
    EXPECT_FALSE(dir_.exists(kPlotterArgsFile));
}
#endif

}  // namespace
}  // namespace sotra
