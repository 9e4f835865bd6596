// The text channels as the user meets them through the built program: the
// data file of theta(T) and how its name is found, the results file, the
// console read through a pipe and written to a file.
#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <ostream>
#include <set>
#include <string>
#include <vector>
#ifndef _WIN32
#include <unistd.h>
#endif

#include "run_fixture.h"

namespace sotra {
namespace {

const std::string kDialogueShown = std::string(kSweepPromptShown) + "\r\n" + std::string(kAtomsPromptShown) +
                                   "\r\n" + std::string(kVariablePromptShown);
// Everything the console shows up to the question for the data file name.
const std::string kUpToDataFilePrompt = kDialogueShown + "\r\n Fichero de datos de THETA(T)";
// The answers that ask for a data file: three temperatures, atoms and theta 0.
const std::string kVariableThetaAnswers = "10 10 30\n2 0\n";
// Written straight to standard output when the data file name is blank and
// no command-line argument is left.
const std::string kBlankNamePrompt = "File name missing or blank - please enter file name\r\nUNIT 10? ";
// The data file most cases use: two pairs, theta 200 and 400, mean 300.
const std::string kTwoPairs = "100 200\n300 400\n";
const std::string kMeanTitle = "ITLE TOP \"Th Debye(media):   300.000K\"";
const std::string kAfterTopTitle =
    "\r\nITLE BOTTOM \"T(K)\"\r\nITLE LEFT \"Cv/R Debye\"\r\nJOIN\r\n Resultados en SOTRA.DAT\r\n\r\n";
// What the console shows for a run that read the data file without asking
// again for its name, given the top title.
std::string shown_with_title(const std::string& top_title) {
    return kUpToDataFilePrompt + "\r\n" + top_title + kAfterTopTitle;
}

const std::string kInvalid = "\r\nrun-time error M6101: MATH\r\n- floating-point error: invalid\r\n";
const std::string kConsoleEndOfFile = "\r\nrun-time error F6011: READ(CON)\r\n- end of file\r\n";

// The names in the run's directory (not recursive).
std::set<std::string> entries_of(const E2eDirectory& dir) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

// The entries the fixture makes, and those a complete run adds.
const std::set<std::string> kFixtureEntries{"bin", "emptybin"};
std::set<std::string> with_run_outputs(std::set<std::string> names) {
    names.insert({"SOTRA.DAT", "SOTRA.GNP", std::string(kPlotterArgsFile), std::string(kPlotterSawScriptFile)});
#ifndef _WIN32
    // The script's second name for the plotter, where names tell case
    // apart, and the shell stand-in's record of its parent.
    names.insert({"sotra.gnp", std::string(kPlotterParentFile)});
#endif
    return names;
}

void expect_finished(const E2eRun& r) {
    ASSERT_FALSE(r.timed_out) << r.describe();
    ASSERT_TRUE(r.exited) << r.describe();
    EXPECT_EQ(r.exit_status, 0) << r.describe();
    EXPECT_EQ(r.err, "");
}

void expect_failed_with(const E2eRun& r, const std::string& diagnostic) {
    ASSERT_FALSE(r.timed_out) << r.describe();
    ASSERT_TRUE(r.exited) << r.describe();
    EXPECT_EQ(r.exit_status, 1) << r.describe();
    EXPECT_EQ(r.err, diagnostic);
}

// The results of the 10 10 30 sweep with a theta of 200 at every point:
// three records, and the script holds the same.
void expect_three_points(const E2eDirectory& dir) {
    ASSERT_TRUE(dir.exists("SOTRA.DAT"));
    const std::string results = dir.read_file("SOTRA.DAT");
    std::vector<DataRecord> records;
    ASSERT_TRUE(parse_data_records(results, records));
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].temperature, "10.000000");
    EXPECT_EQ(records[2].temperature, "30.000000");
    ASSERT_TRUE(dir.exists("SOTRA.GNP"));
    EXPECT_EQ(dir.read_file("SOTRA.GNP"), std::string(kScriptHeader) + results + std::string(kScriptTrailer));
}

