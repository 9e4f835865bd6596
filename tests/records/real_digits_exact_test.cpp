// real_digits and the renderers checked against a deliberately simple exact
// method over a large, well-spread sample of bit patterns.
//
// The simple method keeps the value as a string of decimal digits. It starts
// from the digits of the integer significand and multiplies or divides that
// string by powers of two, at most 2^56 at a time, by schoolbook arithmetic,
// until the binary exponent is used up. Dividing a decimal string by a power
// of two always ends, so this gives the complete exact expansion. It shares
// nothing with the product code, which works on binary limbs and powers of
// five.
#include "records/decimal_rendering.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace sotra {
namespace {

// ---- The simple exact method ------------------------------------------------

// value = 0.d1 d2 d3 ... x 10^point; digits hold 0..9, most significant first.
struct Expansion {
    std::vector<uint8_t> digits;
    int point = 0;
};

Expansion from_integer(uint32_t m) {
    Expansion x;
    for (char c : std::to_string(m)) {
        x.digits.push_back(static_cast<uint8_t>(c - '0'));
    }
    x.point = static_cast<int>(x.digits.size());
    return x;
}

void multiply(Expansion& x, uint64_t factor) {
    uint64_t carry = 0;
    for (auto it = x.digits.rbegin(); it != x.digits.rend(); ++it) {
        const uint64_t product = static_cast<uint64_t>(*it) * factor + carry;
        *it = static_cast<uint8_t>(product % 10);
        carry = product / 10;
    }
    std::vector<uint8_t> front;
    for (; carry != 0; carry /= 10) {
        front.insert(front.begin(), static_cast<uint8_t>(carry % 10));
    }
    x.digits.insert(x.digits.begin(), front.begin(), front.end());
    x.point += static_cast<int>(front.size());
}

// Long division by a power of two; carries on past the last digit until the
// remainder is gone, then drops the leading zeros.
void divide(Expansion& x, uint64_t divisor) {
    std::vector<uint8_t> quotient;
    quotient.reserve(x.digits.size() + 64);
    uint64_t remainder = 0;
    for (std::size_t i = 0; i < x.digits.size() || remainder != 0; ++i) {
        const uint64_t digit = i < x.digits.size() ? x.digits[i] : 0;
        remainder = remainder * 10 + digit;
        quotient.push_back(static_cast<uint8_t>(remainder / divisor));
        remainder %= divisor;
    }
    std::size_t zeros = 0;
    while (quotient[zeros] == 0) {
        ++zeros;
    }
    quotient.erase(quotient.begin(), quotient.begin() + static_cast<std::ptrdiff_t>(zeros));
    x.digits = std::move(quotient);
    x.point -= static_cast<int>(zeros);
}

void strip_trailing_zeros(Expansion& x) {
    while (x.digits.size() > 1 && x.digits.back() == 0) {
        x.digits.pop_back();
    }
}

// At most 2^56 at a time keeps every intermediate below 2^64 in multiply
// (digit x 2^56 + carry < 10 x 2^56) and divide (remainder x 10 + 9).
constexpr int kStepBits = 56;

// The complete exact decimal expansion of a finite, nonzero pattern.
Expansion exact_expansion(uint32_t bits) {
    const uint32_t biased = (bits >> 23) & 0xFF;
    const uint32_t fraction = bits & 0x7FFFFF;
    const uint32_t m = biased == 0 ? fraction : fraction + 0x800000;
    int e = biased == 0 ? -149 : static_cast<int>(biased) - 150;
    Expansion x = from_integer(m);
    while (e > 0) {
        const int step = std::min(e, kStepBits);
        multiply(x, uint64_t{1} << step);
        e -= step;
    }
    while (e < 0) {
        const int step = std::min(-e, kStepBits);
        divide(x, uint64_t{1} << step);
        e += step;
    }
    strip_trailing_zeros(x);
    return x;
}

int digit_at(const Expansion& x, std::size_t i) { return i < x.digits.size() ? x.digits[i] : 0; }

std::string as_text(const Expansion& x) {
    std::string s;
    for (uint8_t d : x.digits) {
        s += static_cast<char>('0' + d);
    }
    return s;
}

struct Reference {
    bool negative = false;
    std::string digits;
    int exponent = 0;
};

bool is_zero(uint32_t bits) { return (bits & 0x7FFFFFFF) == 0; }

// Cut to 18 significant digits, half up at the 18th into 17, no trailing zeros.
Reference reference_digits(uint32_t bits) {
    Reference r;
    if (is_zero(bits)) {
        r.digits = "0";
        return r;
    }
    const Expansion x = exact_expansion(bits);
    r.negative = (bits >> 31) != 0;
    r.exponent = x.point;
    std::vector<int> kept;
    for (std::size_t i = 0; i < 17; ++i) {
        kept.push_back(digit_at(x, i));
    }
    if (digit_at(x, 17) >= 5) {
        int i = 16;
        for (; i >= 0 && kept[i] == 9; --i) {
            kept[i] = 0;
        }
        if (i < 0) {
            kept.assign(1, 1);
            ++r.exponent;
        } else {
            ++kept[i];
        }
    }
    while (kept.size() > 1 && kept.back() == 0) {
        kept.pop_back();
    }
    for (int d : kept) {
        r.digits += static_cast<char>('0' + d);
    }
    return r;
}

// ---- Simple renderers built from the reference digits -----------------------

// Adds one to a decimal integer string ("" counts as 0).
std::string plus_one(std::string k) {
    for (std::size_t i = k.size(); i > 0; --i) {
        if (k[i - 1] != '9') {
            ++k[i - 1];
            return k;
        }
        k[i - 1] = '0';
    }
    return "1" + k;
}

// The first `count` reference digits rounded half up, as a decimal integer.
std::string rounded_head(const Reference& r, int count) {
    std::string head;
    for (int i = 0; i < count; ++i) {
        head += i < static_cast<int>(r.digits.size()) ? r.digits[i] : '0';
    }
    const char next = count < static_cast<int>(r.digits.size()) ? r.digits[count] : '0';
    return next >= '5' ? plus_one(head) : head;
}

// The value shown, scaled by 10^decimals, as a decimal integer string: at
// most 7 significant digits, nothing below the last decimal.
std::string fixed_reference(const Reference& r, int decimals) {
    std::string scaled;
    const int places = r.exponent + decimals;  // digits at or above the last decimal
    if (r.digits != "0" && places >= 0) {
        const int shown = std::min(places, 7);
        scaled = rounded_head(r, shown) + std::string(static_cast<std::size_t>(places - shown), '0');
    }
    const std::size_t first = scaled.find_first_not_of('0');
    scaled = first == std::string::npos ? "" : scaled.substr(first);

    std::string out = r.negative && !scaled.empty() ? "-" : "";
    if (scaled.size() < static_cast<std::size_t>(decimals)) {
        scaled.insert(0, static_cast<std::size_t>(decimals) - scaled.size(), '0');
    }
    const std::string whole = scaled.substr(0, scaled.size() - static_cast<std::size_t>(decimals));
    out += whole.empty() && decimals == 0 ? "0" : whole;
    return out + "." + scaled.substr(whole.size());
}

std::string exponent_reference(const Reference& r) {
    if (r.digits == "0") {
        return "0.000000E+00";
    }
    std::string head = rounded_head(r, 7);
    int x = r.exponent - 1;
    if (head.size() > 7) {
        head.pop_back();
        ++x;
    }
    char tail[16];
    std::snprintf(tail, sizeof tail, "E%c%02d", x < 0 ? '-' : '+', std::abs(x));
    return (r.negative ? "-" : "") + head.substr(0, 1) + "." + head.substr(1) + tail;
}

// ---- The sample -------------------------------------------------------------

constexpr uint32_t kSign = 0x80000000;

bool finite_pattern(uint32_t bits) { return ((bits >> 23) & 0xFF) != 0xFF; }

uint32_t pattern(uint32_t biased, uint32_t fraction, bool negative) {
    return (negative ? kSign : 0) | (biased << 23) | (fraction & 0x7FFFFF);
}

void add_every_exponent(std::vector<uint32_t>& sample, std::mt19937& rng) {
    constexpr int kRandomPerExponent = 1000;
    const uint32_t fixed_fractions[] = {0,        1,        2,        3,       0x400000,
                                        0x7FFFFE, 0x7FFFFF, 0x555555, 0x2AAAAA};
    for (uint32_t biased = 0; biased <= 254; ++biased) {
        for (uint32_t fraction : fixed_fractions) {
            sample.push_back(pattern(biased, fraction, false));
            sample.push_back(pattern(biased, fraction, true));
        }
        for (int i = 0; i < kRandomPerExponent; ++i) {
            const uint32_t random = rng();
            sample.push_back(pattern(biased, random, (random >> 31) != 0));
        }
    }
}

void add_denormal_boundaries(std::vector<uint32_t>& sample) {
    constexpr uint32_t kEdge = 2000;
    for (uint32_t i = 0; i < kEdge; ++i) {
        sample.push_back(pattern(0, 1 + i, i % 2 != 0));         // smallest denormals
        sample.push_back(pattern(0, 0x7FFFFF - i, i % 2 != 0));  // largest denormals
        sample.push_back(pattern(1, i, i % 2 != 0));             // smallest normals
    }
}

// The float nearest each power of ten and its neighbours, the one just below
// it among them.
void add_powers_of_ten(std::vector<uint32_t>& sample) {
    for (int k = -45; k <= 38; ++k) {
        const std::string text = "1e" + std::to_string(k);
        const uint32_t nearest = std::bit_cast<uint32_t>(std::strtof(text.c_str(), nullptr));
        for (int step = -4; step <= 4; ++step) {
            const int64_t bits = int64_t{nearest} + step;
            if (bits > 0 && bits < 0x7F800000) {
                sample.push_back(static_cast<uint32_t>(bits));
                sample.push_back(static_cast<uint32_t>(bits) | kSign);
            }
        }
    }
}

// Random finite patterns whose exact expansion passes `wanted`, found with
// the simple method.
template <typename Wanted>
int add_searched(std::vector<uint32_t>& sample, std::mt19937& rng, int count, Wanted wanted) {
    int found = 0;
    for (int tries = 0; found < count && tries < 1000 * count; ++tries) {
        const uint32_t bits = rng();
        if (!finite_pattern(bits) || is_zero(bits)) {
            continue;
        }
        if (wanted(exact_expansion(bits))) {
            sample.push_back(bits);
            ++found;
        }
    }
    return found;
}

// m x 2^-k (m odd) whose exact expansion, the digits of m x 5^k, has exactly
// 18 digits: the 18th is a 5 with nothing after it. Each is confirmed with
// the simple method.
int add_exact_ties(std::vector<uint32_t>& sample) {
    int found = 0;
    uint64_t five_power = 1;
    for (int k = 1; k <= 25; ++k) {
        five_power *= 5;
        const uint64_t low = (100'000'000'000'000'000ULL + five_power - 1) / five_power;
        const uint64_t high = (1'000'000'000'000'000'000ULL - 1) / five_power;
        int taken = 0;
        for (uint64_t m = low | 1; m <= high && m < (1u << 24) && taken < 40; m += 2, ++taken) {
            const uint32_t bits = std::bit_cast<uint32_t>(std::ldexp(static_cast<float>(m), -k));
            const Expansion x = exact_expansion(bits);
            if (x.digits.size() == 18 && x.digits.back() == 5) {
                sample.push_back(bits);
                ++found;
            }
        }
    }
    return found;
}

struct Case {
    uint32_t bits;
    Reference want;
};

struct Sample {
    std::vector<uint32_t> bits;
    std::vector<Case> cases;  // each pattern with its reference digits
    int ties = 0;
    int five_at_18 = 0;
    int four_then_five = 0;
    int carries = 0;
};

const Sample& sample() {
    static const Sample built = [] {
        Sample s;
        std::mt19937 rng(20240611);
        const uint32_t specials[] = {0x00000000, kSign, 0x7F7FFFFF, 0xFF7FFFFF, 0x3F800000,
                                     0xBF800000, 0x00000001, 0x80000001};
        s.bits.assign(std::begin(specials), std::end(specials));
        add_every_exponent(s.bits, rng);
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
        for (uint32_t bits : s.bits) {
            s.cases.push_back({bits, reference_digits(bits)});
        }
        return s;
    }();
    return built;
}

std::string hex(uint32_t bits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", bits);
    return text;
}

// ---- Tests ------------------------------------------------------------------

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
        const Expansion x = exact_expansion(c.bits);
        EXPECT_EQ(as_text(x), c.digits) << hex(c.bits);
        EXPECT_EQ(x.point, c.point) << hex(c.bits);
    }
}

