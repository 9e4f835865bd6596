// real_digits and the renderers checked against the simple exact method of
// tests/support/exact_decimal.h over a well-spread sample of bit patterns:
// every k-th pattern, the floats around every power of ten, the denormal
// boundaries and patterns found by search whose 18th digit is 5. The same
// method, walked over all 2^32 patterns, is tools/exhaustive_rendering; the
// walk itself is checked here against the slow string method.
#include "records/decimal_rendering.h"
#include "tests/support/exact_decimal.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace sotra {
namespace {

using namespace exact;

uint32_t pattern(uint32_t biased, uint32_t fraction, bool negative) {
    return (negative ? kSign : 0) | (biased << 23) | (fraction & 0x7FFFFF);
}

uint32_t bits_of(float value) { return std::bit_cast<uint32_t>(value); }

// ---- The sample -------------------------------------------------------------

// Every k-th pattern of all 2^32, signs and NaNs included; k is odd, so the
// sample runs through every position within a binary exponent.
void add_every_kth(std::vector<uint32_t>& sample) {
    constexpr uint64_t kStride = 32771;
    for (uint64_t bits = 0; bits <= 0xFFFF'FFFF; bits += kStride) {
        sample.push_back(static_cast<uint32_t>(bits));
    }
}

// The ends and a few marked points of every binary exponent, both signs.
void add_every_exponent(std::vector<uint32_t>& sample) {
    const uint32_t fractions[] = {0, 1, 2, 3, 0x400000, 0x7FFFFE, 0x7FFFFF, 0x555555, 0x2AAAAA};
    for (uint32_t biased = 0; biased <= 255; ++biased) {
        for (uint32_t fraction : fractions) {
            sample.push_back(pattern(biased, fraction, false));
            sample.push_back(pattern(biased, fraction, true));
        }
    }
}

// The smallest and largest denormals and the smallest normals.
void add_denormal_boundaries(std::vector<uint32_t>& sample) {
    constexpr uint32_t kEdge = 2000;
    for (uint32_t i = 0; i < kEdge; ++i) {
        sample.push_back(pattern(0, 1 + i, i % 2 != 0));
        sample.push_back(pattern(0, 0x7FFFFF - i, i % 2 != 0));
        sample.push_back(pattern(1, i, i % 2 != 0));
    }
}

// The float nearest each power of ten and its neighbours, both signs.
void add_powers_of_ten(std::vector<uint32_t>& sample) {
    for (int k = -45; k <= 38; ++k) {
        const std::string text = "1e" + std::to_string(k);
        const uint32_t nearest = bits_of(std::strtof(text.c_str(), nullptr));
        for (int step = -4; step <= 4; ++step) {
            const int64_t bits = int64_t{nearest} + step;
            if (bits > 0 && bits < kInfinity) {
                sample.push_back(static_cast<uint32_t>(bits));
                sample.push_back(static_cast<uint32_t>(bits) | kSign);
            }
        }
    }
}

// Random finite patterns whose exact expansion passes `wanted`.
template <typename Wanted>
int add_searched(std::vector<uint32_t>& sample, std::mt19937& rng, int count, Wanted wanted) {
    int found = 0;
    for (int tries = 0; found < count && tries < 1000 * count; ++tries) {
        const uint32_t bits = rng();
        if (is_finite(bits) && !is_zero(bits) && wanted(exact_expansion(bits))) {
            sample.push_back(bits);
            ++found;
        }
    }
    return found;
}

// m x 2^-k (m odd) whose exact expansion, the digits of m x 5^k, has exactly
// 18 digits: the 18th is a 5 with nothing after it, a true tie.
int add_exact_ties(std::vector<uint32_t>& sample) {
    int found = 0;
    uint64_t five_power = 1;
    for (int k = 1; k <= 25; ++k) {
        five_power *= 5;
        const uint64_t low = (100'000'000'000'000'000ULL + five_power - 1) / five_power;
        const uint64_t high = (1'000'000'000'000'000'000ULL - 1) / five_power;
        int taken = 0;
        for (uint64_t m = low | 1; m <= high && m < (1u << 24) && taken < 40; m += 2, ++taken) {
            const uint32_t bits = bits_of(std::ldexp(static_cast<float>(m), -k));
            const Expansion x = exact_expansion(bits);
            if (x.digits.size() == 18 && x.digits.back() == 5) {
                sample.push_back(bits);
                sample.push_back(bits | kSign);
                ++found;
            }
        }
    }
    return found;
}

struct Sample {
    std::vector<uint32_t> bits;
    int ties = 0;
    int five_at_18 = 0;
    int four_then_five = 0;
    int carries = 0;
};

const Sample& sample() {
    static const Sample built = [] {
        Sample s;
        std::mt19937 rng(20240611);
        const uint32_t specials[] = {0x00000000, kSign,      0x7F7FFFFF, 0xFF7FFFFF,
                                     0x3F800000, 0xBF800000, 0x00000001, 0x80000001,
                                     0x7F800000, 0xFF800000, 0x7FC00000, 0xFFC00000,
                                     0xFFC00001, 0x7F800001, 0xFFBFFFFF, 0xFFFFFFFF};
        s.bits.assign(std::begin(specials), std::end(specials));
        add_every_kth(s.bits);
        add_every_exponent(s.bits);
        add_denormal_boundaries(s.bits);
        add_powers_of_ten(s.bits);
        s.ties = add_exact_ties(s.bits);
        s.five_at_18 = add_searched(s.bits, rng, 3000,
                                    [](const Expansion& x) { return digit_at(x, 17) == 5; });
        s.four_then_five = add_searched(s.bits, rng, 3000, [](const Expansion& x) {
            return digit_at(x, 17) == 4 && digit_at(x, 18) >= 5;
        });
        s.carries = add_searched(s.bits, rng, 300, [](const Expansion& x) {
            return digit_at(x, 15) == 9 && digit_at(x, 16) == 9 && digit_at(x, 17) >= 5;
        });
        return s;
    }();
    return built;
}

// ---- The exact method itself --------------------------------------------------

TEST(ExactMethodTest, KnownExpansions) {
    struct Known {
        uint32_t bits;
        const char* digits;
        int point;
    };
    const Known cases[] = {
        {0x3DCCCCCD, "100000001490116119384765625", 0},  // 0.1
        {0x3F800000, "1", 1},
        {0x43960000, "3", 3},  // 300
        {0x7F7FFFFF, "34028234663852885981170418348451692544", 39},
        {0x00000001,
         "140129846432481707092372958328991613128026194187651577175706828388979108268586060148663"
         "818836212158203125",
         -44},
    };
    for (const Known& c : cases) {
        SCOPED_TRACE(hex(c.bits));
        const Expansion x = exact_expansion(c.bits);
        EXPECT_EQ(as_text(x), c.digits);
        EXPECT_EQ(x.point, c.point);
        const auto [walk_digits, walk_point] = Walk(c.bits).value().text();
        EXPECT_EQ(walk_digits, c.digits);
        EXPECT_EQ(walk_point, c.point);
    }
}

// The walk adds one unit per pattern; across every binary exponent boundary
// (the step changes there) and along stretches inside each exponent, its
// value must stay the string method's.
TEST(ExactMethodTest, WalkMatchesStringMethod) {
    constexpr uint32_t kSteps = 24;
    std::vector<uint32_t> starts = {1};
    for (uint32_t biased = 1; biased <= 254; ++biased) {
        starts.push_back(pattern(biased, 0, false) - kSteps / 2);  // across the boundary
        starts.push_back(pattern(biased, 0x2AAAAA, false));
    }
    starts.push_back(0x7F7FFFFF - kSteps);
    for (uint32_t start : starts) {
        Walk walk(start);
        for (uint32_t i = 0;; ++i) {
            const Expansion slow = exact_expansion(walk.bits());
            const auto [digits, point] = walk.value().text();
            ASSERT_EQ(digits, as_text(slow)) << hex(walk.bits()) << " walked from " << hex(start);
            ASSERT_EQ(point, slow.point) << hex(walk.bits()) << " walked from " << hex(start);
            const Reference by_walk = reference_digits(walk, walk.bits());
            const Reference by_string = reference_digits(walk.bits());
            ASSERT_EQ(by_walk.digits(), by_string.digits()) << hex(walk.bits());
            ASSERT_EQ(by_walk.exponent, by_string.exponent) << hex(walk.bits());
            if (i == kSteps) {
                break;
            }
            walk.next();
        }
    }
}

// The method's own texts for the values whose texts are fixed by the rules,
// so that agreement with the product means both are right, not both wrong.
TEST(ExactMethodTest, TextsOfKnownValues) {
    struct Known {
        float value;
        std::string fixed3;
        std::string fixed6;
        std::string exponent;
    };
    const std::string largest = "3402823" + std::string(32, '0');
    const Known cases[] = {
        {300.0f, "300.000", "300.000000", "3.000000E+02"},
        {5.9876543f, "5.988", "5.987654", "5.987654E+00"},
        {1.0f, "1.000", "1.000000", "1.000000E+00"},
        {0.5f, ".500", ".500000", "5.000000E-01"},
        {0.1f, ".100", ".100000", "1.000000E-01"},
        {0.0f, ".000", ".000000", "0.000000E+00"},
        {-0.0f, ".000", ".000000", "0.000000E+00"},
        {0.001f, ".001", ".001000", "1.000000E-03"},
        {-0.0004f, ".000", "-.000400", "-4.000000E-04"},
        {-0.0005f, "-.001", "-.000500", "-5.000000E-04"},
        {0.0625f, ".063", ".062500", "6.250000E-02"},
        {2.0625f, "2.063", "2.062500", "2.062500E+00"},
        {9.9999f, "10.000", "9.999900", "9.999900E+00"},
        {0.99999994f, "1.000", "1.000000", "9.999999E-01"},
        {-5.0f, "-5.000", "-5.000000", "-5.000000E+00"},
        {12345.678f, "12345.680", "12345.680000", "1.234568E+04"},
        {99999.99f, "99999.990", "99999.990000", "9.999999E+04"},
        {1234567.0f, "1234567.000", "1234567.000000", "1.234567E+06"},
        {10000000.0f, "10000000.000", "10000000.000000", "1.000000E+07"},
        {12345678.0f, "12345680.000", "12345680.000000", "1.234568E+07"},
        {std::numeric_limits<float>::max(), largest + ".000", largest + ".000000", "3.402823E+38"},
        {std::numeric_limits<float>::denorm_min(), ".000", ".000000", "1.401298E-45"},
        {-std::numeric_limits<float>::denorm_min(), ".000", ".000000", "-1.401298E-45"},
    };
    for (const Known& c : cases) {
        SCOPED_TRACE(hex(bits_of(c.value)));
        const Reference r = reference_digits(bits_of(c.value));
        EXPECT_EQ(fixed_text(r, 3).view(), c.fixed3);
        EXPECT_EQ(fixed_text(r, 6).view(), c.fixed6);
        EXPECT_EQ(exponent_text(r).view(), c.exponent);
    }
    const struct {
        uint32_t bits;
        const char* text;
    } non_finite[] = {{0x7F800000, "1#INF"},  {0xFF800000, "1#INF"},  {0xFFC00000, "1#IND"},
                      {0x7FC00000, "1#QNAN"}, {0xFFC00001, "1#QNAN"}, {0x7FFFFFFF, "1#QNAN"},
                      {0x7F800001, "1#SNAN"}, {0xFFBFFFFF, "1#SNAN"}};
    for (const auto& c : non_finite) {
        EXPECT_EQ(non_finite_text(c.bits), c.text) << hex(c.bits);
    }
}

TEST(ExactMethodTest, SearchesFoundTheirCases) {
    // Without these the sample would quietly miss the cases that pin the
    // rounding at the 18th digit.
    const Sample& s = sample();
    EXPECT_GT(s.ties, 0);
    EXPECT_EQ(s.five_at_18, 3000);
    EXPECT_EQ(s.four_then_five, 3000);
    EXPECT_EQ(s.carries, 300);
}

// ---- The product against it ---------------------------------------------------

constexpr int kMaxReported = 20;

TEST(RealDigitsExactTest, ProductMatchesExactMethod) {
    int reported = 0;
    int non_finite = 0;
    const auto report = [&reported](const Difference& d) {
        if (++reported <= kMaxReported) {
            ADD_FAILURE() << hex(d.bits) << " " << d.operation << ": got \"" << d.got << "\", want \""
                          << d.want << "\"";
        }
    };
    for (uint32_t bits : sample().bits) {
        if (is_finite(bits)) {
            compare_finite(bits, reference_digits(bits), report);
        } else {
            compare_non_finite(bits, report);
            ++non_finite;
        }
    }
    if (reported > kMaxReported) {
        ADD_FAILURE() << reported << " differences in all";
    }
    EXPECT_GT(non_finite, 500);  // the stride reaches the NaNs too
}

}  // namespace
}  // namespace sotra