class EndToEndChannels : public EndToEnd {};

// ---------------------------------------------------------------------------
// Data files that are read.

struct DataFileCase {
    const char* name;
    std::string file_name;  // the file made in the directory
    std::string bytes;      // its contents
    std::string answer;     // the name line typed at the console
    std::string top_title;  // as the console shows it
};

void PrintTo(const DataFileCase& c, std::ostream* os) { *os << c.name; }

class EndToEndDataFile : public EndToEnd, public ::testing::WithParamInterface<DataFileCase> {};

TEST_P(EndToEndDataFile, PairsAreReadAndTheMeanShown) {
    const DataFileCase& c = GetParam();
    dir_.write_file(c.file_name, c.bytes);

    const E2eRun r = run(kVariableThetaAnswers + c.answer + "\n");

    expect_finished(r);
    EXPECT_EQ(r.out, shown_with_title(c.top_title));
    expect_three_points(dir_);
    EXPECT_EQ(dir_.read_file(c.file_name), c.bytes) << "the data file was changed";
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, EndToEndDataFile,
    ::testing::Values(
        DataFileCase{"LfLineEnds", "data.txt", kTwoPairs, "data.txt", kMeanTitle},
        DataFileCase{"CrLfLineEnds", "data.txt", "100 200\r\n300 400\r\n", "data.txt", kMeanTitle},
        DataFileCase{"LastLineWithoutLineEnd", "data.txt", "100 200\n300 400", "data.txt", kMeanTitle},
        // Were the bytes after the CR a record, the mean would be 533.
        DataFileCase{"BytesBetweenCrAndLfIgnored", "data.txt", "100 200\r999 999\n300 400\n", "data.txt",
                     kMeanTitle},
        DataFileCase{"WordsRejectedSilently", "data.txt", "100 200\nabc def\n300 400\n", "data.txt", kMeanTitle},
        DataFileCase{"OnePair", "data.txt", "150 250\n", "data.txt", "ITLE TOP \"Th Debye:   250.000K\""},
        // Longer than one 1024-byte block: the pairs of the second block
        // count too. 100 lines of "t 200", then one "t 4200": mean 240.
        DataFileCase{"PairsBeyondTheFirstBlock", "data.txt",
                     [] {
                         std::string bytes;
                         for (int t = 100; t < 200; ++t) bytes += std::to_string(t) + "    200.00000\n";
                         return bytes + "200 4200\n";
                     }(),
                     "data.txt", "ITLE TOP \"Th Debye(media):   239.604K\""},
        DataFileCase{"NameTrimmedOfBlanks", "data.txt", kTwoPairs, "  data.txt   ", kMeanTitle},
#ifndef _WIN32
        // (Windows allows no control characters in file names.)
        DataFileCase{"TabInsideNameKept", "tab\tname.txt", kTwoPairs, "tab\tname.txt", kMeanTitle},
#endif
        // Only the first 30 characters of the line are the name.
        DataFileCase{"NameIsTheFirst30Characters", "abcdefghijklmnopqrstuvwxyz.dat", kTwoPairs,
                     "abcdefghijklmnopqrstuvwxyz.datIGNORED", kMeanTitle}),
    [](const ::testing::TestParamInfo<DataFileCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Theta varying with T: each point of the sweep uses the theta interpolated
// at its own temperature, not the mean nor the first pair's. The table
// theta = 100 + 10 T between 0 and 40 K gives 200, 300, 400 K exactly at
// 10, 20, 30 K, 500 K at its last temperature and 500 K above it, so each
// point must be the point of a run with that theta given as a constant.

TEST_F(EndToEndChannels, EachPointUsesThetaInterpolatedAtItsTemperature) {
    dir_.write_file("data.txt", "0 100\n40 500\n");

    const E2eRun r = run("10 10 50\n2 0\ndata.txt\n");

    expect_finished(r);
    EXPECT_EQ(r.out, shown_with_title(kMeanTitle));
    ASSERT_TRUE(dir_.exists("SOTRA.DAT"));
    std::vector<DataRecord> varying;
    ASSERT_TRUE(parse_data_records(dir_.read_file("SOTRA.DAT"), varying));
    const char* const thetas[] = {"200", "300", "400", "500", "500"};
    ASSERT_EQ(varying.size(), std::size(thetas));
    for (std::size_t i = 0; i < std::size(thetas); ++i) {
        E2eDirectory constant_dir;
        const E2eRun constant = run_sotra(constant_dir, "10 10 50\n2 " + std::string(thetas[i]) + "\n");
        expect_finished(constant);
        ASSERT_TRUE(constant_dir.exists("SOTRA.DAT"));
        std::vector<DataRecord> records;
        ASSERT_TRUE(parse_data_records(constant_dir.read_file("SOTRA.DAT"), records));
        ASSERT_EQ(records.size(), varying.size());
        EXPECT_EQ(varying[i].temperature, records[i].temperature);
        EXPECT_EQ(varying[i].cv_over_r, records[i].cv_over_r)
            << "at " << varying[i].temperature << " K the point is not that of theta " << thetas[i] << " K";
    }
}

// ---------------------------------------------------------------------------
// Data file names that yield no pair: the mean of nothing is 0/0. A name
// that is neither a file nor the null device leaves an empty file behind.

struct EmptyDataCase {
    const char* name;
    std::string answer;
    std::string created;  // the file the run leaves, empty: none
};

void PrintTo(const EmptyDataCase& c, std::ostream* os) { *os << c.name; }

class EndToEndEmptyData : public EndToEnd, public ::testing::WithParamInterface<EmptyDataCase> {};

TEST_P(EndToEndEmptyData, NoPairEndsWithInvalidOperation) {
    const EmptyDataCase& c = GetParam();

    const E2eRun r = run(kVariableThetaAnswers + c.answer + "\n");

    expect_failed_with(r, kInvalid);
    EXPECT_EQ(r.out, kUpToDataFilePrompt + "\r\n");
    std::set<std::string> expected = kFixtureEntries;
    if (!c.created.empty()) expected.insert(c.created);
    EXPECT_EQ(entries_of(dir_), expected) << "results files must not be made, nor a file for a device";
    if (!c.created.empty() && dir_.exists(c.created)) {
        EXPECT_EQ(dir_.read_file(c.created), "");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Names, EndToEndEmptyData,
    ::testing::Values(EmptyDataCase{"MissingFileCreated", "missing.txt", "missing.txt"},
#ifndef _WIN32
                      // (Windows allows no control characters in file names.)
                      EmptyDataCase{"LeadingTabIsPartOfTheName", "\tmissing.txt", "\tmissing.txt"},
                      EmptyDataCase{"TrailingTabIsPartOfTheName", "missing.txt\t", "missing.txt\t"},
                      // On a pipe only a block ending in Ctrl-Z CR LF ends
                      // the input; a Ctrl-Z LF line is a name like another.
                      EmptyDataCase{"CtrlZLfLineIsAName", "\x1A", "\x1A"},
#endif
                      EmptyDataCase{"UserIsAnOrdinaryFile", "user.txt", "user.txt"},
                      EmptyDataCase{"Lpt1IsAnOrdinaryFile", "lpt1.dat", "lpt1.dat"},
                      EmptyDataCase{"NulWithExtensionIsTheNullDevice", "nul.dat", ""},
                      EmptyDataCase{"NulIsTheNullDevice", "NUL", ""}),
    [](const ::testing::TestParamInfo<EmptyDataCase>& info) { return std::string(info.param.name); });

// Data files that exist and hold no pair that a read completes: the same
// invalid operation, and the file is left as it was.
struct NoPairCase {
    const char* name;
    std::string bytes;
};

void PrintTo(const NoPairCase& c, std::ostream* os) { *os << c.name; }

class EndToEndNoPair : public EndToEnd, public ::testing::WithParamInterface<NoPairCase> {};

TEST_P(EndToEndNoPair, EndsWithInvalidOperationBeforeResults) {
    const NoPairCase& c = GetParam();
    dir_.write_file("data.txt", c.bytes);

    const E2eRun r = run(kVariableThetaAnswers + "data.txt\n");

    expect_failed_with(r, kInvalid);
    EXPECT_EQ(r.out, kUpToDataFilePrompt + "\r\n");
    EXPECT_FALSE(dir_.exists("SOTRA.DAT"));
    EXPECT_FALSE(dir_.exists("SOTRA.GNP"));
    EXPECT_EQ(dir_.read_file("data.txt"), c.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Contents, EndToEndNoPair,
    ::testing::Values(NoPairCase{"EmptyFile", ""}, NoPairCase{"OnlyLineEnds", "\r\n\r\n"},
                      NoPairCase{"OnlyWords", "Temperatura Theta\nK K\n"},
                      NoPairCase{"OneNumberAfterWords", "T theta\n100\n"}),
    [](const ::testing::TestParamInfo<NoPairCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// The console's device name as the data file: the pairs are the next
// console lines, already read ahead with the answers in one pipe block.

class EndToEndConsoleAsDataFile : public EndToEnd, public ::testing::WithParamInterface<const char*> {};

TEST_P(EndToEndConsoleAsDataFile, PairsComeFromTheConsole) {
    const E2eRun r = run(kVariableThetaAnswers + GetParam() + "\n" + kTwoPairs);

    expect_finished(r);
    EXPECT_EQ(r.out, shown_with_title(kMeanTitle));
    expect_three_points(dir_);
    EXPECT_EQ(entries_of(dir_), with_run_outputs(kFixtureEntries)) << "no file may be made for the console";
}

INSTANTIATE_TEST_SUITE_P(Names, EndToEndConsoleAsDataFile, ::testing::Values("con", "CON", "cOn", "CON.TXT"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             std::string name;
                             for (const char* p = info.param; *p != '\0'; ++p) name += *p == '.' ? '_' : *p;
                             return name;
                         });

// ---------------------------------------------------------------------------
// Data file names that cannot be opened.

struct OpenFailureCase {
    const char* name;
    std::vector<std::string> directories;  // made before the run
    std::string answer;
    std::vector<std::string> arguments;
    std::string diagnostic;
};

void PrintTo(const OpenFailureCase& c, std::ostream* os) { *os << c.name; }

class EndToEndDataOpenFailure : public EndToEnd, public ::testing::WithParamInterface<OpenFailureCase> {};

TEST_P(EndToEndDataOpenFailure, EndsWithOpenDiagnosticBeforeResults) {
    const OpenFailureCase& c = GetParam();
    for (const std::string& directory : c.directories) std::filesystem::create_directory(dir_.path_of(directory));
    E2eRunOptions options;
    options.arguments = c.arguments;

    const E2eRun r = run(kVariableThetaAnswers + c.answer + "\n", options);

    expect_failed_with(r, c.diagnostic);
    EXPECT_EQ(r.out, kUpToDataFilePrompt + "\r\n");
    EXPECT_FALSE(dir_.exists("SOTRA.DAT"));
    EXPECT_FALSE(dir_.exists("SOTRA.GNP"));
}

INSTANTIATE_TEST_SUITE_P(
    Names, EndToEndDataOpenFailure,
    ::testing::Values(
        OpenFailureCase{"DirectoryRefused", {"thetas"}, "thetas", {},
                        "\r\nrun-time error F6001: OPEN(thetas)\r\n- access refused\r\n"},
        OpenFailureCase{"DirectoryOfPathMissing", {}, "nodir/data.txt", {},
                        "\r\nrun-time error F6003: OPEN(nodir/data.txt)\r\n- file or directory not found\r\n"}
#ifndef _WIN32
        // (On Windows the name makes the path too long, which the system
        // reports as a path not found.)
        // Only a command-line argument can carry a name longer than the
        // 255 bytes a file name may have.
        ,
        OpenFailureCase{"NameTooLong", {}, "", {std::string(259, 'n')},
                        "\r\nrun-time error F6005: OPEN(" + std::string(259, 'n') + ")\r\n- file name not valid\r\n"}
#endif
        ),
    [](const ::testing::TestParamInfo<OpenFailureCase>& info) { return std::string(info.param.name); });

#ifndef _WIN32
// (POSIX only: permission bits, and a user id other than root's.)
// Permission bits of the data file. Root reads and writes regardless of
// them, so as root the program runs under an unprivileged user id.
struct PermissionCase {
    const char* name;
    std::filesystem::perms mode;
    std::string diagnostic;  // empty: the run finishes
};

void PrintTo(const PermissionCase& c, std::ostream* os) { *os << c.name; }

class EndToEndDataPermissions : public EndToEnd, public ::testing::WithParamInterface<PermissionCase> {};

TEST_P(EndToEndDataPermissions, OpenFallsBackToTheAccessAllowed) {
    const PermissionCase& c = GetParam();
    dir_.write_file("data.txt", kTwoPairs);
    std::filesystem::permissions(dir_.path_of("data.txt"), c.mode);
    E2eRunOptions options;
    options.unprivileged = ::geteuid() == 0;

    const E2eRun r = run(kVariableThetaAnswers + "data.txt\n", options);

    if (r.could_not_start) {
        GTEST_SKIP() << "running as root, and the program cannot be run as user " << kUnprivilegedId
                     << ", so permission bits would not matter";
    }
    if (c.diagnostic.empty()) {
        expect_finished(r);
        EXPECT_EQ(r.out, shown_with_title(kMeanTitle));
        expect_three_points(dir_);
    } else {
        expect_failed_with(r, c.diagnostic);
        EXPECT_EQ(r.out, kUpToDataFilePrompt + "\r\n");
        EXPECT_FALSE(dir_.exists("SOTRA.DAT"));
    }
    std::filesystem::permissions(dir_.path_of("data.txt"), std::filesystem::perms(0644));
    EXPECT_EQ(dir_.read_file("data.txt"), kTwoPairs);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, EndToEndDataPermissions,
    ::testing::Values(PermissionCase{"ReadOnlyIsRead", std::filesystem::perms(0444), ""},
                      PermissionCase{"NoAccessRefused", std::filesystem::perms(0000),
                                     "\r\nrun-time error F6001: OPEN(data.txt)\r\n- access refused\r\n"},
                      // Opened write-only, the file then cannot be read.
                      PermissionCase{"WriteOnlyCannotBeRead", std::filesystem::perms(0222),
                                     "\r\nrun-time error F6010: READ(data.txt)\r\n- read failed\r\n"}),
    [](const ::testing::TestParamInfo<PermissionCase>& info) { return std::string(info.param.name); });
#endif

// ---------------------------------------------------------------------------
// A blank data file name without command-line arguments: the program asks
// for it straight on standard output, and the next console line answers.
// The console line of " Fichero de datos..." is open, so a CR LF comes
// first; the question is not a record, so that line stays open and the
// title's carriage control ends it again. The answers come in the same pipe
// block as the name line, so the console channel has read them ahead.

struct BlankNameCase {
    const char* name;
    std::string lines;  // from the name line on
    int questions;      // how often the name is asked for
};

void PrintTo(const BlankNameCase& c, std::ostream* os) { *os << c.name; }

class EndToEndBlankName : public EndToEnd, public ::testing::WithParamInterface<BlankNameCase> {};

TEST_P(EndToEndBlankName, AskedUntilAnswered) {
    const BlankNameCase& c = GetParam();
    dir_.write_file("data.txt", kTwoPairs);

    const E2eRun r = run(kVariableThetaAnswers + c.lines);

    expect_finished(r);
    std::string questions;
    for (int i = 0; i < c.questions; ++i) questions += kBlankNamePrompt;
    EXPECT_EQ(r.out, kUpToDataFilePrompt + "\r\n" + questions + "\r\n" + kMeanTitle + kAfterTopTitle);
    expect_three_points(dir_);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, EndToEndBlankName,
    ::testing::Values(BlankNameCase{"EmptyLineThenAnswer", "\ndata.txt\n", 1},
                      BlankNameCase{"BlankLineThenAnswer", "      \ndata.txt\n", 1},
                      BlankNameCase{"EmptyAnswerAsksAgain", "\n\n  data.txt \n", 2},
                      BlankNameCase{"BlankAnswerAsksAgain", "\n   \n\ndata.txt\n", 3},
                      BlankNameCase{"CrLfAnswers", "\r\n\r\ndata.txt\r\n", 2}),
    [](const ::testing::TestParamInfo<BlankNameCase>& info) { return std::string(info.param.name); });

// With command-line arguments the first one answers a blank name, and
// nothing is asked; a name that is not blank leaves the arguments alone.
struct ArgumentCase {
    const char* name;
    std::vector<std::string> arguments;
    std::string name_line;
};

void PrintTo(const ArgumentCase& c, std::ostream* os) { *os << c.name; }

class EndToEndNameArguments : public EndToEnd, public ::testing::WithParamInterface<ArgumentCase> {};

TEST_P(EndToEndNameArguments, FirstArgumentAnswersBlankName) {
    const ArgumentCase& c = GetParam();
    dir_.write_file("data.txt", kTwoPairs);
    E2eRunOptions options;
    options.arguments = c.arguments;

    const E2eRun r = run(kVariableThetaAnswers + c.name_line + "\n", options);

    expect_finished(r);
    EXPECT_EQ(r.out, shown_with_title(kMeanTitle));
    expect_three_points(dir_);
    EXPECT_EQ(entries_of(dir_), with_run_outputs({"bin", "emptybin", "data.txt"}))
        << "an argument other than the first blank name's was opened";
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, EndToEndNameArguments,
    ::testing::Values(ArgumentCase{"OneArgument", {"data.txt"}, ""},
                      ArgumentCase{"ArgumentTrimmed", {"  data.txt  "}, "     "},
                      ArgumentCase{"OnlyTheFirstIsUsed", {"data.txt", "other.txt"}, ""},
                      ArgumentCase{"NameGivenArgumentUnused", {"other.txt"}, "data.txt"}),
    [](const ::testing::TestParamInfo<ArgumentCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// The input ends where the console still has to answer.

struct EndOfInputCase {
    const char* name;
    std::string input;
    std::string shown;  // closing line end included
};

void PrintTo(const EndOfInputCase& c, std::ostream* os) { *os << c.name; }

class EndToEndEndOfInput : public EndToEnd, public ::testing::WithParamInterface<EndOfInputCase> {};

TEST_P(EndToEndEndOfInput, EndsWithConsoleEndOfFile) {
    const EndOfInputCase& c = GetParam();
    dir_.write_file("data.txt", kTwoPairs);

    const E2eRun r = run(c.input);

    expect_failed_with(r, kConsoleEndOfFile);
    EXPECT_EQ(r.out, c.shown);
    EXPECT_FALSE(dir_.exists("SOTRA.DAT"));
    EXPECT_FALSE(dir_.exists("SOTRA.GNP"));
}

INSTANTIATE_TEST_SUITE_P(
    Reads, EndToEndEndOfInput,
    ::testing::Values(
        EndOfInputCase{"FirstAnswersCutShort", "10 10\n", std::string(kSweepPromptShown) + "\r\n"},
        EndOfInputCase{"SecondAnswersCutShort", "10 10 30\n2", kDialogueShown + "\r\n"},
        EndOfInputCase{"NameLine", kVariableThetaAnswers, kUpToDataFilePrompt + "\r\n"},
        // The block ends in Ctrl-Z CR LF: the input ends before the name.
        EndOfInputCase{"CtrlZCrLfAsTheNameLine", kVariableThetaAnswers + "\x1A\r\n", kUpToDataFilePrompt + "\r\n"},
        EndOfInputCase{"AnswerToTheNameQuestion", kVariableThetaAnswers + "\n",
                       kUpToDataFilePrompt + "\r\n" + kBlankNamePrompt + "\r\n"},
        EndOfInputCase{"AnswerToTheRepeatedQuestion", kVariableThetaAnswers + "\n   \n",
                       kUpToDataFilePrompt + "\r\n" + kBlankNamePrompt + kBlankNamePrompt + "\r\n"}),
    [](const ::testing::TestParamInfo<EndOfInputCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Console answers laid out differently over the pipe give the typical run.

struct ConsoleLayoutCase {
    const char* name;
    std::string input;
};

void PrintTo(const ConsoleLayoutCase& c, std::ostream* os) { *os << c.name; }

class EndToEndConsoleLayout : public EndToEnd, public ::testing::WithParamInterface<ConsoleLayoutCase> {};

TEST_P(EndToEndConsoleLayout, ReadAsTheTypicalAnswers) {
    const E2eRun r = run(GetParam().input);

    expect_finished(r);
    EXPECT_EQ(r.out, kTypicalConsoleShown);
    ASSERT_TRUE(dir_.exists("SOTRA.DAT"));
    EXPECT_EQ(dir_.read_file("SOTRA.DAT"), kTypicalResultsFile);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, EndToEndConsoleLayout,
    ::testing::Values(ConsoleLayoutCase{"LastLineWithoutLineEnd", "10 10 30\n2 345"},
                      // The first line runs past the console's 132-byte block.
                      ConsoleLayoutCase{"LineAcrossBlocks", "10 10 30" + std::string(300, ' ') + "\n2 345\n"}),
    [](const ::testing::TestParamInfo<ConsoleLayoutCase>& info) { return std::string(info.param.name); });

// Standard output on a file, not a pipe: the same bytes.
TEST_F(EndToEndChannels, ConsoleOnAFileGetsThePipeBytes) {
    E2eRunOptions options;
    options.stdout_file = "console.out";

    const E2eRun r = run(kTypicalAnswers, options);

    expect_finished(r);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(dir_.read_file("console.out"), kTypicalConsoleShown);
    EXPECT_EQ(dir_.read_file("SOTRA.DAT"), kTypicalResultsFile);
    EXPECT_EQ(dir_.read_file("SOTRA.GNP"), kTypicalScriptFile);
}

// Existing results and script files much longer than the new ones, in
// lines: the new contents replace them entirely, over several blocks.
TEST_F(EndToEndChannels, LongerOutputFilesReplacedOverSeveralBlocks) {
    std::string old_lines;
    for (int i = 0; i < 400; ++i) old_lines += std::string(40, static_cast<char>('a' + i % 26)) + "\r\n";
    dir_.write_file("SOTRA.DAT", old_lines);
    dir_.write_file("SOTRA.GNP", old_lines);

    const E2eRun r = run("1 1 100\n2 345\n");

    expect_finished(r);
    const std::string results = dir_.read_file("SOTRA.DAT");
    std::vector<DataRecord> records;
    ASSERT_TRUE(parse_data_records(results, records));
    ASSERT_EQ(records.size(), 100u);
    EXPECT_EQ(records.back().temperature, "100.000000");
    EXPECT_EQ(dir_.read_file("SOTRA.GNP"), std::string(kScriptHeader) + results + std::string(kScriptTrailer));
}

}  // namespace
}  // namespace sotra