TEST(ExactMethodTest, SearchesFoundTheirCases) {
    // Without these the sample would quietly miss the cases that pin the
    // rounding rule.
    const Sample& s = sample();
    EXPECT_GT(s.ties, 0);
    EXPECT_EQ(s.five_at_18, 3000);
    EXPECT_EQ(s.four_then_five, 3000);
    EXPECT_EQ(s.carries, 300);
}

constexpr int kMaxReported = 20;

TEST(RealDigitsExactTest, MatchesSimpleExactMethod) {
    int reported = 0;
    for (const auto& [bits, want] : sample().cases) {
        const RealDigits got = real_digits(std::bit_cast<float>(bits));
        if (got.digits != want.digits || got.exponent != want.exponent ||
            got.negative != want.negative || !got.finite) {
            ADD_FAILURE() << hex(bits) << ": got " << (got.negative ? "-" : "+") << got.digits
                          << " p " << got.exponent << ", want " << (want.negative ? "-" : "+")
                          << want.digits << " p " << want.exponent;
            if (++reported == kMaxReported) {
                return;
            }
        }
    }
}

TEST(RealDigitsExactTest, RenderersMatchSimpleRenderers) {
    int reported = 0;
    for (const auto& [bits, want] : sample().cases) {
        const float value = std::bit_cast<float>(bits);
        const std::string got[] = {render_fixed(value, 3), render_fixed(value, 6),
                                   render_exponent(value)};
        const std::string expected[] = {fixed_reference(want, 3), fixed_reference(want, 6),
                                        exponent_reference(want)};
        for (int i = 0; i < 3; ++i) {
            if (got[i] != expected[i]) {
                ADD_FAILURE() << hex(bits) << ": got " << got[i] << ", want " << expected[i];
                if (++reported == kMaxReported) {
                    return;
                }
            }
        }
    }
}

}  // namespace
}  // namespace sotra
