// write_fixed_six_decimals, the six-decimal form of values from 1 up to
// 10^7, at the edges of its range, where write_fixed hands over to its
// general place-by-place writing, and in how it writes into a field.
#include "records/fixed_six_decimals.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>

#include "records/decimal_rendering.h"

namespace sotra {
namespace {

float from_bits(std::uint32_t bits) { return std::bit_cast<float>(bits); }

TEST(FixedSixDecimalsTest, EdgesOfTheRangeAndTheHandOver) {
    const struct {
        const char* what;
        float value;
        const char* text;
    } rows[] = {
        {"1, the first value it takes", 1.0f, "1.000000"},
        {"the float above 1", from_bits(0x3F800001), "1.000000"},
        {"the float below 1, general path", from_bits(0x3F7FFFFF), "1.000000"},
        {"0.5, general path", 0.5f, ".500000"},
        {"the float below 10", from_bits(0x411FFFFF), "9.999999"},
        {"9999999, the last value it takes", 9999999.0f, "9999999.000000"},
        {"10^7, general path", 10000000.0f, "10000000.000000"},
        {"half up at the 7th digit", 1234567.5f, "1234568.000000"},
        {"half up below 2^23", 8388607.5f, "8388608.000000"},
        {"below half at the 7th digit", 1234567.25f, "1234567.000000"},
        {"every decimal a digit of the value", 1.234567f, "1.234567"},
        {"negative, one integer digit", -1.0f, "-1.000000"},
        {"negative, seven integer digits", -9999999.0f, "-9999999.000000"},
        {"negative, general path", -10000000.0f, "-10000000.000000"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(render_fixed(row.value, 6), row.text) << row.what;
    }
}

// No float from 1 to 10^7 rounds up to a power of ten at the 7th digit, but
// the digits of a DecimalValue can: the value shown gains an integer digit.
TEST(FixedSixDecimalsTest, RoundingThatGainsADigit) {
    const struct {
        DecimalValue value;
        const char* text;
    } rows[] = {
        {{false, 99'999'995'000'000'000, 3}, "1000.000000"},
        {{true, 99'999'995'000'000'000, 7}, "-10000000.000000"},
        {{false, 99'999'994'999'999'999, 1}, "9.999999"},
    };
    for (const auto& row : rows) {
        char field[32];
        const std::size_t length = write_fixed_six_decimals(row.value, field + sizeof field);
        EXPECT_EQ(std::string(field + sizeof field - length, length), row.text);
    }
}

// The text is stored eight characters at a time: the 15 characters before
// the end are its field, blanks before the text, and nothing before them is
// touched.
TEST(FixedSixDecimalsTest, FillsItsFifteenCharactersAndNoMore) {
    const struct {
        float value;
        std::string text;
    } rows[] = {
        {1.5f, "1.500000"},
        {-1.5f, "-1.500000"},
        {12345.5f, "12345.500000"},
        {-1234567.0f, "-1234567.000000"},
    };
    for (const auto& row : rows) {
        std::string field(24, '#');
        const std::size_t length = write_fixed_six_decimals(decimal_value(row.value), field.data() + field.size());
        EXPECT_EQ(length, row.text.size());
        EXPECT_EQ(field, std::string(9, '#') + std::string(15 - row.text.size(), ' ') + row.text);
    }
}

}  // namespace
}  // namespace sotra
