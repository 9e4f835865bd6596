// The 128-bit path to the first 18 digits against the 384-bit expansion it
// stands in for, and the renderings at the places where the two hand over
// or where the rounding gains a digit.
#include "records/fast_leading_digits.h"
#include "records/leading_digits.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "records/decimal_rendering.h"
#include "records/free_format_writer.h"

namespace sotra {
namespace {

// The binary order of magnitude L of m x 2^e: 2^L <= m x 2^e < 2^(L+1).
int binary_order(std::uint32_t m, int e) { return e + std::bit_width(m) - 1; }

void expect_same_digits(std::uint32_t m, int e) {
    const std::optional<LeadingDigits> fast = fast_leading_digits(m, e);
    if (binary_order(m, e) < kFastMinPower) {
        EXPECT_FALSE(fast.has_value()) << "m " << m << " e " << e;
        return;
    }
    ASSERT_TRUE(fast.has_value()) << "m " << m << " e " << e;
    const LeadingDigits wide = wide_leading_digits(m, e);
    EXPECT_EQ(fast->digits, wide.digits) << "m " << m << " e " << e;
    EXPECT_EQ(fast->exponent, wide.exponent) << "m " << m << " e " << e;
    EXPECT_GE(fast->digits, 100'000'000'000'000'000u);
    EXPECT_LT(fast->digits, 1'000'000'000'000'000'000u);
}

TEST(FastLeadingDigitsTest, AgreesWithTheWidePathForEveryBinaryExponent) {
    // Significands at the ends of their range, with few and with many bits,
    // and a fixed pseudo-random spread, at every exponent a float can have.
    std::vector<std::uint32_t> significands = {1,        2,        3,        5,        7,         0x7FFFFF,
                                               0x800000, 0x800001, 0xCCCCCD, 0x98967F, 0xFFFFFE, 0xFFFFFF};
    std::mt19937 random(20261211);
    for (int i = 0; i < 64; ++i) significands.push_back(random() % 0xFFFFFF + 1);
    for (int e = -149; e <= 104; ++e) {
        for (const std::uint32_t m : significands) expect_same_digits(m, e);
    }
}

TEST(FastLeadingDigitsTest, TakesEveryValueFromTwoToTheMinus46Up) {
    // 2^-46 itself, written as each significand that can hold it, is taken;
    // the largest value below it is not.
    for (int shift = 0; shift < 24; ++shift) {
        EXPECT_TRUE(fast_leading_digits(std::uint32_t{1} << shift, kFastMinPower - shift).has_value()) << shift;
        expect_same_digits(std::uint32_t{1} << shift, kFastMinPower - shift);
    }
    EXPECT_FALSE(fast_leading_digits(0xFFFFFF, kFastMinPower - 24).has_value());
    // The largest float: the 128-bit division path at its widest.
    expect_same_digits(0xFFFFFF, 104);
}

TEST(FastLeadingDigitsTest, PowersOfTenAndTheirNeighbours) {
    // The float nearest each power of ten and the two on either side: the
    // 18-digit product falls on both sides of 10^18 here.
    for (int k = -45; k <= 38; ++k) {
        const auto nearest = std::bit_cast<std::uint32_t>(static_cast<float>(std::pow(10.0, k)));
        for (std::uint32_t bits = nearest - 2; bits <= nearest + 2; ++bits) {
            if (bits == 0 || bits >= 0x7F800000) continue;
            const std::uint32_t biased = bits >> 23;
            const std::uint32_t fraction = bits & 0x7FFFFF;
            const std::uint32_t m = biased == 0 ? fraction : fraction | 0x800000;
            const int e = biased == 0 ? -149 : static_cast<int>(biased) - 150;
            expect_same_digits(m, e);
        }
    }
}

struct BoundaryCase {
    const char* what;
    std::uint32_t bits;
    const char* digits;  // from the exact value, worked out apart
    std::int32_t exponent;
    const char* free_format;
};

TEST(RealDigitsBoundaryTest, DigitsAndTextsWhereThePathsMeetAndDigitsAreGained) {
    const BoundaryCase cases[] = {
        // The hand-over: 2^-46 and its neighbours.
        {"2^-46, the smallest taken by the 128-bit path", 0x28800000, "14210854715202004", -13, "1.421085E-14"},
        {"just below 2^-46, the wide path", 0x287FFFFF, "14210853868169056", -13, "1.421085E-14"},
        {"just above 2^-46", 0x28800001, "14210856409267898", -13, "1.421086E-14"},
        // Seven nines and a digit of 5 or more: the rounding to the 7 shown
        // gains a digit, and the exponent shown is one higher than p - 1.
        {"wide path, 9.99999982e-15", 0x283424DC, "99999998245167004", -14, "1.000000E-14"},
        {"128-bit path near its lower end, 9.99999982e-14", 0x29E12E13, "99999998245167004", -13,
         "1.000000E-13"},
        {"9.99999975e-5", 0x38D1B717, "99999997473787516", -4, "1.000000E-04"},
        {"-9.99999975e-5", 0xB8D1B717, "99999997473787516", -4, "-1.000000E-04"},
        {"9.99999978e-3", 0x3C23D70A, "99999997764825821", -2, "1.000000E-02"},
        {"9.99999984e17: q = 0", 0x5D5E0B6B, "99999998430674944", 18, "1.000000E+18"},
        {"9.99999998e18: the 128-bit division", 0x5F0AC723, "99999999805064479", 19, "1.000000E+19"},
        {"9.99999968e37", 0x7E967699, "99999996802856925", 38, "1.000000E+38"},
        // The fixed-point range ends at 10^7: its last float, and 9999999.5,
        // which as a float is 10^7 and so in exponent form.
        {"9999999, the largest in fixed point", 0x4B18967F, "9999999", 7, "9999999.000000"},
        {"9999999.5 is the float 10^7", std::bit_cast<std::uint32_t>(9999999.5f), "1", 8, "1.000000E+07"},
        {"999999.9375: seven nines, then 3", 0x497423FF, "9999999375", 6, "999999.900000"},
        {"9.99999905: seven nines, then 0", 0x411FFFFF, "99999990463256836", 1, "9.999999"},
    };
    for (const BoundaryCase& c : cases) {
        SCOPED_TRACE(c.what);
        const float value = std::bit_cast<float>(c.bits);
        const RealDigits r = real_digits(value);
        EXPECT_EQ(r.digits, c.digits);
        EXPECT_EQ(r.exponent, c.exponent);
        EXPECT_EQ(r.negative, (c.bits >> 31) != 0);
        EXPECT_EQ(free_format_real(value), c.free_format);
    }
}

}  // namespace
}  // namespace sotra
