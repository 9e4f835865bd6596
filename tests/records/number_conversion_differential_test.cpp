// convert_real and the list reader against the exact reading of
// tools/differential (big integers, no floating point): hand-picked hard
// cases, a sample of the generated texts that differential_reader runs by
// the hundred million, and checks of the exact reading itself.
#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cstdint>
#include <regex>
#include <string>
#include <vector>

#include "records/number_conversion.h"
#include "tools/differential/exact_reading.h"
#include "tools/differential/reader_texts.h"
#include "tools/differential/reading_check.h"

namespace sotra {
namespace {

using differential::exact_reading;
using differential::ExactReading;

struct HardCase {
    const char* text;
    bool ok;
    std::uint32_t bits;  // when ok
    FailureCause cause;  // when not ok
};

constexpr FailureCause kOk = FailureCause::invalid_number;  // unused when ok

// The expected results were worked out with exact fractions, apart from
// both implementations under test.
const HardCase kHardCases[] = {
    // 1 + 2^-24 lies halfway between 1 and the next single: the tie goes to
    // 1. Texts just above it still give 1, because their double is the
    // midpoint itself (the double is rounded, not the text).
    {"1.000000059604644775390625", true, 0x3f800000, kOk},
    {"1.00000005960464477539063", true, 0x3f800000, kOk},
    // Halfway between that midpoint and the double above it: cut to 24
    // digits it is below and gives 1; one unit up in the 24th digit it is
    // above and gives the next single.
    {"1.00000005960464488641292", true, 0x3f800000, kOk},
    {"1.00000005960464488641293", true, 0x3f800001, kOk},
    // 1 + 3 x 2^-24: a tie that goes up to the even single.
    {"1.000000178813934326171875", true, 0x3f800002, kOk},
    // 2^53 + 2^29 + 1 is halfway between two doubles next to a single
    // midpoint: both ties go down. A 24th digit counts, a 25th does not,
    // wherever the leading zeros and the point put them; digits past the
    // 24th before the point only count as a power of ten.
    {"9007199791611905", true, 0x5a000000, kOk},
    {"9007199791611904.99999999", true, 0x5a000000, kOk},
    {"9007199791611905.00000001", true, 0x5a000001, kOk},
    {"9007199791611905.000000001", true, 0x5a000000, kOk},
    {"0.000000000900719979161190500000001e25", true, 0x5a000001, kOk},
    {"0.00000000009007199791611905000000001e26", true, 0x5a000000, kOk},
    {"9007199791611905000000001e-9", true, 0x5a000000, kOk},
    {"9.007199791611905+15", true, 0x5a000000, kOk},
    {"9007199791611905.00000001D0", true, 0x5a000001, kOk},
    // 2^-150, half the smallest denormal single: a tie that goes to zero,
    // also from a text just above it; only past the next double midpoint
    // does it give the smallest denormal.
    {"7.00649232162408535461864791644958065640130970938257885878534141944895541342930300743319094181060791015625e-46",
     true, 0x00000000, kOk},
    {"7.00649232162408535461865e-46", true, 0x00000000, kOk},
    {"7.00649232162408613249555e-46", true, 0x00000000, kOk},
    {"7.00649232162408613249556e-46", true, 0x00000001, kOk},
    {"-7.00649232162408613249556e-46", true, 0x80000001, kOk},
    // Halfway between the largest denormal and the smallest normal single.
    {"1.1754942807573642917278829910357665133228589927589904276829631184250030649651730385585324256680905818939208984375e-38",
     true, 0x00800000, kOk},
    {"1.17549428075736429172787e-38", true, 0x00800000, kOk},
    // The overflow bound is the double above the largest single: the text
    // of the bound itself is accepted; halfway to the next double is the
    // edge.
    {"3.402823466385289e38", true, 0x7f7fffff, kOk},
    {"-3.4028234663852886e38", true, 0xff7fffff, kOk},
    {"3.402823466385289164e38", true, 0x7f7fffff, kOk},
    {"3.402823466385289165e38", false, 0, FailureCause::real_overflow},
    {"340282346638528916480101977920259489792", true, 0x7f7fffff, kOk},
    {"340282346638528916480102e15", false, 0, FailureCause::real_overflow},
    {"3.40282356779733661637539395458142568448e38", false, 0, FailureCause::real_overflow},
    // The top of the double range: halfway between the largest double and
    // 2^1024 is the edge between the two overflow errors.
    {"1.797693134862315807937289e308", false, 0, FailureCause::real_overflow},
    {"1.79769313486231580793729e308", false, 0, FailureCause::number_out_of_range},
    {"1.7976931348623158079372897140530341507993413271003782693617377898044496829276475094664736817e308", false, 0,
     FailureCause::real_overflow},
    // The decimal exponent bound, and exponents of many digits.
    {"1e5200", false, 0, FailureCause::number_out_of_range},
    {"0.00001e5204", false, 0, FailureCause::number_out_of_range},
    {"1e-5200", true, 0x00000000, kOk},
    {"-1e-99999999999999999999", true, 0x80000000, kOk},
    {"0e99999999999999999999", true, 0x00000000, kOk},
    {"-0.000e5201", true, 0x80000000, kOk},
    {"1e000000000000000000000000000038", true, 0x7e967699, kOk},
    // The syntax at its corners.
    {"5.d3", true, 0x459c4000, kOk},
    {".5-3", true, 0x3a03126f, kOk},
    {"-.5+3", true, 0xc3fa0000, kOk},
    {"1.e+0", true, 0x3f800000, kOk},
    {"1.E", false, 0, FailureCause::invalid_number},
    {"+-1", false, 0, FailureCause::invalid_number},
    {"1e5e5", false, 0, FailureCause::invalid_number},
    {"1e5.", false, 0, FailureCause::invalid_number},
    {".e1", false, 0, FailureCause::invalid_number},
    {"1+", false, 0, FailureCause::invalid_number},
};

std::string row_text(const HardCase& row) {
    return std::string(row.text) + (row.ok ? "" : " (an error expected)");
}

TEST(ExactReadingTest, HardCasesGiveTheWorkedOutResults) {
    for (const HardCase& row : kHardCases) {
        const ExactReading exact = exact_reading(row.text);
        ASSERT_EQ(exact.ok, row.ok) << row_text(row);
        if (row.ok) {
            EXPECT_EQ(exact.float_bits, row.bits) << row.text;
        } else {
            EXPECT_EQ(exact.cause, row.cause) << row.text;
        }
    }
}

TEST(ConvertRealDifferentialTest, HardCasesGiveTheWorkedOutResults) {
    for (const HardCase& row : kHardCases) {
        const ConvertedReal got = convert_real(row.text);
        ASSERT_EQ(got.ok, row.ok) << row_text(row);
        if (row.ok) {
            EXPECT_EQ(std::bit_cast<std::uint32_t>(got.value), row.bits) << row.text;
        } else {
            EXPECT_EQ(got.cause, row.cause) << row.text;
        }
    }
}

// A sample of the stream that differential_reader checks in full; a fixed
// seed, so that a difference found here is found again.
TEST(ConvertRealDifferentialTest, SampledTextsAgreeWithTheExactReading) {
    constexpr std::uint64_t kSeed = 20240611;
    constexpr std::uint64_t kTexts = 100000;
    std::uint64_t differences = 0;
    for (std::uint64_t index = 0; index < kTexts; ++index) {
        const differential::GeneratedText generated = differential::generate_text(kSeed, index);
        const differential::CheckResult result = differential::check_text(generated.text);
        if (!result.differs) continue;
        if (++differences <= 10) {
            ADD_FAILURE() << "text " << index << " \"" << generated.text << "\": expected " << result.expected
                          << ", got " << result.got;
        }
    }
    EXPECT_EQ(differences, 0u);
}

// The exact reading checked by the library's own shortest round trip: the
// shortest text of a double must read back to that double, and that of a
// single (as a double) to that single.
TEST(ExactReadingTest, ShortestTextsReadBackToTheirValue) {
    differential::TextRng rng(99);
    for (int i = 0; i < 20000; ++i) {
        std::uint64_t bits = rng.next() & ~(std::uint64_t{1} << 63);
        if (i % 4 == 0) bits &= (std::uint64_t{1} << 52) - 1;  // denormals
        if ((bits >> 52) == 0x7FF) continue;
        const double value = std::bit_cast<double>(bits);
        char buffer[64];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
        const std::string text(buffer, end);
        const ExactReading exact = exact_reading(text);
        ASSERT_TRUE(exact.has_double) << text;
        EXPECT_EQ(exact.double_bits, bits) << text;

        const auto float_bits = static_cast<std::uint32_t>(rng.next()) & 0x7FFFFFFFu;
        if ((float_bits >> 23) == 0xFF) continue;
        const float single = std::bit_cast<float>(float_bits);
        const auto single_end = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(single)).ptr;
        const std::string single_text(buffer, single_end);
        const ExactReading single_exact = exact_reading(single_text);
        ASSERT_TRUE(single_exact.ok) << single_text;
        EXPECT_EQ(single_exact.float_bits, float_bits) << single_text;
    }
}

// The table-driven syntax check against the grammar written as a pattern.
TEST(ExactReadingTest, SyntaxAgreesWithThePattern) {
    const std::regex pattern(R"([+-]?([0-9]+\.?[0-9]*|\.[0-9]+)([EeDd][+-]?[0-9]+|[+-][0-9]+)?)");
    std::uint64_t accepted = 0;
    std::uint64_t rejected = 0;
    for (std::uint64_t index = 0; index < 20000; ++index) {
        const differential::GeneratedText generated = differential::generate_text(7, index);
        if (generated.kind != differential::TextKind::invalid && generated.kind != differential::TextKind::plain) {
            continue;
        }
        const bool by_pattern = std::regex_match(generated.text, pattern);
        EXPECT_EQ(differential::matches_number_syntax(generated.text), by_pattern) << generated.text;
        ++(by_pattern ? accepted : rejected);
    }
    // Both answers must have come up often.
    EXPECT_GT(accepted, 1000u);
    EXPECT_GT(rejected, 1000u);
}

TEST(ExactReadingTest, SingleBoundIsTheLiteralOfTheRule) {
    EXPECT_EQ(differential::single_bound_bits(), std::bit_cast<std::uint64_t>(3.402823466385289e38));
    EXPECT_EQ(differential::single_bound_bits(), 0x47EFFFFFE0000001ull);
}

}  // namespace
}  // namespace sotra
