#include "calc/debye_temperature_table.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/os.h"
#include "process/float_setup.h"
#include "records/text_channel.h"
#include "tests/support/temp_dir.h"

namespace sotra {
namespace {

using testing_support::read_file;
using testing_support::redirect_to_file;
using testing_support::TempDir;
using testing_support::write_file;

using Pairs = std::vector<std::pair<float, float>>;  // (T, theta) in slot order

DebyeTemperatureTable table_of(const Pairs& pairs) {
    DebyeTemperatureTable table;
    for (const auto& [t, theta] : pairs) {
        table.temperatures[static_cast<std::size_t>(table.count)] = t;
        table.debye_temperatures[static_cast<std::size_t>(table.count)] = theta;
        ++table.count;
    }
    return table;
}

// ---------------------------------------------------------------------------
// Interpolation.

struct AtCase {
    const char* what;
    Pairs pairs;
    float t;
    float expected;  // every value here is exact
};

TEST(DebyeTemperatureAtTest, EndsPairsAndInterpolation) {
    const float just_above_200 = std::nextafter(200.0f, 1000.0f);
    const AtCase cases[] = {
        // The basic table: below, at and above its ends, and between.
        {"below the first", {{100, 200}, {300, 400}}, 50, 200},
        {"at the first", {{100, 200}, {300, 400}}, 100, 200},
        {"between", {{100, 200}, {300, 400}}, 150, 250},
        {"at the last", {{100, 200}, {300, 400}}, 300, 400},
        {"above the last", {{100, 200}, {300, 400}}, 350, 400},
        // A temperature of the table gives that pair's theta exactly, not
        // the neighbour's nor something rounded on the way (catches a search
        // that stops at the first temperature above T instead of not below).
        {"at an inner temperature", {{100, 123.4f}, {200, 351.7f}, {300, 375.1f}, {400, 1000}}, 200, 351.7f},
        {"at the next inner one", {{100, 123.4f}, {200, 351.7f}, {300, 375.1f}, {400, 1000}}, 300, 375.1f},
        {"between inner ones", {{100, 100}, {200, 300}, {300, 500}, {400, 1000}}, 275, 450},
        // A repeated temperature inside the table: at it the first of the two,
        // just above it the interpolation starts from the second.
        {"repeated inner, at it", {{100, 200}, {200, 300}, {200, 500}, {300, 600}}, 200, 300},
        {"repeated inner, just above", {{100, 200}, {200, 300}, {200, 500}, {300, 600}}, just_above_200, 500},
        {"repeated inner, above", {{100, 200}, {200, 300}, {200, 500}, {300, 600}}, 250, 550},
        {"repeated inner, below", {{100, 200}, {200, 300}, {200, 500}, {300, 600}}, 150, 250},
        // The last two pairs with one temperature: the last theta at and
        // above it (catches a search run before the end test).
        {"repeated last, at it", {{100, 200}, {300, 400}, {300, 700}}, 300, 700},
        {"repeated last, above", {{100, 200}, {300, 400}, {300, 700}}, 350, 700},
        {"repeated last, below", {{100, 200}, {300, 400}, {300, 700}}, 200, 300},
        // Temperatures out of order: the end tests go by position, the last
        // pair first, and the search takes the first pair not below T
        // (catches taking the smallest or largest temperature as the ends,
        // or sorting the pairs).
        {"descending, last pair tested first", {{300, 400}, {100, 200}}, 200, 200},
        {"descending, first pair", {{300, 400}, {100, 200}}, 50, 400},
        {"first above last", {{100, 200}, {500, 900}, {300, 400}}, 400, 400},
        {"unsorted, first not below", {{100, 200}, {300, 600}, {200, 300}, {400, 500}}, 250, 500},
        {"unsorted, later span", {{100, 200}, {300, 600}, {200, 300}, {400, 500}}, 350, 450},
    };
    for (const AtCase& c : cases) {
        const DebyeTemperatureTable table = table_of(c.pairs);
        EXPECT_EQ(debye_temperature_at(table, c.t), c.expected) << c.what << " at T = " << c.t;
    }
}

// With one pair both end tests look at it: its theta at every temperature,
// whatever the slots after it hold (catches reading past count).
TEST(DebyeTemperatureAtTest, OnePairGivesItsThetaEverywhere) {
    for (const float first_temperature : {0.0f, 100.0f}) {
        DebyeTemperatureTable table = table_of({{first_temperature, 345}, {1000, 9999}});
        table.count = 1;
        for (const float t : {-5.0f, 0.0f, 0.5f, 100.0f, 150.0f, 1000.0f, 1e30f}) {
            EXPECT_EQ(debye_temperature_at(table, t), 345.0f) << "T1 = " << first_temperature << ", T = " << t;
        }
    }
}

// The interpolation is the product, then the quotient, then the sum, in
// double precision and rounded to single once. The case is picked so that
// the exact result lies next to a point halfway between two floats: doing
// the quotient first, or the work in single precision, lands on the other
// side (catches either).
TEST(DebyeTemperatureAtTest, ProductThenQuotientThenSumInDouble) {
    const float t1 = 0.0f, theta1 = 0.0f;
    const float t2 = 3.0f, theta2 = 3.000732421875f;  // 3 * (1 + 2^-12), exact
    const float t = 1.502685546875f;                   // 1.5 + 11 * 2^-12, exact
    const double rise = static_cast<double>(theta2) - static_cast<double>(theta1);
    const double offset = static_cast<double>(t) - static_cast<double>(t1);
    const double span = static_cast<double>(t2) - static_cast<double>(t1);
    const float expected = static_cast<float>((rise * offset) / span + static_cast<double>(theta1));
    const float quotient_first = static_cast<float>(rise * (offset / span) + static_cast<double>(theta1));
    const float in_single = (theta2 - theta1) * (t - t1) / (t2 - t1) + theta1;
    ASSERT_NE(expected, quotient_first) << "the case no longer tells the orders apart";
    ASSERT_NE(expected, in_single) << "the case no longer tells double from single precision";

    const DebyeTemperatureTable table = table_of({{t1, theta1}, {t2, theta2}});
    EXPECT_EQ(debye_temperature_at(table, t), expected);
}

// ---------------------------------------------------------------------------
// Loading from a data file through channel 10.

class LoadDebyeTemperaturesTest : public ::testing::Test {
protected:
    void TearDown() override { close_channel(10); }

