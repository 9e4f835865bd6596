// Platform failures injected into whole runs of sotra_faulty: for every
// open, read, write and close a run makes, the run with that one call
// failing. Each must end with the diagnostic of its statement and exit
// status 1, never hang, and leave in every output every record handed to
// it before the failure, byte for byte.
//
// What each output holds after a failure follows from the order in which
// the run hands over its records (run_events below) and from the calls of
// the fault-free run, which sotra_faulty logs: a file is written in blocks
// of 1024 bytes and when it is closed, an existing file is cut when its
// first record is written, and after a failure the exit sequence writes
// whatever the other files still hold.
#include <gtest/gtest.h>

#include <cstddef>
#include <map>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "run_fixture.h"

#ifndef SOTRA_FAULTY_EXECUTABLE
#error "SOTRA_FAULTY_EXECUTABLE must name the built sotra_faulty program"
#endif

namespace sotra {
namespace {

constexpr std::string_view kLogName = "calls.log";
constexpr std::size_t kBlock = 1024;
const std::string kResults = "SOTRA.DAT";
const std::string kScript = "SOTRA.GNP";
const std::string kData = "data.txt";

// ---------------------------------------------------------------------------
// The log of the calls a run made.

struct Call {
    std::string kind;  // open, read, write, close
    int number = 0;    // counted per kind from 1
    std::string target;
    std::size_t bytes = 0;
};

std::vector<Call> parse_log(const std::string& text) {
    std::vector<Call> calls;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        Call call;
        fields >> call.kind >> call.number >> call.target >> call.bytes;
        calls.push_back(call);
    }
    return calls;
}

std::vector<std::string> split_records(const std::string& bytes) {
    std::vector<std::string> records;
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t end = bytes.find("\r\n", at);
        const std::size_t next = end == std::string::npos ? bytes.size() : end + 2;
        records.push_back(bytes.substr(at, next - at));
        at = next;
    }
    return records;
}

// ---------------------------------------------------------------------------
// The runs, and the order in which each hands over its records.

struct Scenario {
    const char* name;
    std::string answers;
    bool variable_theta = false;  // the answers name data.txt
    bool existing_outputs = false;  // SOTRA.DAT and SOTRA.GNP exist before the run
};

void PrintTo(const Scenario& s, std::ostream* os) { *os << s.name; }

const std::string kTwoPairs = "100 200\n300 400\n";

const Scenario kScenarios[] = {
    {"Typical", std::string(kTypicalAnswers), false},
    {"VariableTheta", "10 10 30\n2 0\ndata.txt\n", true},
    // 100 points: each file is written in several blocks during the sweep.
    {"LongSweep", "1 1 100\n2 345\n", false},
    // Files of an earlier run, longer than this run's: each is opened as it
    // is, and cut only when the first record is written to it.
    {"ExistingOutputs", std::string(kTypicalAnswers), false, true},
};

const std::string kEarlierOutput = [] {
    std::string bytes;
    for (int i = 0; i < 100; ++i) bytes += "       " + std::to_string(i) + ".000000    9.999999E-01\r\n";
    return bytes;
}();

enum class Step { console_record, open, file_record, close, closing_text };

struct Event {
    Step step;
    std::string target;  // "stdout" for the console
    std::string bytes;   // a file record with its CR LF
};

// The fault-free run's outputs.
struct Outputs {
    std::string out;
    std::string results;
    std::string script;
    std::vector<Call> calls;
};

// Dialogue, data file, the script's first line, the titles, one point to
// each file per temperature, JOIN, the script's last line, the closes and
// then the closing text: its CR LF, the message, the exit's CR LF.
std::vector<Event> run_events(const Scenario& s, const Outputs& fault_free) {
    const std::vector<std::string> points = split_records(fault_free.results);
    const std::vector<std::string> script = split_records(fault_free.script);
    std::vector<Event> events;
    const auto console = [&] { events.push_back({Step::console_record, "stdout", ""}); };
    for (int i = 0; i < 3; ++i) console();
    if (s.variable_theta) {
        console();
        events.push_back({Step::open, kData, ""});
        events.push_back({Step::close, kData, ""});
    }
    events.push_back({Step::open, kResults, ""});
    events.push_back({Step::open, kScript, ""});
    events.push_back({Step::file_record, kScript, script.front()});
    for (int i = 0; i < 3; ++i) console();
    for (std::size_t i = 0; i < points.size(); ++i) {
        events.push_back({Step::file_record, kResults, points[i]});
        events.push_back({Step::file_record, kScript, script.at(i + 1)});
    }
    console();
    events.push_back({Step::file_record, kScript, script.back()});
    events.push_back({Step::close, kResults, ""});
    events.push_back({Step::close, kScript, ""});
    for (int i = 0; i < 3; ++i) events.push_back({Step::closing_text, "stdout", ""});
    return events;
}

