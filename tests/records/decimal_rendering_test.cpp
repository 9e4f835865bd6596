// Table tests of the decimal rendering of single-precision reals: the exact
// digits of a value, the rounding to the digits shown, the fixed-point and
// exponent forms and the code texts of infinities and NaNs.
#include "records/decimal_rendering.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>
#include <string>

namespace sotra {
namespace {

float from_bits(uint32_t bits) { return std::bit_cast<float>(bits); }

constexpr float kLargest = std::numeric_limits<float>::max();
constexpr float kSmallestDenormal = std::numeric_limits<float>::denorm_min();

// ---- real_digits ------------------------------------------------------------

struct DigitsCase {
    const char* what;
    float value;
    bool negative;
    const char* digits;
    int32_t exponent;
};

void expect_digits(const DigitsCase& c) {
    SCOPED_TRACE(c.what);
    const RealDigits r = real_digits(c.value);
    EXPECT_TRUE(r.finite);
    EXPECT_EQ(r.negative, c.negative);
    EXPECT_EQ(r.digits, c.digits);
    EXPECT_EQ(r.exponent, c.exponent);
    EXPECT_EQ(r.text, "");
}

TEST(RealDigitsTest, ExactValueOfTheFloat) {
    const DigitsCase cases[] = {
        {"integer", 300.0f, false, "3", 3},
        {"one", 1.0f, false, "1", 1},
        {"half", 0.5f, false, "5", 0},
        {"negative", -5.0f, true, "5", 1},
        {"all 24 significand bits", 16777215.0f, false, "16777215", 8},
        {"0.1 is 0.100000001490116119...", 0.1f, false, "10000000149011612", 0},
        {"0.001 is 0.001000000047497451...", 0.001f, false, "10000000474974513", -2},
        {"-0.0004 is -0.000399999989895150...", -0.0004f, true, "39999998989515007", -3},
        {"exact expansion shorter than 17", 12345.678f, false, "12345677734375", 5},
        {"integer above 2^64", from_bits(0x5D976D90), false, "13639419752328724", 19},
        {"largest finite", kLargest, false, "34028234663852886", 39},
        {"largest finite, negative", -kLargest, true, "34028234663852886", 39},
        {"smallest denormal", kSmallestDenormal, false, "14012984643248171", -44},
        {"largest denormal", from_bits(0x007FFFFF), false, "11754942106924411", -37},
        {"smallest normal", from_bits(0x00800000), false, "11754943508222875", -37},
    };
    for (const DigitsCase& c : cases) {
        expect_digits(c);
    }
}

TEST(RealDigitsTest, ZeroOfEitherSign) {
    const DigitsCase cases[] = {
        {"+0", 0.0f, false, "0", 0},
        {"-0", -0.0f, false, "0", 0},
    };
    for (const DigitsCase& c : cases) {
        expect_digits(c);
    }
}

TEST(RealDigitsTest, RoundHalfUpAt18thDigit) {
    const DigitsCase cases[] = {
        // 5.987654209136962890625: 18th digit 9.
        {"18th digit 9", 5.9876543f, false, "59876542091369629", 1},
        // 2^-25 = 0.0000000298023223876953125: exactly 18 digits, the last a 5.
        {"tie with nothing after it", from_bits(0x33000000), false, "29802322387695313", -7},
        // 3 x 2^-25 = 0.0000000894069671630859375.
        {"tie with nothing after it, odd significand", from_bits(0x33C00000), false,
         "89406967163085938", -7},
        // 0.0005000000237487256526...: 18th digit 6.
        {"18th digit 6", -0.0005f, true, "50000002374872565", -3},
        // 3.138682203029929951...e-9: the carry runs through two nines, and
        // the zeros it leaves are dropped.
        {"carry through nines", from_bits(0x3157B048), false, "313868220302993", -8},
        // 3.472678102469249972...e30.
        {"carry through nines, large", from_bits(0x722F5350), false, "347267810246925", 31},
    };
    for (const DigitsCase& c : cases) {
        expect_digits(c);
    }
}

TEST(RealDigitsTest, CutsAt18DigitsBeforeRounding) {
    // The 18th digit is 4 and the 19th 5 or more: rounding to 18 first would
    // make it a 5 and round up; cutting keeps the 17 digits.
    const DigitsCase cases[] = {
        // 2.597649526037137945877...e-11
        {"19th digit 5", from_bits(0x2DE47DDE), false, "25976495260371379", -10},
        // 1363941975232872448
        {"19th digit 8, integer", from_bits(0x5D976D90), false, "13639419752328724", 19},
        // 6.664466532401730249656...e-25
        {"19th digit 9", from_bits(0x174E4158), false, "66644665324017302", -24},
        // 1.201142956560438548218...e-26
        {"19th digit 8", from_bits(0x146DE92F), false, "12011429565604385", -25},
    };
    for (const DigitsCase& c : cases) {
        expect_digits(c);
    }
}

struct NonFiniteCase {
    const char* what;
    uint32_t bits;
    const char* text;
};

TEST(RealDigitsTest, NonFiniteCodes) {
    const NonFiniteCase cases[] = {
        {"+infinity", 0x7F800000, "1#INF"},
        {"-infinity", 0xFF800000, "1#INF"},
        {"indefinite", 0xFFC00000, "1#IND"},
        {"indefinite pattern without sign", 0x7FC00000, "1#QNAN"},
        {"quiet, sign and payload", 0xFFC00001, "1#QNAN"},
        {"quiet, top payload bit", 0xFFE00000, "1#QNAN"},
        {"quiet, all fraction bits", 0x7FFFFFFF, "1#QNAN"},
        {"signalling, lowest", 0x7F800001, "1#SNAN"},
        {"signalling, negative", 0xFF800001, "1#SNAN"},
        {"signalling, highest", 0x7FBFFFFF, "1#SNAN"},
    };
    for (const NonFiniteCase& c : cases) {
        SCOPED_TRACE(c.what);
        const RealDigits r = real_digits(from_bits(c.bits));
        EXPECT_FALSE(r.finite);
        EXPECT_FALSE(r.negative);
        EXPECT_EQ(r.text, c.text);
    }
}

// ---- apply_rounding -------------------------------------------------------------

struct RoundingCase {
    const char* digits;
    bool negative;
    int n;
    const char* rounded;
    bool negative_after;
    int32_t exponent_after;  // the exponent going in is always 3
    bool gained;
};

void check_rounding(const RoundingCase& c) {
    SCOPED_TRACE(std::string(c.digits) + " to " + std::to_string(c.n));
    RealDigits r;
    r.negative = c.negative;
    r.digits = c.digits;
    r.exponent = 3;
    const bool gained = apply_rounding(r, c.n);
    EXPECT_EQ(r.digits, c.rounded);
    EXPECT_EQ(r.negative, c.negative_after);
    EXPECT_EQ(r.exponent, c.exponent_after);
    EXPECT_EQ(gained, c.gained);
    EXPECT_TRUE(r.finite);
}

TEST(ApplyRoundingTest, FewDigitsStayAsTheyAre) {
    const RoundingCase cases[] = {
        {"123", false, 3, "123", false, 3, false},
        {"123", true, 7, "123", true, 3, false},
        {"9", false, 1, "9", false, 3, false},
        {"0", false, 1, "0", false, 3, false},
    };
    for (const RoundingCase& c : cases) {
        check_rounding(c);
    }
}

TEST(ApplyRoundingTest, RoundsDownBelowFive) {
    const RoundingCase cases[] = {
        {"12345", false, 2, "12", false, 3, false},
        {"12344999", false, 4, "1234", false, 3, false},  // only the next digit counts
        {"99999994039535522", false, 7, "9999999", false, 3, false},
        {"12345", true, 3, "123", true, 3, false},
        // Trailing zeros left by the cut stay.
        {"1000000474974513", false, 7, "1000000", false, 3, false},
    };
    for (const RoundingCase& c : cases) {
        check_rounding(c);
    }
}

TEST(ApplyRoundingTest, RoundsUpFromFive) {
    const RoundingCase cases[] = {
        {"1235", false, 3, "124", false, 3, false},
        {"12345677734375", false, 7, "1234568", false, 3, false},
        {"1299", false, 3, "130", false, 3, false},
        {"1899996", true, 5, "19000", true, 3, false},
        {"625", false, 2, "63", false, 3, false},
    };
    for (const RoundingCase& c : cases) {
        check_rounding(c);
    }
}

TEST(ApplyRoundingTest, CarryGainsDigit) {
    const RoundingCase cases[] = {
        {"9996", false, 3, "1000", false, 4, true},
        {"995", true, 2, "100", true, 4, true},
        {"99999997764825821", false, 7, "10000000", false, 4, true},
        {"96", false, 1, "10", false, 4, true},
    };
    for (const RoundingCase& c : cases) {
        check_rounding(c);
    }
}

TEST(ApplyRoundingTest, NoDigitKept) {
    const RoundingCase cases[] = {
        // Rounding up gives one unit at the place of the first digit; the
        // exponent already points there.
        {"6", false, 0, "1", false, 3, true},
        {"5", true, 0, "1", true, 3, true},
        {"999", false, 0, "1", false, 3, true},
        // Rounding down leaves no digit at all, and no sign.
        {"4", false, 0, "", false, 3, false},
        {"4999", true, 0, "", false, 3, false},
        {"0", false, 0, "", false, 3, false},
    };
    for (const RoundingCase& c : cases) {
        check_rounding(c);
    }
}

TEST(ApplyRoundingTest, NegativeZeroDigitsLoseTheSign) {
    // Digits that are 0 after the cut show a zero, which has no sign; any
    // other digit keeps it.
    const RoundingCase cases[] = {
        {"004", true, 2, "00", false, 3, false},
        {"04", true, 1, "0", false, 3, false},
        {"014", true, 2, "01", true, 3, false},
    };
    for (const RoundingCase& c : cases) {
        check_rounding(c);
    }
}

// ---- render_fixed and render_exponent -------------------------------------------

struct ReferenceRow {
    const char* what;
    float value;
    const char* fixed3;
    const char* fixed6;
    const char* exponent;
};

const ReferenceRow kReferenceRows[] = {
    {"300.0", 300.0f, "300.000", "300.000000", "3.000000E+02"},
    {"428.0", 428.0f, "428.000", "428.000000", "4.280000E+02"},
    {"5.9876543", 5.9876543f, "5.988", "5.987654", "5.987654E+00"},
    {"1.0", 1.0f, "1.000", "1.000000", "1.000000E+00"},
    {"0.5", 0.5f, ".500", ".500000", "5.000000E-01"},
    {"0.1", 0.1f, ".100", ".100000", "1.000000E-01"},
    {"0.0", 0.0f, ".000", ".000000", "0.000000E+00"},
    {"-0.0", -0.0f, ".000", ".000000", "0.000000E+00"},
    {"0.001", 0.001f, ".001", ".001000", "1.000000E-03"},
    {"-0.0004", -0.0004f, ".000", "-.000400", "-4.000000E-04"},
    {"-0.0005", -0.0005f, "-.001", "-.000500", "-5.000000E-04"},
    {"0.0625", 0.0625f, ".063", ".062500", "6.250000E-02"},
    {"2.0625", 2.0625f, "2.063", "2.062500", "2.062500E+00"},
    {"9.9999", 9.9999f, "10.000", "9.999900", "9.999900E+00"},
    {"0.99999994", 0.99999994f, "1.000", "1.000000", "9.999999E-01"},
    {"-5.0", -5.0f, "-5.000", "-5.000000", "-5.000000E+00"},
    {"12345.678", 12345.678f, "12345.680", "12345.680000", "1.234568E+04"},
    {"99999.99", 99999.99f, "99999.990", "99999.990000", "9.999999E+04"},
    {"1234567.0", 1234567.0f, "1234567.000", "1234567.000000", "1.234567E+06"},
    {"10000000.0", 10000000.0f, "10000000.000", "10000000.000000", "1.000000E+07"},
    {"12345678.0", 12345678.0f, "12345680.000", "12345680.000000", "1.234568E+07"},
    {"largest finite", kLargest, "340282300000000000000000000000000000000.000",
     "340282300000000000000000000000000000000.000000", "3.402823E+38"},
    {"smallest denormal", kSmallestDenormal, ".000", ".000000", "1.401298E-45"},
};

TEST(RenderFixedTest, ReferenceTable) {
    for (const ReferenceRow& row : kReferenceRows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(render_fixed(row.value, 3), row.fixed3);
        EXPECT_EQ(render_fixed(row.value, 6), row.fixed6);
    }
}

TEST(RenderExponentTest, ReferenceTable) {
    for (const ReferenceRow& row : kReferenceRows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(render_exponent(row.value), row.exponent);
    }
}

struct FixedCase {
    const char* what;
    float value;
    int decimals;
    const char* text;
};

void check_fixed(const FixedCase& c) {
    SCOPED_TRACE(std::string(c.what) + " with " + std::to_string(c.decimals) + " decimals");
    EXPECT_EQ(render_fixed(c.value, c.decimals), c.text);
}

TEST(RenderFixedTest, ThreeDecimalsInNineColumns) {
    const FixedCase cases[] = {
        {"351.25", 351.25f, 3, "351.250"},
        {"-1.5", -1.5f, 3, "-1.500"},
        {"-1234.5678", -1234.5678f, 3, "-1234.568"},
        {"-99999.99", -99999.99f, 3, "-99999.990"},
        {"123456.7", 123456.7f, 3, "123456.700"},
    };
    for (const FixedCase& c : cases) {
        check_fixed(c);
    }
}

TEST(RenderFixedTest, NoDecimals) {
    const FixedCase cases[] = {
        {"0.4", 0.4f, 0, "0."},
        {"-0.4 shows a zero, no sign", -0.4f, 0, "0."},
        {"0.04, below the last place", 0.04f, 0, "0."},
        {"0.6", 0.6f, 0, "1."},
        {"-0.6", -0.6f, 0, "-1."},
        {"0.0", 0.0f, 0, "0."},
        {"-0.0", -0.0f, 0, "0."},
        {"2.5, half up", 2.5f, 0, "3."},
        {"1234567.0", 1234567.0f, 0, "1234567."},
        {"12345678.0, 7 digits shown", 12345678.0f, 0, "12345680."},
        {"999999.94 gains a digit", 999999.94f, 0, "1000000."},
    };
    for (const FixedCase& c : cases) {
        check_fixed(c);
    }
}

TEST(RenderFixedTest, AtMostSevenSignificantDigits) {
    const FixedCase cases[] = {
        {"9999999.0", 9999999.0f, 6, "9999999.000000"},
        {"1234567.0", 1234567.0f, 1, "1234567.0"},
        {"123.456787109375", 123.456789f, 6, "123.456800"},
        {"0.12345679104328156", 0.123456789f, 9, ".123456800"},
        {"1e-7", 1e-7f, 7, ".0000001"},
        {"1.5e-7", 1.5e-7f, 7, ".0000002"},
    };
    for (const FixedCase& c : cases) {
        check_fixed(c);
    }
}

TEST(RenderFixedTest, MagnitudeBelowTheLastDecimal) {
    // Zeros only, and a negative value that shows only zeros has no sign.
    const FixedCase cases[] = {
        {"-0.00004, a place beyond", -0.00004f, 3, ".000"},
        {"0.00049, rounds down", 0.00049f, 3, ".000"},
        {"0.0009, rounds up into the last place", 0.0009f, 3, ".001"},
        {"0.00096, two places beyond", 0.00096f, 2, ".00"},
        {"-4e-7", -4e-7f, 6, ".000000"},
        {"-6e-7", -6e-7f, 6, "-.000001"},
        {"0.0625", 0.0625f, 1, ".1"},
        {"-0.0625", -0.0625f, 1, "-.1"},
        {"0.0625", 0.0625f, 2, ".06"},
        {"0.049", 0.049f, 1, ".0"},
        {"-0.05, 0.0500000007...", -0.05f, 1, "-.1"},
    };
    for (const FixedCase& c : cases) {
        check_fixed(c);
    }
}

TEST(RenderFixedTest, NearPowersOfTen) {
    const FixedCase cases[] = {
        {"99.9995 is 99.99949645...", 99.9995f, 3, "99.999"},
        {"below 10", from_bits(0x411FFFFF), 3, "10.000"},
        {"below 10", from_bits(0x411FFFFF), 6, "9.999999"},
        {"below 100", from_bits(0x42C7FFFF), 6, "99.999990"},
        {"below 100", from_bits(0x42C7FFFF), 3, "100.000"},
        {"below 0.001", from_bits(0x3A83126E), 3, ".001"},
        {"below 0.1", from_bits(0x3DCCCCCC), 3, ".100"},
        {"below 1e6", from_bits(0x497423FF), 3, "999999.900"},
        {"below 1e8", from_bits(0x4CBEBC1F), 3, "99999990.000"},
        {"99999997952", from_bits(0x51BA43B7), 3, "100000000000.000"},
        {"10000000.0", 10000000.0f, 0, "10000000."},
    };
    for (const FixedCase& c : cases) {
        check_fixed(c);
    }
}

struct ExponentCase {
    const char* what;
    float value;
    const char* text;
};

TEST(RenderExponentTest, NearPowersOfTen) {
    const ExponentCase cases[] = {
        {"below 1", from_bits(0x3F7FFFFF), "9.999999E-01"},
        {"below 10", from_bits(0x411FFFFF), "9.999999E+00"},
        {"below 1e6", from_bits(0x497423FF), "9.999999E+05"},
        {"9999999.0", 9999999.0f, "9.999999E+06"},
        {"below 1e-3", from_bits(0x3A83126E), "9.999999E-04"},
        // 0.0099999997764825821 and 99999997952 round up into the next power.
        {"0.01 rounds up into the next power", from_bits(0x3C23D70A), "1.000000E-02"},
        {"99999997952 rounds up into the next power", from_bits(0x51BA43B7), "1.000000E+11"},
        {"-99999997952", from_bits(0xD1BA43B7), "-1.000000E+11"},
        {"1e-37-ish", from_bits(0x02081CEA), "1.000000E-37"},
        {"1e38-ish", from_bits(0x7E967699), "1.000000E+38"},
    };
    for (const ExponentCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(render_exponent(c.value), c.text);
    }
}

TEST(RenderExponentTest, ExponentDigits) {
    const ExponentCase cases[] = {
        {"one-digit exponent gets a leading 0", 5.0e9f, "5.000000E+09"},
        {"one-digit negative exponent", 5.0e-9f, "5.000000E-09"},
        {"two-digit exponent", 2.5e25f, "2.500000E+25"},
        {"largest denormal", from_bits(0x007FFFFF), "1.175494E-38"},
        {"negative smallest denormal", -kSmallestDenormal, "-1.401298E-45"},
        {"negative largest", -kLargest, "-3.402823E+38"},
    };
    for (const ExponentCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(render_exponent(c.value), c.text);
    }
}

// ---- render_non_finite ---------------------------------------------------------

struct NonFiniteTextCase {
    uint32_t bits;
    int length;
    const char* text;
};

TEST(RenderNonFiniteTest, CutOrPaddedToLength) {
    const NonFiniteTextCase cases[] = {
        {0x7F800000, 9, "1#INF...."},
        {0xFF800000, 9, "1#INF...."},
        {0x7F800000, 13, "1#INF........"},
        {0xFF800000, 13, "1#INF........"},
        {0x7FC00000, 13, "1#QNAN......."},
        {0xFFC00000, 5, "1#IND"},
        {0xFFC00000, 7, "1#IND.."},
        {0x7F800001, 6, "1#SNAN"},
        {0xFF800001, 8, "1#SNAN.."},
        {0x7F800000, 3, "1#I"},
        {0xFFC00001, 4, "1#QN"},
        {0x7F800000, 0, ""},
    };
    for (const NonFiniteTextCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.bits) + " in " + std::to_string(c.length));
        EXPECT_EQ(render_non_finite(from_bits(c.bits), c.length), c.text);
    }
}

}  // namespace
}  // namespace sotra
