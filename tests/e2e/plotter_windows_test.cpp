// The built program on Windows: the plotter command through the command
// interpreter that COMSPEC names or, failing that, the cmd.exe a prompt
// would find; file names the system refuses; one file under two spellings.
//
// The device names as data file names (CON, CON.TXT, NUL, NUL.DAT, USER.TXT,
// LPT1.DAT) and blank names answered from the command line and from the
// console are in channels_test.cpp, which runs here too.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "run_fixture.h"

#ifndef SOTRA_STAND_IN_INTERPRETER
#error "SOTRA_STAND_IN_INTERPRETER must name the built stand-in interpreter"
#endif

namespace sotra {
namespace {

namespace fs = std::filesystem;

// What the stand-in interpreter writes: its command line, its current
// directory and its own program file, one per line.
constexpr std::string_view kInterpreterSawFile = "interpreter_saw";
constexpr std::string_view kPlotCommand = "wgnuplot sotra.gnp -";

std::string full_path(const std::string& path) {
    char buffer[4 * MAX_PATH];
    const DWORD length = ::GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
    return length == 0 || length >= sizeof buffer ? path : std::string(buffer, length);
}

const std::string kStandInInterpreter = full_path(SOTRA_STAND_IN_INTERPRETER);

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    for (std::size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', at)) {
        lines.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    if (at < text.size()) lines.push_back(text.substr(at));
    return lines;
}

// Two spellings of one file name: the same file, whatever the case or the
// kind of slash.
bool same_file(const std::string& a, const std::string& b) { return fs::equivalent(a, b); }

void expect_normal_end(const E2eRun& r) {
    ASSERT_FALSE(r.timed_out) << r.describe();
    ASSERT_TRUE(r.exited) << r.describe();
    EXPECT_EQ(r.exit_status, 0) << r.describe();
    EXPECT_EQ(r.out, kTypicalConsoleShown);
    EXPECT_EQ(r.err, "");
}

// ---------------------------------------------------------------------------
// Which interpreter is started, and with which command line. The stand-in
// records what it was given instead of running the plotter.

struct InterpreterCase {
    const char* name;
    // Where copies of the stand-in go, relative to the run's directory.
    std::vector<std::string> stand_ins;
    // COMSPEC relative to the run's directory ("" for no COMSPEC at all).
    std::string comspec;
    // The stand-in expected to run, relative to the run's directory.
    std::string expected_interpreter;
    // The command line's first word: the COMSPEC value, or cmd.exe.
    bool named_by_comspec;
};

void PrintTo(const InterpreterCase& c, std::ostream* os) { *os << c.name; }

class WindowsInterpreter : public EndToEnd, public ::testing::WithParamInterface<InterpreterCase> {};

TEST_P(WindowsInterpreter, StartedWithTheNameSlashCAndTheCommand) {
    const InterpreterCase& c = GetParam();
    fs::create_directories(dir_.path_of("shell"));
    fs::create_directories(dir_.path_of("tools"));
    for (const std::string& place : c.stand_ins) fs::copy_file(kStandInInterpreter, dir_.path_of(place));
    E2eRunOptions options;
    // The system directories are left out, so that the system's cmd.exe
    // cannot be the one found.
    options.path_variable = dir_.path_of("shell") + ";" + dir_.path_of("bin");
    if (c.comspec.empty()) {
        options.without_comspec = true;
    } else {
        options.comspec = dir_.path_of(c.comspec);
    }

    const E2eRun r = run(kTypicalAnswers, options);

    expect_normal_end(r);
    ASSERT_TRUE(dir_.exists(kInterpreterSawFile)) << "no interpreter was run";
    const std::vector<std::string> saw = lines_of(dir_.read_file(kInterpreterSawFile));
    ASSERT_EQ(saw.size(), 3u);
    const std::string first_word = c.named_by_comspec ? options.comspec : "cmd.exe";
    EXPECT_EQ(saw[0], first_word + " /c " + std::string(kPlotCommand));
    EXPECT_TRUE(same_file(saw[1], dir_.path())) << "ran in " << saw[1];
    EXPECT_TRUE(same_file(saw[2], dir_.path_of(c.expected_interpreter))) << "ran " << saw[2];
    // The stand-in runs no plotter; the files are as always.
    EXPECT_FALSE(dir_.exists(kPlotterArgsFile));
    EXPECT_EQ(dir_.read_file("SOTRA.DAT"), kTypicalResultsFile);
    EXPECT_EQ(dir_.read_file("SOTRA.GNP"), kTypicalScriptFile);
}

INSTANTIATE_TEST_SUITE_P(
    Choices, WindowsInterpreter,
    ::testing::Values(
        // COMSPEC wins over a cmd.exe on PATH, and is written as it stands.
        InterpreterCase{"ComspecAsWritten", {"tools/interp.exe", "shell/cmd.exe"}, "tools/interp.exe",
                        "tools/interp.exe", true},
        InterpreterCase{"NoComspecCmdOnPath", {"shell/cmd.exe"}, "", "shell/cmd.exe", false},
        InterpreterCase{"ComspecMissingFallsBackToCmd", {"shell/cmd.exe"}, "tools/missing.exe", "shell/cmd.exe",
                        false},
        // A COMSPEC naming a directory cannot be started: refused like a
        // missing file.
        InterpreterCase{"ComspecDirectoryFallsBackToCmd", {"shell/cmd.exe"}, "tools", "shell/cmd.exe", false},
        InterpreterCase{"CmdInCurrentDirectoryBeforePath", {"cmd.exe", "shell/cmd.exe"}, "", "cmd.exe", false}),
    [](const ::testing::TestParamInfo<InterpreterCase>& info) { return std::string(info.param.name); });

// Whatever the interpreter's exit code, the run ends as always.
class WindowsInterpreterExit : public EndToEnd, public ::testing::WithParamInterface<const char*> {};

TEST_P(WindowsInterpreterExit, DoesNotChangeTheRun) {
    fs::copy_file(kStandInInterpreter, dir_.path_of("interp.exe"));
    E2eRunOptions options;
    options.comspec = dir_.path_of("interp.exe");
    options.environment = {std::string("STAND_IN_EXIT_CODE=") + GetParam()};

    const E2eRun r = run(kTypicalAnswers, options);

    expect_normal_end(r);
    EXPECT_TRUE(dir_.exists(kInterpreterSawFile)) << "the interpreter was not run";
    EXPECT_EQ(dir_.read_file("SOTRA.DAT"), kTypicalResultsFile);
}

INSTANTIATE_TEST_SUITE_P(Codes, WindowsInterpreterExit, ::testing::Values("0", "1", "255", "0xFFFFFFFF"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return std::string("Code_") + info.param;
                         });

// With no interpreter anywhere the plot is skipped in silence.
TEST_F(EndToEnd, NoInterpreterAnywhereSkipsThePlot) {
    E2eRunOptions options;
    options.without_comspec = true;
    options.path_variable = dir_.path_of("emptybin");

    const E2eRun r = run(kTypicalAnswers, options);

    expect_normal_end(r);
    EXPECT_FALSE(dir_.exists(kPlotterArgsFile));
    EXPECT_EQ(dir_.read_file("SOTRA.DAT"), kTypicalResultsFile);
    EXPECT_EQ(dir_.read_file("SOTRA.GNP"), kTypicalScriptFile);
}

// The system's own interpreter, as COMSPEC names it on every Windows, runs
// the plotter found on PATH with the script's name as the command gives it.
TEST_F(EndToEnd, SystemInterpreterRunsThePlotterOnPath) {
    const E2eRun r = run(kTypicalAnswers);

    expect_normal_end(r);
    ASSERT_TRUE(dir_.exists(kPlotterArgsFile)) << "the plotter was not run";
    EXPECT_EQ(dir_.read_file(kPlotterArgsFile), "[sotra.gnp][-]\n");
    EXPECT_EQ(dir_.read_file(kPlotterSawScriptFile), kTypicalScriptFile);
}

// ---------------------------------------------------------------------------
// Data file names.

const std::string kVariableThetaAnswers = "10 10 30\n2 0\n";

// Names with control characters, which Windows refuses: the open fails
// with its diagnostic and nothing is made.
class WindowsRefusedName : public EndToEnd, public ::testing::WithParamInterface<std::string> {};

TEST_P(WindowsRefusedName, EndsWithNameNotValid) {
    const E2eRun r = run(kVariableThetaAnswers + GetParam() + "\n");

    ASSERT_TRUE(r.exited) << r.describe();
    EXPECT_EQ(r.exit_status, 1) << r.describe();
    EXPECT_EQ(r.err, "\r\nrun-time error F6005: OPEN(" + GetParam() + ")\r\n- file name not valid\r\n");
    EXPECT_FALSE(dir_.exists("SOTRA.DAT"));
    EXPECT_FALSE(dir_.exists("SOTRA.GNP"));
}

INSTANTIATE_TEST_SUITE_P(Names, WindowsRefusedName,
                         ::testing::Values("\tmissing.txt", "missing.txt\t", "tab\tname.txt", "\x1A"),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             return "Case" + std::to_string(info.index);
                         });

// The data file is the results file under another spelling. It is read and
// closed before the results file is opened, so the run reads its pairs and
// then replaces it with the results: one file, never a second one.
class WindowsSameFile : public EndToEnd, public ::testing::WithParamInterface<const char*> {};

TEST_P(WindowsSameFile, DataFileReadThenReplacedByTheResults) {
    dir_.write_file("SOTRA.DAT", "100 200\n300 400\n");

    const E2eRun r = run(kVariableThetaAnswers + GetParam() + "\n");

    ASSERT_TRUE(r.exited) << r.describe();
    EXPECT_EQ(r.exit_status, 0) << r.describe();
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find("ITLE TOP \"Th Debye(media):   300.000K\"\r\n"), std::string::npos) << r.out;
    std::vector<DataRecord> records;
    ASSERT_TRUE(parse_data_records(dir_.read_file("SOTRA.DAT"), records));
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].temperature, "10.000000");
    EXPECT_EQ(records[2].temperature, "30.000000");
    std::vector<std::string> results_names;
    for (const auto& entry : fs::directory_iterator(dir_.path())) {
        const std::string name = entry.path().filename().string();
        if (::_stricmp(name.c_str(), "SOTRA.DAT") == 0) results_names.push_back(name);
    }
    EXPECT_EQ(results_names, std::vector<std::string>{"SOTRA.DAT"});
}

INSTANTIATE_TEST_SUITE_P(Spellings, WindowsSameFile, ::testing::Values("sotra.dat", "Sotra.Dat", ".\\SOTRA.DAT"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return "Case" + std::to_string(info.index);
                         });

}  // namespace
}  // namespace sotra