// A call the run is expected to make, with the event it belongs to.
struct PredictedCall {
    std::string kind;
    std::string target;
    std::optional<std::size_t> bytes;  // known for file writes
    std::size_t event;
};

std::vector<PredictedCall> predicted_calls(const std::vector<Event>& events) {
    std::vector<PredictedCall> calls;
    std::map<std::string, std::size_t> buffered;
    for (std::size_t i = 0; i < events.size(); ++i) {
        const Event& e = events[i];
        switch (e.step) {
            case Step::console_record:
            case Step::closing_text: calls.push_back({"write", "stdout", std::nullopt, i}); break;
            case Step::open: calls.push_back({"open", e.target, std::nullopt, i}); break;
            case Step::file_record:
                buffered[e.target] += e.bytes.size();
                while (buffered[e.target] >= kBlock) {
                    calls.push_back({"write", e.target, kBlock, i});
                    buffered[e.target] -= kBlock;
                }
                break;
            case Step::close:
                if (buffered[e.target] > 0) calls.push_back({"write", e.target, buffered[e.target], i});
                buffered[e.target] = 0;
                calls.push_back({"close", e.target, std::nullopt, i});
                break;
        }
    }
    return calls;
}

// How far the run had gone when a call was made: the events before
// `done` were complete; `in_progress` is the event the call belongs to
// (none for a read, which comes between events).
struct Moment {
    std::size_t done = 0;
    std::optional<std::size_t> in_progress;
};

// The moment of every logged call, from the predicted calls the log must
// match (reads aside, which the model does not predict).
::testing::AssertionResult align(const std::vector<Call>& log, const std::vector<Event>& events,
                                 std::vector<Moment>& moments) {
    const std::vector<PredictedCall> predicted = predicted_calls(events);
    moments.assign(log.size(), Moment{});
    std::size_t next = 0;
    std::size_t done = 0;
    for (std::size_t i = 0; i < log.size(); ++i) {
        const Call& call = log[i];
        if (call.kind == "read") {
            // Nothing may be handed to a file between the calls around a
            // read, or what the read's failure leaves would be ambiguous.
            const std::size_t until = next < predicted.size() ? predicted[next].event : events.size();
            for (std::size_t e = done; e < until; ++e) {
                if (events[e].step == Step::file_record) {
                    return ::testing::AssertionFailure() << "a record is handed over around read " << call.number;
                }
            }
            moments[i] = Moment{done, std::nullopt};
            continue;
        }
        if (next == predicted.size()) return ::testing::AssertionFailure() << "more calls than expected at " << i;
        const PredictedCall& p = predicted[next++];
        if (call.kind != p.kind || call.target != p.target || (p.bytes && *p.bytes != call.bytes)) {
            return ::testing::AssertionFailure() << "call " << i + 1 << " is " << call.kind << " " << call.target
                                                 << " " << call.bytes << ", expected " << p.kind << " " << p.target
                                                 << " " << (p.bytes ? std::to_string(*p.bytes) : "?");
        }
        moments[i] = Moment{p.event, p.event};
        done = p.event + 1;
    }
    if (next != predicted.size()) return ::testing::AssertionFailure() << "fewer calls than expected";
    return ::testing::AssertionSuccess();
}

// ---------------------------------------------------------------------------
// The diagnostics.

struct InjectedError {
    const char* name;
    // The number and message of the diagnostic, by the kind of call.
    const char* write;
    const char* open;
    const char* close;
};

const InjectedError kErrors[] = {
    {"no_space", "6002|no space left on device", "6002|no space left on device", "6002|no space left on device"},
    {"access_refused", "6001|access refused", "6001|access refused", "6001|access refused"},
    {"other", "6009|write failed", "6001|access refused", "6013|close failed"},
    {"not_found", nullptr, "6003|file or directory not found", nullptr},
    {"already_exists", nullptr, "6004|file was created by someone else meanwhile", nullptr},
    {"invalid_name", nullptr, "6005|file name not valid", nullptr},
    {"too_many_files", nullptr, "6006|too many open files", nullptr},
};