    // The table as the run hands it over: count 1, the user's theta in
    // slot 1 of the Debye temperatures.
    static DebyeTemperatureTable as_the_run_sets_it(float user_theta) {
        DebyeTemperatureTable table;
        table.count = 1;
        table.debye_temperatures[0] = user_theta;
        return table;
    }

    std::string data_file(const std::string& bytes) {
        const std::string path = dir.file("theta.dat");
        write_file(path, bytes);
        return path;
    }

    TempDir dir;
};

struct LoadCase {
    const char* what;
    std::string bytes;
    float user_theta;  // <= 0, as when the run loads a table
    Pairs pairs;       // slots 1 to count after the load
    float mean;
};

TEST_F(LoadDebyeTemperaturesTest, PairsCountAndMean) {
    const LoadCase cases[] = {
        // Records and line ends.
        {"two pairs", "100 200\n300 400\n", 0, {{100, 200}, {300, 400}}, 300},
        {"one pair", "150 250\n", 0, {{150, 250}}, 250},
        {"CR LF line ends", "100 200\r\n300 400\r\n", 0, {{100, 200}, {300, 400}}, 300},
        {"last line without line end", "100 200\n300 400", 0, {{100, 200}, {300, 400}}, 300},
        {"blank lines between", "\n100 200\n\n\n300 400\n\n", 0, {{100, 200}, {300, 400}}, 300},
        {"comma and tab separators", "100,200\n300\t400\n", 0, {{100, 200}, {300, 400}}, 300},
        // Each pair starts a new read: what follows its second value in the
        // record is not the next pair, and a pair may cross records.
        {"three numbers on a line", "100 200 999\n300 400 888\n", 0, {{100, 200}, {300, 400}}, 300},
        {"pair split over two records", "100\n200\n300\n400\n", 0, {{100, 200}, {300, 400}}, 300},
        {"pair begun at the end is not counted", "100 200\n300\n", 0, {{100, 200}}, 200},
        // A rejected value ends the attempt; the next attempt goes on right
        // after it in the same record, into the same slot.
        {"heading of words", "Temperatura Theta\nK K\n100 200\n300 400\n", 0, {{100, 200}, {300, 400}}, 300},
        {"word then two numbers", "abc 100 200\n", 0, {{100, 200}}, 200},
        {"number then word: number dropped", "100 abc\n300 400\n", 0, {{300, 400}}, 400},
        {"word between pairs", "100 200\nxyz\n300 400\n", 0, {{100, 200}, {300, 400}}, 300},
        // A read that ends ok without a value for a slot leaves it as it was.
        {"slash: theta never written is zero", "100 200\n300/\n", 0, {{100, 200}, {300, 0}}, 100},
        {"null: temperature never written is zero", "100 200\n,400\n", 0, {{100, 200}, {0, 400}}, 300},
        {"two nulls: both slots zero", "100 200\n,,\n300 400\n", 0, {{100, 200}, {0, 0}, {300, 400}}, 200},
        {"slash in slot 1 keeps the user's theta", "100/\n300 400\n", -5, {{100, -5}, {300, 400}}, 197.5f},
        {"lone slash in slot 1", "/\n300 400\n", -1, {{0, -1}, {300, 400}}, 199.5f},
        {"null in slot 1 keeps temperature 0", ",500\n", -5, {{0, 500}}, 500},
        {"null keeps what a rejected attempt stored", "100 xyz\n,300\n", 0, {{100, 300}}, 300},
        // The running sum is rounded to single precision at each step: 2^24
        // plus 1 stays 2^24, so the mean is 2^24 / 3 = 5592405.5 after
        // rounding; a sum kept in double would give 5592406.
        {"sum rounded at each step", "1 16777216\n2 1\n3 1\n", 0, {{1, 16777216}, {2, 1}, {3, 1}}, 5592405.5f},
    };
    for (const LoadCase& c : cases) {
        DebyeTemperatureTable table = as_the_run_sets_it(c.user_theta);

        const float mean = load_debye_temperatures(table, data_file(c.bytes));

        ASSERT_EQ(table.count, static_cast<std::int32_t>(c.pairs.size())) << c.what;
        for (std::size_t i = 0; i < c.pairs.size(); ++i) {
            EXPECT_EQ(table.temperatures[i], c.pairs[i].first) << c.what << ", slot " << i + 1;
            EXPECT_EQ(table.debye_temperatures[i], c.pairs[i].second) << c.what << ", slot " << i + 1;
        }
        EXPECT_EQ(mean, c.mean) << c.what;
        EXPECT_EQ(find_file_channel(10), nullptr) << c.what << ": channel 10 left open";
    }
}

std::string pairs_text(int count) {
    std::string bytes;
    for (int i = 1; i <= count; ++i) bytes += std::to_string(i) + " " + std::to_string(2 * i) + "\n";
    return bytes;
}

// The capacity is filled exactly, and what cannot be a pair after it does
// not count as one more (catches an off-by-one at the capacity).
TEST_F(LoadDebyeTemperaturesTest, FullTableIsReadCompletely) {
    for (const std::string& tail : {std::string(), std::string("abc\n7\n")}) {
        DebyeTemperatureTable table = as_the_run_sets_it(0);

        const float mean = load_debye_temperatures(table, data_file(pairs_text(kTableCapacity) + tail));

        ASSERT_EQ(table.count, kTableCapacity) << "tail \"" << tail << "\"";
        EXPECT_EQ(table.temperatures[kTableCapacity - 1], 5000.0f);
        EXPECT_EQ(table.debye_temperatures[kTableCapacity - 1], 10000.0f);
        EXPECT_EQ(mean, 5001.0f) << "2 * (1 + ... + 5000) / 5000";
    }
}

// ---------------------------------------------------------------------------
// Loads that end the program. They run in the child of a death test; its
// standard error goes to a file that the parent then reads byte for byte.

class LoadDebyeTemperaturesExitTest : public LoadDebyeTemperaturesTest {
protected:
    // In the child: the floating-point set-up of the program, standard
    // error on a file, then the load; returning from it is a failure.
    void load_in_child(const std::string& path) {
        redirect_to_file(STDERR_FILENO, dir.file("stderr"));
        set_up_floating_point();
        DebyeTemperatureTable table = as_the_run_sets_it(0);
        (void)load_debye_temperatures(table, path);
        os::exit_process(7);
    }
    std::string err() { return read_file(dir.file("stderr")); }
};

// No pair read: the mean is 0 / 0, which traps as an invalid operation.
TEST_F(LoadDebyeTemperaturesExitTest, NoPairEndsWithInvalidOperation) {
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"empty file", ""},
        {"only words", "Temperatura Theta\nK K\n"},
        {"one number", "100\n"},
        {"only a line end", "\n"},
    };
    for (const auto& c : cases) {
        const std::string path = data_file(c.bytes);
        EXPECT_EXIT(load_in_child(path), ::testing::ExitedWithCode(1), "") << c.what;
        EXPECT_EQ(err(), "\r\nrun-time error M6101: MATH\r\n- floating-point error: invalid\r\n") << c.what;
    }
}

TEST_F(LoadDebyeTemperaturesExitTest, MoreThanTheCapacityEndsWithItsDiagnostic) {
    const std::string path = data_file(pairs_text(kTableCapacity + 1));
    EXPECT_EXIT(load_in_child(path), ::testing::ExitedWithCode(1), "");
    EXPECT_EQ(err(), "\r\nrun-time error F6041: READ(" + path +
                         ")\r\n- more than 5000 temperature pairs in the data file\r\n");
}

}  // namespace
}  // namespace sotra
