// The temperature sweep as it shows in SOTRA.DAT, and the sweeps that would
// never end.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "run_fixture.h"

namespace sotra {
namespace {

constexpr const char* kSolid = "2 345\n";

const std::string kDialogueShown = std::string(kSweepPromptShown) + "\r\n" + std::string(kAtomsPromptShown) +
                                   "\r\n" + std::string(kVariablePromptShown);
const std::string kTitlesShown =
    "\r\nITLE TOP \"Th Debye:   345.000K\""
    "\r\nITLE BOTTOM \"T(K)\""
    "\r\nITLE LEFT \"Cv/R Debye\"";

class EndToEndFinishedSweep : public EndToEnd {
protected:
    // The records of SOTRA.DAT after a run that must succeed; every shared
    // property of a finished sweep is checked on the way.
    std::vector<DataRecord> sweep(const std::string& temperatures) {
        const E2eRun r = run(temperatures + "\n" + kSolid);
        std::vector<DataRecord> records;
        EXPECT_FALSE(r.timed_out) << r.describe();
        EXPECT_TRUE(r.exited && r.exit_status == 0) << r.describe();
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(r.out, kDialogueShown + kTitlesShown + "\r\nJOIN\r\n Resultados en SOTRA.DAT\r\n\r\n");
        if (!dir_.exists("SOTRA.DAT") || !dir_.exists("SOTRA.GNP")) {
            ADD_FAILURE() << "output files missing after " << r.describe();
            return records;
        }
        const std::string results = dir_.read_file("SOTRA.DAT");
        EXPECT_TRUE(parse_data_records(results, records));
        EXPECT_EQ(dir_.read_file("SOTRA.GNP"), std::string(kScriptHeader) + results + std::string(kScriptTrailer));
        for (const DataRecord& record : records) {
            EXPECT_TRUE(follows_real_format(record.temperature));
            EXPECT_TRUE(follows_real_format(record.cv_over_r));
        }
        return records;
    }
};

struct SweepCase {
    const char* name;
    const char* temperatures;  // the first answer: start, step, end
    std::size_t points;
    // Temperature texts expected at some positions (0 is the first point).
    std::vector<std::pair<std::size_t, std::string>> shown;
};

void PrintTo(const SweepCase& c, std::ostream* os) { *os << c.name; }

class EndToEndSweep : public EndToEndFinishedSweep, public ::testing::WithParamInterface<SweepCase> {};

TEST_P(EndToEndSweep, TabulatesTheExpectedTemperatures) {
    const SweepCase& c = GetParam();
    const std::vector<DataRecord> records = sweep(c.temperatures);
    ASSERT_EQ(records.size(), c.points);
    for (const auto& [index, text] : c.shown) {
        EXPECT_EQ(records[index].temperature, text) << "point " << index;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sweeps, EndToEndSweep,
    ::testing::Values(
        SweepCase{"BelowOneKelvin", "0.1 0.05 0.2", 2, {{0, "1.000000E-01"}, {1, "1.500000E-01"}}},
        // The single-precision temperature drifts: the end is never reached.
        SweepCase{"TenthsUpToOne", "0.1 0.1 1.0", 9, {{0, "1.000000E-01"}, {8, "9.000001E-01"}}},
        SweepCase{"StartPastEnd", "30 10 10", 1, {{0, "30.000000"}}},
        // Past the end, a step that does not go up is harmless: one point.
        SweepCase{"StartPastEndZeroStep", "30 0 10", 1, {{0, "30.000000"}}},
        SweepCase{"StartPastEndNegativeStep", "30 -5 10", 1, {{0, "30.000000"}}},
        SweepCase{"StartIsEnd", "20 5 20", 1, {{0, "20.000000"}}},
        SweepCase{"ThroughZero", "-10 10 10", 3, {{0, "-10.000000"}, {1, "0.000000E+00"}, {2, "10.000000"}}},
        SweepCase{"LastFixedPointTemperatures", "9999990 3 9999999", 4,
                  {{0, "9999990.000000"}, {3, "9999999.000000"}}},
        SweepCase{"FirstExponentTemperature", "9999999 1 10000000", 2, {{0, "9999999.000000"}, {1, "1.000000E+07"}}}),
    [](const ::testing::TestParamInfo<SweepCase>& info) { return std::string(info.param.name); });

// At zero and below no heat capacity is computed; above zero it is.
TEST_F(EndToEndFinishedSweep, NoHeatCapacityAtOrBelowZeroKelvin) {
    const std::vector<DataRecord> records = sweep("-10 10 10");
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].cv_over_r, "0.000000E+00");
    EXPECT_EQ(records[1].cv_over_r, "0.000000E+00");
    // The same point as in the typical 10, 20, 30 sweep.
    EXPECT_EQ(records[2].cv_over_r, "1.138632E-02");
}

// Far above theta Cv/R tends to 3 per atom of the formula unit.
TEST_F(EndToEndFinishedSweep, HighTemperatureApproachesThreePerAtom) {
    const std::vector<DataRecord> records = sweep("1000 1 1000");
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].temperature, "1000.000000");
    const double cv = field_value(records[0].cv_over_r);
    EXPECT_GT(cv, 5.9);
    EXPECT_LT(cv, 6.0);
}

