// The plotter command as the built program runs it: through /bin/sh -c,
// with the script under the name the command gives, after the output files
// are complete, and without changing the run's outcome whatever happens.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <ostream>
#include <string>
#include <utility>
#include <vector>
#include <unistd.h>

#include "run_fixture.h"

namespace sotra {
namespace {

namespace fs = std::filesystem;


void expect_normal_end(const E2eRun& r) {
    ASSERT_FALSE(r.timed_out) << r.describe();
    ASSERT_TRUE(r.exited) << r.describe();
    EXPECT_EQ(r.exit_status, 0) << r.describe();
    EXPECT_EQ(r.out, kTypicalConsoleShown);
}

void expect_typical_files(const E2eDirectory& dir) {
    EXPECT_EQ(dir.read_file("SOTRA.DAT"), kTypicalResultsFile);
    EXPECT_EQ(dir.read_file("SOTRA.GNP"), kTypicalScriptFile);
}

// The interpreter gets exactly three arguments: itself, its option for one
// command, and the command text without the field's trailing blanks.
TEST_F(EndToEnd, PlotterRunsThroughTheShellWithOneCommandString) {
    const E2eRun r = run(kTypicalAnswers);

    expect_normal_end(r);
    EXPECT_EQ(r.err, "");
    ASSERT_TRUE(dir_.exists(kPlotterParentFile)) << "the plotter was not run";
    EXPECT_EQ(dir_.read_file(kPlotterParentFile), std::string("/bin/sh\0-c\0wgnuplot sotra.gnp -\0", 32));
    EXPECT_EQ(dir_.read_file(kPlotterArgsFile), "[sotra.gnp][-]\n");
    // The files were complete and closed when the plotter read the script.
    EXPECT_EQ(dir_.read_file(kPlotterSawScriptFile), kTypicalScriptFile);
}

// The interpreter comes from its absolute path, never from the current
// directory or PATH, where any file named sh could sit.
TEST_F(EndToEnd, ShellInTheCurrentDirectoryOrOnPathIsNotRun) {
    const std::string impostor = "#!/bin/sh\ntouch impostor_ran\nexit 0\n";
    dir_.write_file("sh", impostor);
    dir_.write_file("bin/sh", impostor);
    fs::permissions(dir_.path_of("sh"), fs::perms::owner_all);
    fs::permissions(dir_.path_of("bin/sh"), fs::perms::owner_all);
    E2eRunOptions options;
    options.path_variable = ".:" + dir_.path() + "/bin:/usr/bin:/bin";

    const E2eRun r = run(kTypicalAnswers, options);

    expect_normal_end(r);
    EXPECT_FALSE(dir_.exists("impostor_ran"));
    EXPECT_EQ(dir_.read_file(kPlotterArgsFile), "[sotra.gnp][-]\n");
}

// When no process can be started the plot is skipped in silence and the run
// ends as always.
TEST_F(EndToEnd, InterpreterThatCannotStartChangesNothing) {
    E2eRunOptions options;
    options.no_child_processes = true;
    options.unprivileged = ::geteuid() == 0;

    const E2eRun r = run(kTypicalAnswers, options);

    expect_normal_end(r);
    EXPECT_EQ(r.err, "");
    expect_typical_files(dir_);
    EXPECT_FALSE(dir_.exists(kPlotterArgsFile)) << "a process was started after all";
}

// ---------------------------------------------------------------------------
// The script's second name, "sotra.gnp", for a plotter on a file system that
// tells letter case apart. A file of the user's by that name is kept.

struct ScriptNameCase {
    const char* name;
    // Sets up the directory before the run.
    void (*before)(const E2eDirectory& dir);
    bool link_made;                // sotra.gnp is then a link to SOTRA.GNP
    std::string plotter_saw;       // what the plotter read as sotra.gnp
    std::string user_file;         // a file that must come through untouched
    std::string user_file_bytes;
};

void PrintTo(const ScriptNameCase& c, std::ostream* os) { *os << c.name; }

const std::string kUsersScript = "plot sin(x)\n";

const ScriptNameCase kScriptNameCases[] = {
    {"NoSuchFile", [](const E2eDirectory&) {}, true, std::string(kTypicalScriptFile), "", ""},
    {"LinkElsewhereIsReplaced",
     [](const E2eDirectory& dir) {
         dir.write_file("mine.gnp", kUsersScript);
         fs::create_symlink("mine.gnp", dir.path_of("sotra.gnp"));
     },
     true, std::string(kTypicalScriptFile), "mine.gnp", kUsersScript},
    {"DanglingLinkIsReplaced",
     [](const E2eDirectory& dir) { fs::create_symlink("gone.gnp", dir.path_of("sotra.gnp")); }, true,
     std::string(kTypicalScriptFile), "", ""},
    {"UsersFileIsKept", [](const E2eDirectory& dir) { dir.write_file("sotra.gnp", kUsersScript); }, false,
     kUsersScript, "sotra.gnp", kUsersScript},
    // Already the same file (a hard link, as on a file system that ignores
    // case): the run rewrites it in place and the plotter sees the new script.
    {"SameFileAlready",
     [](const E2eDirectory& dir) {
         dir.write_file("SOTRA.GNP", "old script\r\n");
         fs::create_hard_link(dir.path_of("SOTRA.GNP"), dir.path_of("sotra.gnp"));
     },
     false, std::string(kTypicalScriptFile), "", ""},
};

class EndToEndScriptName : public EndToEnd, public ::testing::WithParamInterface<ScriptNameCase> {};

TEST_P(EndToEndScriptName, PlotterFindsTheScriptWithoutLosingUserFiles) {
    const ScriptNameCase& c = GetParam();
    c.before(dir_);

    const E2eRun r = run(kTypicalAnswers);

    expect_normal_end(r);
    EXPECT_EQ(r.err, "");
    expect_typical_files(dir_);
    const fs::path alias = dir_.path_of("sotra.gnp");
    EXPECT_EQ(fs::is_symlink(alias), c.link_made);
    if (c.link_made) {
        EXPECT_EQ(fs::read_symlink(alias), "SOTRA.GNP");
    }
    ASSERT_TRUE(dir_.exists(kPlotterSawScriptFile));
    EXPECT_EQ(dir_.read_file(kPlotterSawScriptFile), c.plotter_saw);
    if (!c.user_file.empty()) {
        EXPECT_EQ(dir_.read_file(c.user_file), c.user_file_bytes);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, EndToEndScriptName, ::testing::ValuesIn(kScriptNameCases),
                         [](const ::testing::TestParamInfo<ScriptNameCase>& info) {
                             return std::string(info.param.name);
                         });

// ---------------------------------------------------------------------------
// The real gnuplot drawing the script the run wrote: a wgnuplot on PATH that
// runs gnuplot with a terminal of its own set first.

constexpr const char* kGnuplot = "/usr/bin/gnuplot";

std::string source_file(const std::string& relative) {
    const std::string path = std::string(SOTRA_SOURCE_DIR) + "/" + relative;
    std::ifstream file(path, std::ios::binary);
    if (!file) throw std::runtime_error("cannot read " + path);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

struct RealPlotCase {
    const char* name;
    bool copper;  // the example's theta(T) file, or the typical run
    bool image;   // a PNG image, or the dumb text terminal
};

void PrintTo(const RealPlotCase& c, std::ostream* os) { *os << c.name; }

std::string launcher_for(bool image) {
    const std::string terminal = image ? "set terminal png size 640,480; set output 'plot.png'"
                                       : "set terminal dumb size 79,24; set output 'plot.txt'";
    std::string script = "#!/bin/sh\n";
    script += std::string(kGnuplot) + " -e \"" + terminal + "\" \"$@\" 2> gnuplot_err\n";
    script += "status=$?\n";
    if (image) {
        // The same frame with nothing drawn in it, to compare with.
        script += std::string(kGnuplot) +
                  " -e \"set terminal png size 640,480; set output 'empty.png'; set xrange [0:1];"
                  " set yrange [0:1]; plot 2 notitle\" 2>> gnuplot_err\n";
    }
    script += "exit $status\n";
    return script;
}

// The points of the curve on the text terminal: every '*' outside the key
// line, as (row, column).
std::vector<std::pair<std::size_t, std::size_t>> curve_characters(const std::string& plot) {
    std::vector<std::pair<std::size_t, std::size_t>> points;
    std::size_t row = 0;
    std::size_t start = 0;
    while (start < plot.size()) {
        std::size_t end = plot.find('\n', start);
        if (end == std::string::npos) end = plot.size();
        const std::string line = plot.substr(start, end - start);
        if (line.find("'-'") == std::string::npos) {
            for (std::size_t col = 0; col < line.size(); ++col) {
                if (line[col] == '*') points.emplace_back(row, col);
            }
        }
        ++row;
        start = end + 1;
    }
    return points;
}

class EndToEndRealPlot : public EndToEnd, public ::testing::WithParamInterface<RealPlotCase> {};

TEST_P(EndToEndRealPlot, GnuplotDrawsTheCurveFromTheScript) {
    if (::access(kGnuplot, X_OK) != 0) {
        if (std::getenv("SOTRA_REQUIRE_GNUPLOT") != nullptr) FAIL() << kGnuplot << " is needed";
        GTEST_SKIP() << "gnuplot is not installed (apt-get install gnuplot-nox)";
    }
    const RealPlotCase& c = GetParam();
    dir_.write_file("bin/wgnuplot", launcher_for(c.image));
    fs::permissions(dir_.path_of("bin/wgnuplot"), fs::perms::owner_all);
    std::string answers(kTypicalAnswers);
    if (c.copper) {
        dir_.write_file("theta_copper.dat", source_file("examples/theta_copper.dat"));
        answers = source_file("examples/theta_copper.answers");
    }

    const E2eRun r = run(answers);

    ASSERT_FALSE(r.timed_out) << r.describe();
    ASSERT_TRUE(r.exited) << r.describe();
    EXPECT_EQ(r.exit_status, 0) << r.describe();
    EXPECT_EQ(r.err, "");
    ASSERT_TRUE(dir_.exists("gnuplot_err")) << "the launcher did not run";
    EXPECT_EQ(dir_.read_file("gnuplot_err"), "") << "gnuplot reported an error";
    if (c.image) {
        ASSERT_TRUE(dir_.exists("plot.png"));
        const std::string image = dir_.read_file("plot.png");
        EXPECT_EQ(image.substr(0, 8), "\x89PNG\r\n\x1A\n");
        EXPECT_GT(image.size(), dir_.read_file("empty.png").size()) << "no more in the image than an empty frame";
    } else {
        ASSERT_TRUE(dir_.exists("plot.txt"));
        const auto points = curve_characters(dir_.read_file("plot.txt"));
        ASSERT_GE(points.size(), 20u) << dir_.read_file("plot.txt");
        // Cv/R rises with T: the curve's leftmost character stands lower
        // (a later row) than its rightmost.
        const auto leftmost = *std::min_element(points.begin(), points.end(),
                                                [](auto a, auto b) { return a.second < b.second; });
        const auto rightmost = *std::max_element(points.begin(), points.end(),
                                                 [](auto a, auto b) { return a.second < b.second; });
        EXPECT_GT(leftmost.first, rightmost.first) << dir_.read_file("plot.txt");
        EXPECT_GT(rightmost.second - leftmost.second, 40u) << "the curve does not span the plot";
    }
}

INSTANTIATE_TEST_SUITE_P(Runs, EndToEndRealPlot,
                         ::testing::Values(RealPlotCase{"TypicalRunAsText", false, false},
                                           RealPlotCase{"TypicalRunAsImage", false, true},
                                           RealPlotCase{"CopperExampleAsText", true, false},
                                           RealPlotCase{"CopperExampleAsImage", true, true}),
                         [](const ::testing::TestParamInfo<RealPlotCase>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
}  // namespace sotra
