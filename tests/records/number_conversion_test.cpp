#include "records/number_conversion.h"

#include <cmath>
#include <cstdlib>
#include <limits>

#include <gtest/gtest.h>

#include "process/float_setup.h"

namespace sotra {
namespace {

TEST(ConvertRealTest, AcceptedNumbers) {
    const struct {
        const char* text;
        float value;
    } rows[] = {
        {"150", 150.0f},   {"1.5E2", 150.0f},  {"1.5e2", 150.0f},  {"1.5D2", 150.0f},
        {"1.5d2", 150.0f}, {"1.5+2", 150.0f},  {"150.", 150.0f},   {".15E3", 150.0f},
        {"2.5-3", 2.5e-3f}, {"1+5", 1e5f},     {"-7", -7.0f},      {"+0.5", 0.5f},
        {"0e9999", 0.0f},  {"1e-5201", 0.0f},  {"1e-50", 0.0f},    {"3.4028234e38", 3.4028234e38f},
        {"0.1", 0.1f},     {"000123.4500", 123.45f},
        {"1234567890123456789012345678", 1.2345679e27f},
    };
    for (const auto& row : rows) {
        const ConvertedReal r = convert_real(row.text);
        EXPECT_TRUE(r.ok) << row.text;
        EXPECT_EQ(r.value, row.value) << row.text;
    }
    const ConvertedReal denormal = convert_real("1e-40");
    ASSERT_TRUE(denormal.ok);
    EXPECT_GT(denormal.value, 0.0f);
    EXPECT_LT(denormal.value, std::numeric_limits<float>::min());
    EXPECT_TRUE(std::signbit(convert_real("-0").value));
}

TEST(ConvertRealTest, RejectedNumbers) {
    const struct {
        const char* text;
        FailureCause cause;
    } rows[] = {
        {"1.5E", FailureCause::invalid_number},      {"1.5Q2", FailureCause::invalid_number},
        {"1.5E+", FailureCause::invalid_number},     {"0x10", FailureCause::invalid_number},
        {"INF", FailureCause::invalid_number},       {"1.2.3", FailureCause::invalid_number},
        {".", FailureCause::invalid_number},         {"+", FailureCause::invalid_number},
        {"abc", FailureCause::invalid_number},       {"1\x1A", FailureCause::invalid_number},
        {"3.4028235e38", FailureCause::real_overflow}, {"1e39", FailureCause::real_overflow},
        {"-1e39", FailureCause::real_overflow},      {"1e309", FailureCause::number_out_of_range},
        {"1e5201", FailureCause::number_out_of_range},
    };
    for (const auto& row : rows) {
        const ConvertedReal r = convert_real(row.text);
        EXPECT_FALSE(r.ok) << row.text;
        EXPECT_EQ(r.cause, row.cause) << row.text;
    }
}

// With the program's floating-point traps on, a number out of range is the
// reader's own error and a tiny one quietly zero or a denormal: no
// conversion may end the program with a floating-point diagnostic.
TEST(ConvertRealTest, NoTrapWithTheProgramsFloatingPointSetUp) {
    EXPECT_EXIT(
        {
            set_up_floating_point();
            const bool as_expected =
                convert_real("1e39").cause == FailureCause::real_overflow &&
                convert_real("-3.4028235e38").cause == FailureCause::real_overflow &&
                convert_real("1e400").cause == FailureCause::number_out_of_range &&
                convert_real("-1e5000").cause == FailureCause::number_out_of_range &&
                convert_real("1e-50").ok && convert_real("1e-50").value == 0.0f &&
                convert_real("1e-400").ok && convert_real("1e-400").value == 0.0f &&
                convert_real("1.4e-45").ok && convert_real("1.4e-45").value > 0.0f &&
                convert_real("3.4028234e38").ok;
            std::exit(as_expected ? 0 : 2);
        },
        ::testing::ExitedWithCode(0), "^$");
}

}  // namespace
}  // namespace sotra