std::string diagnostic(const std::string& statement, const std::string& target, const char* number_and_message) {
    const std::string text(number_and_message);
    const std::size_t bar = text.find('|');
    const std::string file = target == "stdin" || target == "stdout" ? "CON" : target;
    return "\r\nrun-time error F" + text.substr(0, bar) + ": " + statement + "(" + file + ")\r\n- " +
           text.substr(bar + 1) + "\r\n";
}

// ---------------------------------------------------------------------------
// The runs.

E2eRunOptions faulty(const E2eDirectory& dir, const std::string& fault) {
    E2eRunOptions options;
    options.executable = SOTRA_FAULTY_EXECUTABLE;
    options.environment.push_back("SOTRA_FAULT_LOG=" + dir.path_of(kLogName));
    if (!fault.empty()) options.environment.push_back("SOTRA_FAULT=" + fault);
    return options;
}

E2eRun run_scenario(const E2eDirectory& dir, const Scenario& s, const std::string& fault) {
    if (s.variable_theta) dir.write_file(kData, kTwoPairs);
    if (s.existing_outputs) {
        dir.write_file(kResults, kEarlierOutput);
        dir.write_file(kScript, kEarlierOutput);
    }
    return run_sotra(dir, s.answers, faulty(dir, fault));
}

std::string file_or_absent(const E2eDirectory& dir, const std::string& name) {
    return dir.exists(name) ? dir.read_file(name) : "<absent>";
}

class FaultInjection : public ::testing::TestWithParam<std::tuple<Scenario, const char*>> {
protected:
    void SetUp() override {
        scenario_ = std::get<0>(GetParam());
        kind_ = std::get<1>(GetParam());
        E2eDirectory dir;
        const E2eRun r = run_scenario(dir, scenario_, "");
        ASSERT_FALSE(r.timed_out) << r.describe();
        ASSERT_TRUE(r.exited && r.exit_status == 0) << r.describe();
        ASSERT_EQ(r.err, "");
        fault_free_.out = r.out;
        fault_free_.results = dir.read_file(kResults);
        fault_free_.script = dir.read_file(kScript);
        ASSERT_TRUE(dir.exists(kLogName)) << "sotra_faulty wrote no log";
        fault_free_.calls = parse_log(dir.read_file(kLogName));
        events_ = run_events(scenario_, fault_free_);
        ASSERT_TRUE(align(fault_free_.calls, events_, moments_));
    }

    // The bytes the fault-free run wrote to `target` in the calls before
    // call `index` of the log.
    std::size_t written_before(std::size_t index, const std::string& target) const {
        std::size_t bytes = 0;
        for (std::size_t i = 0; i < index; ++i) {
            const Call& c = fault_free_.calls[i];
            if (c.kind == "write" && c.target == target) bytes += c.bytes;
        }
        return bytes;
    }

    // The bytes of the file's records handed over in the events before `done`.
    std::size_t handed_before(std::size_t done, const std::string& file) const {
        std::size_t bytes = 0;
        for (std::size_t e = 0; e < done; ++e) {
            if (events_[e].step == Step::file_record && events_[e].target == file) bytes += events_[e].bytes.size();
        }
        return bytes;
    }

    bool happened_before(std::size_t done, Step step, const std::string& target) const {
        for (std::size_t e = 0; e < done; ++e) {
            if (events_[e].step == step && events_[e].target == target) return true;
        }
        return false;
    }

