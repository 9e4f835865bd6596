// A complete run: the dialogue, the two output files, the plotter and the
// closing message.
#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>

#include "run_fixture.h"

namespace sotra {
namespace {

const std::string kTypicalStdout(kTypicalConsoleShown);
const std::string kTypicalPoints(kTypicalResultsFile);
const std::string kTypicalScript(kTypicalScriptFile);

struct TypicalCase {
    const char* name;
    const char* input;
    // Bytes SOTRA.DAT and SOTRA.GNP hold before the run; empty: absent.
    std::string results_before;
    std::string script_before;
};

void PrintTo(const TypicalCase& c, std::ostream* os) { *os << c.name; }

class EndToEndTypicalRun : public EndToEnd, public ::testing::WithParamInterface<TypicalCase> {};

TEST_P(EndToEndTypicalRun, WritesResultsScriptConsoleAndRunsPlotterOnce) {
    const TypicalCase& c = GetParam();
    if (!c.results_before.empty()) dir_.write_file("SOTRA.DAT", c.results_before);
    if (!c.script_before.empty()) dir_.write_file("SOTRA.GNP", c.script_before);

    const E2eRun r = run(c.input);

    ASSERT_FALSE(r.timed_out) << r.describe();
    ASSERT_TRUE(r.exited) << r.describe();
    EXPECT_EQ(r.exit_status, 0) << r.describe();
    EXPECT_EQ(r.out, kTypicalStdout);
    EXPECT_EQ(r.err, "");
    ASSERT_TRUE(dir_.exists("SOTRA.DAT"));
    EXPECT_EQ(dir_.read_file("SOTRA.DAT"), kTypicalPoints);
    ASSERT_TRUE(dir_.exists("SOTRA.GNP"));
    EXPECT_EQ(dir_.read_file("SOTRA.GNP"), kTypicalScript);
    // One run, two arguments, in the program's directory, and the script
    // already complete on disk when the plotter read it.
    ASSERT_TRUE(dir_.exists(kPlotterArgsFile)) << "the plotter was not run";
    EXPECT_EQ(dir_.read_file(kPlotterArgsFile), "[sotra.gnp][-]\n");
    ASSERT_TRUE(dir_.exists(kPlotterSawScriptFile));
    EXPECT_EQ(dir_.read_file(kPlotterSawScriptFile), kTypicalScript);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, EndToEndTypicalRun,
    ::testing::Values(TypicalCase{"LfAnswers", "10 10 30\n2 345\n", "", ""},
                      TypicalCase{"CrLfAnswers", "10 10 30\r\n2 345\r\n", "", ""},
                      TypicalCase{"LongerResultsFileReplaced", "10 10 30\n2 345\n", std::string(5000, 'x'), ""},
                      TypicalCase{"LongerFilesOfLinesReplaced", "10 10 30\n2 345\n",
                                  std::string(300, 'r') + "\r\n" + std::string(4000, 'R') + "\r\n",
                                  std::string(200, 's') + "\r\n" + std::string(6000, 'S') + "\r\n"}),
    [](const ::testing::TestParamInfo<TypicalCase>& info) { return std::string(info.param.name); });

// Without a plotter on PATH the shell's complaint is all that changes.
TEST_F(EndToEnd, MissingPlotterChangesNeitherFilesNorMessageNorStatus) {
    for (const char* place : {"/usr/bin/wgnuplot", "/bin/wgnuplot"}) {
        if (std::filesystem::exists(place)) GTEST_SKIP() << place << " exists, so the plotter cannot be missing";
    }
    E2eRunOptions options;
    options.path_variable = dir_.path() + "/emptybin:/usr/bin:/bin";

    const E2eRun r = run("10 10 30\n2 345\n", options);

    ASSERT_FALSE(r.timed_out) << r.describe();
    ASSERT_TRUE(r.exited) << r.describe();
    EXPECT_EQ(r.exit_status, 0) << r.describe();
    EXPECT_EQ(r.out, kTypicalStdout);
    EXPECT_EQ(dir_.read_file("SOTRA.DAT"), kTypicalPoints);
    EXPECT_EQ(dir_.read_file("SOTRA.GNP"), kTypicalScript);
    EXPECT_FALSE(dir_.exists(kPlotterArgsFile)) << "the stand-in plotter outside PATH was run";
}

}  // namespace
}  // namespace sotra