// A sweep that goes up to its end with a step that does not go up is
// refused before any output file is touched.
struct StepCase {
    const char* name;
    const char* temperatures;
    bool files_before;  // SOTRA.DAT and SOTRA.GNP exist before the run
};

void PrintTo(const StepCase& c, std::ostream* os) { *os << c.name; }

class EndToEndSweepStepNotPositive : public EndToEnd, public ::testing::WithParamInterface<StepCase> {};

TEST_P(EndToEndSweepStepNotPositive, StopsWithF6031AndLeavesFilesAlone) {
    const StepCase& c = GetParam();
    const std::string results_before = "old results\r\n" + std::string(3000, 'd');
    const std::string script_before = "old script\r\n";
    if (c.files_before) {
        dir_.write_file("SOTRA.DAT", results_before);
        dir_.write_file("SOTRA.GNP", script_before);
    }

    const E2eRun r = run(std::string(c.temperatures) + "\n" + kSolid);

    ASSERT_FALSE(r.timed_out) << r.describe();
    ASSERT_TRUE(r.exited) << r.describe();
    EXPECT_EQ(r.exit_status, 1) << r.describe();
    EXPECT_EQ(r.err,
              "\r\nrun-time error F6031\r\n"
              "- temperature increment not positive: the sweep would never reach its end\r\n");
    // The dialogue, and the line end the exit sequence owes the last line.
    EXPECT_EQ(r.out, kDialogueShown + "\r\n");
    if (c.files_before) {
        EXPECT_EQ(dir_.read_file("SOTRA.DAT"), results_before);
        EXPECT_EQ(dir_.read_file("SOTRA.GNP"), script_before);
    } else {
        EXPECT_FALSE(dir_.exists("SOTRA.DAT"));
        EXPECT_FALSE(dir_.exists("SOTRA.GNP"));
    }
    EXPECT_FALSE(dir_.exists(kPlotterArgsFile));
}

INSTANTIATE_TEST_SUITE_P(Steps, EndToEndSweepStepNotPositive,
                         ::testing::Values(StepCase{"Zero", "10 0 30", false}, StepCase{"Negative", "10 -1 30", false},
                                           StepCase{"ZeroStartIsEnd", "10 0 10", false},
                                           StepCase{"ZeroFilesExist", "10 0 30", true},
                                           StepCase{"NegativeFilesExist", "10 -1 30", true}),
                         [](const ::testing::TestParamInfo<StepCase>& info) { return std::string(info.param.name); });

// A step too small to move the single-precision temperature would repeat
// the same point for ever; the point written so far stays.
TEST_F(EndToEnd, SweepThatStallsStopsWithF6032KeepingThePointSoFar) {
    const E2eRun r = run(std::string("1e7 0.1 2e7\n") + kSolid);

    ASSERT_FALSE(r.timed_out) << r.describe();
    ASSERT_TRUE(r.exited) << r.describe();
    EXPECT_EQ(r.exit_status, 1) << r.describe();
    EXPECT_EQ(r.err,
              "\r\nrun-time error F6032\r\n"
              "- temperature no longer changes with the increment: the sweep would never reach its end\r\n");
    EXPECT_EQ(r.out, kDialogueShown + kTitlesShown + "\r\n");

    expect_points_kept(dir_, {"1.000000E+07"});
    EXPECT_FALSE(dir_.exists(kPlotterArgsFile));
}

}  // namespace
}  // namespace sotra
