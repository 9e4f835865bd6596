// Runs the built sotra program as a user would: in a private directory of
// its own, with a stand-in plotter on PATH, the answers fed to standard
// input, and standard output and standard error captured.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace sotra {

// The console lines of the dialogue as the console shows them (the
// carriage-control character of each record already dropped).
inline constexpr std::string_view kSweepPromptShown = " TEMPERATURA INICIAL, INCREMENTO Y FINAL";
inline constexpr std::string_view kAtomsPromptShown = " No de \xE1tomos por f\xF3rmula unidad Y THETA";
inline constexpr std::string_view kVariablePromptShown = " Si THETA =< 0 se supone variable con T";
inline constexpr std::string_view kScriptHeader = " plot '-' with lines\r\n";
inline constexpr std::string_view kScriptTrailer = " e\r\n";

// The typical run: its answers, and the console and files they give.
inline constexpr std::string_view kTypicalAnswers = "10 10 30\n2 345\n";
inline constexpr std::string_view kTypicalConsoleShown =
    " TEMPERATURA INICIAL, INCREMENTO Y FINAL\r\n"
    " No de \xE1tomos por f\xF3rmula unidad Y THETA\r\n"
    " Si THETA =< 0 se supone variable con T\r\n"
    "ITLE TOP \"Th Debye:   345.000K\"\r\n"
    "ITLE BOTTOM \"T(K)\"\r\n"
    "ITLE LEFT \"Cv/R Debye\"\r\n"
    "JOIN\r\n"
    " Resultados en SOTRA.DAT\r\n"
    "\r\n";
inline constexpr std::string_view kTypicalResultsFile =
    "       10.000000    1.138632E-02\r\n"
    "       20.000000    9.107779E-02\r\n"
    "       30.000000    3.043780E-01\r\n";
inline constexpr std::string_view kTypicalScriptFile =
    " plot '-' with lines\r\n"
    "       10.000000    1.138632E-02\r\n"
    "       20.000000    9.107779E-02\r\n"
    "       30.000000    3.043780E-01\r\n"
    " e\r\n";

// What the stand-in plotter writes, one line per run, each argument in
// brackets, into this file of the directory it runs in.
inline constexpr std::string_view kPlotterArgsFile = "plotter_args";
// The stand-in plotter's copy of sotra.gnp as it found it when it ran.
inline constexpr std::string_view kPlotterSawScriptFile = "plotter_saw_gnp";
// The argument list of the plotter's parent, the command interpreter, each
// argument ended by a NUL.
inline constexpr std::string_view kPlotterParentFile = "plotter_parent";

// A fresh private directory, removed with everything in it on destruction.
// It holds bin/wgnuplot, the stand-in plotter (bin/wgnuplot.exe on
// Windows), and an empty emptybin/.
class E2eDirectory {
public:
    E2eDirectory();
    ~E2eDirectory();
    E2eDirectory(const E2eDirectory&) = delete;
    E2eDirectory& operator=(const E2eDirectory&) = delete;

    const std::string& path() const { return path_; }
    std::string path_of(std::string_view name) const;

    void write_file(std::string_view name, std::string_view bytes) const;
    bool exists(std::string_view name) const;
    // The file's bytes; throws when it cannot be read.
    std::string read_file(std::string_view name) const;

private:
    std::string path_;
};

struct E2eRunOptions {
    // The PATH the program runs with; empty means "<dir>/bin:/usr/bin:/bin",
    // on Windows "<dir>\bin;<system directory>;<Windows directory>".
    std::string path_variable;
    // Windows: the COMSPEC the program runs with; empty means the system's
    // cmd.exe.
    std::string comspec;
    // Windows: no COMSPEC in the program's environment at all.
    bool without_comspec = false;
    // (POSIX only, like no_child_processes: a run asking for either throws
    // on Windows.) Run under an unprivileged user id (the directory is handed to it).
    // Only meaningful when the tests run as root.
    bool unprivileged = false;
    // Let the program start no process of its own (a limit of one process
    // for its user; run it unprivileged too when the tests run as root,
    // whom the limit does not bind).
    bool no_child_processes = false;
    // The program's command-line arguments after its own name.
    std::vector<std::string> arguments;
    // When not empty, standard output goes to this file of the directory
    // (created or emptied first) instead of a pipe; E2eRun::out stays empty.
    std::string stdout_file;
    // The program to run; empty means SOTRA_EXECUTABLE.
    std::string executable;
    // Further environment entries ("NAME=value") besides PATH.
    std::vector<std::string> environment;
};

struct E2eRun {
    bool timed_out = false;          // killed by the safety net
    bool could_not_start = false;    // the program could not be started
    bool exited = false;             // ended by exit (not by a signal)
    int exit_status = -1;            // when exited
    int signal = 0;                  // when ended by a signal
    std::string out;                 // standard output bytes
    std::string err;                 // standard error bytes

    // For failure messages: how the run ended and what it wrote to stderr.
    std::string describe() const;
};

// The user id unprivileged runs use.
inline constexpr unsigned kUnprivilegedId = 65534;

// Runs SOTRA_EXECUTABLE (or options.executable) in the directory with `input` on standard input
// (then closed). A run still going after 30 s is killed and marked timed out.
E2eRun run_sotra(const E2eDirectory& dir, std::string_view input, const E2eRunOptions& options = {});

// One record of SOTRA.DAT: the two fields with their leading blanks removed.
struct DataRecord {
    std::string temperature;
    std::string cv_over_r;
};

// Splits the bytes of SOTRA.DAT into records. Each record must be a blank,
// a field of 15, a blank, a field of 15, then CR LF, each field a number
// right-justified without blanks inside it.
::testing::AssertionResult parse_data_records(const std::string& bytes, std::vector<DataRecord>& records);

// Whether a number's text follows the output rule for reals: zero is
// 0.000000E+00; 1 <= |v| < 1e7 fixed-point with 6 decimals; anything else
// d.ddddddE+dd (with an optional minus sign).
::testing::AssertionResult follows_real_format(const std::string& text);

// After a run that failed during the sweep: SOTRA.DAT holds one record per
// temperature in `temperatures` (their texts), each with a well-formed
// Cv/R, and SOTRA.GNP holds the plot line and the same records.
void expect_points_kept(const E2eDirectory& dir, const std::vector<std::string>& temperatures);

// The number a field holds; throws when it is not one.
double field_value(const std::string& text);

// The common fixture: a fresh directory per test.
class EndToEnd : public ::testing::Test {
protected:
    E2eRun run(std::string_view input, const E2eRunOptions& options = {}) {
        return run_sotra(dir_, input, options);
    }

    E2eDirectory dir_;
};

}  // namespace sotra