    // Runs the scenario with call `index` of the log failing (and, with
    // `and_later`, every later call of its kind) and checks the outcome.
    void expect_failure_outcome(std::size_t index, const InjectedError& error, const char* number_and_message,
                                bool and_later) {
        const Call& call = fault_free_.calls[index];
        const Moment& moment = moments_[index];
        const std::string fault =
            call.kind + ":" + std::to_string(call.number) + (and_later ? "+" : "") + ":" + error.name;
        SCOPED_TRACE(fault + " (" + call.target + ")");
        E2eDirectory dir;

        const E2eRun r = run_scenario(dir, scenario_, fault);

        ASSERT_FALSE(r.timed_out) << r.describe();
        ASSERT_TRUE(r.exited) << r.describe();
        const bool closing_text = moment.in_progress && events_[*moment.in_progress].step == Step::closing_text;
        if (closing_text) {
            // The closing lines go wherever standard output goes; a failure
            // to write them is not reported, and the run is complete.
            EXPECT_EQ(r.exit_status, 0) << r.describe();
            EXPECT_EQ(r.err, "");
            const std::size_t at = written_before(index, "stdout");
            EXPECT_EQ(r.out, fault_free_.out.substr(0, at) + fault_free_.out.substr(at + call.bytes));
            EXPECT_EQ(file_or_absent(dir, kResults), fault_free_.results);
            EXPECT_EQ(file_or_absent(dir, kScript), fault_free_.script);
            EXPECT_TRUE(dir.exists(kPlotterArgsFile));
            return;
        }

        const std::string statement = call.kind == "open"    ? "OPEN"
                                      : call.kind == "read"  ? "READ"
                                      : call.kind == "write" ? "WRITE"
                                                             : "CLOSE";
        EXPECT_EQ(r.exit_status, 1) << r.describe();
        EXPECT_EQ(r.err, diagnostic(statement, call.target, number_and_message));

        // The console: what was written before, and the line end that the
        // exit sequence owes the line the last record left open.
        const bool line_open = (call.kind == "write" && call.target == "stdout") ||
                               happened_before(moment.done, Step::console_record, "stdout");
        EXPECT_EQ(r.out, fault_free_.out.substr(0, written_before(index, "stdout")) + (line_open ? "\r\n" : ""));

        // Each output file: as it was before the run if not opened yet, or
        // if no record was handed to it (nothing cut it); the one whose
        // write failed holds the blocks written before; any other holds
        // every record handed to it so far.
        const std::string before_run = scenario_.existing_outputs ? kEarlierOutput : "<absent>";
        for (const auto& [file, fault_free_bytes] :
             {std::pair{kResults, fault_free_.results}, std::pair{kScript, fault_free_.script}}) {
            SCOPED_TRACE(file);
            const bool failing_write = call.kind == "write" && call.target == file;
            const std::size_t handed = handed_before(moment.done, file);
            if (!happened_before(moment.done, Step::open, file) ||
                (scenario_.existing_outputs && !failing_write && handed == 0)) {
                EXPECT_EQ(file_or_absent(dir, file), before_run);
                continue;
            }
            EXPECT_EQ(file_or_absent(dir, file),
                      fault_free_bytes.substr(0, failing_write ? written_before(index, file) : handed));
        }
        if (scenario_.variable_theta) {
            EXPECT_EQ(dir.read_file(kData), kTwoPairs) << "the data file was changed";
        }
        EXPECT_FALSE(dir.exists(kPlotterArgsFile)) << "the plotter ran after a failure";
    }

    Scenario scenario_;
    std::string kind_;
    Outputs fault_free_;
    std::vector<Event> events_;
    std::vector<Moment> moments_;
};

TEST_P(FaultInjection, EveryCallOfTheKindFailingEndsWithItsDiagnostic) {
    std::size_t calls = 0;
    std::size_t rotation = 0;
    for (std::size_t i = 0; i < fault_free_.calls.size(); ++i) {
        if (fault_free_.calls[i].kind != kind_) continue;
        ++calls;
        if (kind_ == "open") {
            // An open tries three kinds of access before it gives up: the
            // fault stays for the later calls, and every error is tried.
            for (const InjectedError& error : kErrors) expect_failure_outcome(i, error, error.open, true);
        } else if (kind_ == "read") {
            // Whatever the cause, a failed read is told as such.
            const InjectedError& error = kErrors[rotation++ % 3];
            expect_failure_outcome(i, error, "6010|read failed", false);
        } else {
            // The errors a write or close tells apart, in turn.
            const InjectedError& error = kErrors[rotation++ % 3];
            expect_failure_outcome(i, error, kind_ == "write" ? error.write : error.close, false);
        }
    }
    EXPECT_GT(calls, 0u) << "the run made no " << kind_ << " call";
}

INSTANTIATE_TEST_SUITE_P(Runs, FaultInjection,
                         ::testing::Combine(::testing::ValuesIn(kScenarios),
                                            ::testing::Values("open", "read", "write", "close")),
                         [](const ::testing::TestParamInfo<FaultInjection::ParamType>& info) {
                             return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param);
                         });

// ---------------------------------------------------------------------------
// Faults whose outcome is not that of the failing call's own statement.

class FaultCases : public EndToEnd {
protected:
    E2eRun run_faulty(const std::string& input, const std::string& fault) {
        return run_sotra(dir_, input, faulty(dir_, fault));
    }
};

const std::string kShownUpToJoin =
    std::string(kTypicalConsoleShown).substr(0, std::string(kTypicalConsoleShown).find("JOIN") + 4);

// Read-write access refused once: the open of a new SOTRA.DAT falls back
// to read-only, and its first write is refused.
TEST_F(FaultCases, ResultsFileCreatedReadOnlyRefusesItsWrite) {
    const E2eRun r = run_faulty(std::string(kTypicalAnswers), "open:1:access_refused");

    ASSERT_TRUE(r.exited) << r.describe();
    EXPECT_EQ(r.exit_status, 1);
    EXPECT_EQ(r.err, "\r\nrun-time error F6001: WRITE(SOTRA.DAT)\r\n- access refused\r\n");
    EXPECT_EQ(r.out, kShownUpToJoin + "\r\n");
    EXPECT_EQ(file_or_absent(dir_, kResults), "");
    EXPECT_EQ(file_or_absent(dir_, kScript), kTypicalScriptFile);
}

// The same for the data file: it is read through the read-only open.
TEST_F(FaultCases, DataFileOpenedReadOnlyIsRead) {
    dir_.write_file(kData, kTwoPairs);

    const E2eRun r = run_faulty("10 10 30\n2 0\ndata.txt\n", "open:1:access_refused");

    ASSERT_TRUE(r.exited) << r.describe();
    EXPECT_EQ(r.exit_status, 0) << r.describe();
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find("ITLE TOP \"Th Debye(media):   300.000K\""), std::string::npos);
    std::vector<DataRecord> records;
    ASSERT_TRUE(parse_data_records(file_or_absent(dir_, kResults), records));
    EXPECT_EQ(records.size(), 3u);
}

// The disk full from the first file write on: SOTRA.DAT's write fails,
// and so does SOTRA.GNP's when the exit sequence writes it; that second
// diagnostic ends the sequence, which writes no further line end.
TEST_F(FaultCases, DiskFullFromTheFirstFileWrite) {
    const E2eRun r = run_faulty(std::string(kTypicalAnswers), "write:8+:no_space");

    ASSERT_TRUE(r.exited) << r.describe();
    EXPECT_EQ(r.exit_status, 1);
    EXPECT_EQ(r.err,
              "\r\nrun-time error F6002: WRITE(SOTRA.DAT)\r\n- no space left on device\r\n"
              "\r\nrun-time error F6002: WRITE(SOTRA.GNP)\r\n- no space left on device\r\n");
    EXPECT_EQ(r.out, kShownUpToJoin);
    EXPECT_EQ(file_or_absent(dir_, kResults), "");
    EXPECT_EQ(file_or_absent(dir_, kScript), "");
}

// The first pair's line runs into the file's second block, which the read
// of the pair does not need: dropping the rest of the line reads it, and
// that read fails. The failure is told by the next read, not lost, nor is
// the next pair taken from the middle of the dropped line.
TEST_F(FaultCases, ReadFailingWhileTheRestOfALineIsDroppedIsReported) {
    dir_.write_file(kData, "100 200" + std::string(2000, ' ') + "\n300 400\n");

    const E2eRun r = run_faulty("10 10 30\n2 0\ndata.txt\n", "read:3:other");

    ASSERT_TRUE(r.exited) << r.describe();
    EXPECT_EQ(r.exit_status, 1);
    EXPECT_EQ(r.err, "\r\nrun-time error F6010: READ(data.txt)\r\n- read failed\r\n");
    EXPECT_FALSE(dir_.exists(kResults));
}

// The program itself has no fault seam: it runs as usual whatever the
// environment asks for.
TEST_F(FaultCases, ProgramIgnoresFaultSettings) {
    E2eRunOptions options;
    options.environment = {"SOTRA_FAULT=write:1:no_space", "SOTRA_FAULT_LOG=" + dir_.path_of(kLogName)};

    const E2eRun r = run(kTypicalAnswers, options);

    ASSERT_TRUE(r.exited) << r.describe();
    EXPECT_EQ(r.exit_status, 0) << r.describe();
    EXPECT_EQ(r.out, kTypicalConsoleShown);
    EXPECT_EQ(file_or_absent(dir_, kResults), kTypicalResultsFile);
    EXPECT_FALSE(dir_.exists(kLogName));
}

}  // namespace
}  // namespace sotra
