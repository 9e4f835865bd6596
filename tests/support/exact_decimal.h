// A deliberately simple exact method for checking how single-precision reals
// are turned into decimal text, shared by the sampled test and the exhaustive
// tool (tools/exhaustive_rendering.cpp).
//
// It shares nothing with the product code, which works on binary limbs and
// powers of five and writes the texts place by place. Here the value is only
// ever held as decimal digits:
//
// - exact_expansion: the digits of the integer significand, multiplied or
//   divided by powers of two with schoolbook arithmetic on a digit string.
//   Slow, but obviously right; the sampled test uses it for every pattern.
// - Walk: for the exhaustive run. Consecutive finite patterns differ by one
//   unit 2^e of the binary exponent of the smaller one, so the walk keeps the
//   value as a fixed-point decimal number (base 10^9 limbs, 45 integer digits
//   and 153 decimals, enough for 2^128 down to 2^-149) and adds the exact
//   decimal of 2^e at each step. The powers of two come from halving and
//   doubling 1 in the same representation.
//
// Both give the first 18 significant digits, which are cut (not rounded),
// rounded half up at the 18th into 17, and stripped of trailing zeros. The
// texts are then built from that Reference by rules of their own: the fixed
// form as the shown value scaled to an integer, the exponent form from the
// first 7 digits rounded at the 8th.
#pragma once

#include "records/decimal_rendering.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sotra::exact {

// ---- Bit patterns -----------------------------------------------------------

constexpr uint32_t kSign = 0x8000'0000;
constexpr uint32_t kMagnitude = 0x7FFF'FFFF;
constexpr uint32_t kInfinity = 0x7F80'0000;  // the first magnitude that is not finite

inline uint32_t biased_exponent(uint32_t bits) { return (bits >> 23) & 0xFF; }
inline uint32_t fraction_bits(uint32_t bits) { return bits & 0x7F'FFFF; }
inline bool is_finite(uint32_t bits) { return biased_exponent(bits) != 0xFF; }
inline bool is_zero(uint32_t bits) { return (bits & kMagnitude) == 0; }

// A finite pattern is m x 2^e: m and e.
inline uint32_t significand(uint32_t bits) {
    return biased_exponent(bits) == 0 ? fraction_bits(bits) : fraction_bits(bits) | 0x80'0000;
}
inline int binary_exponent(uint32_t bits) {
    const int biased = static_cast<int>(biased_exponent(bits));
    return (biased == 0 ? 1 : biased) - 150;
}

inline std::string hex(uint32_t bits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", bits);
    return text;
}

// ---- The first 18 digits, rounded to 17 ------------------------------------

// The first 18 significant digits of a nonzero magnitude, cut off, and its
// exponent p: magnitude = 0.d1 d2 d3 ... x 10^p with d1 not 0.
struct Leading {
    std::array<char, 18> digit{};
    int exponent = 0;
};

// What real_digits must give. digits() is "0" for a zero of either sign.
struct Reference {
    bool negative = false;
    std::array<char, 17> digit{};
    int count = 0;
    int exponent = 0;

    std::string_view digits() const { return {digit.data(), static_cast<std::size_t>(count)}; }
    bool zero() const { return digits() == "0"; }
};

inline Reference zero_reference() {
    Reference r;
    r.digit[0] = '0';
    r.count = 1;
    return r;
}

// Half up at the 18th digit into 17, carrying through nines; 17 nines become
// the single digit 1 one place further left. Then no trailing zeros.
inline Reference round_to_17(const Leading& lead, bool negative) {
    Reference r;
    r.negative = negative;
    r.exponent = lead.exponent;
    std::copy_n(lead.digit.begin(), 17, r.digit.begin());
    r.count = 17;
    if (lead.digit[17] >= '5') {
        int i = 16;
        for (; i >= 0 && r.digit[i] == '9'; --i) {
            r.digit[i] = '0';
        }
        if (i < 0) {
            r.digit[0] = '1';
            r.count = 1;
            ++r.exponent;
        } else {
            ++r.digit[i];
        }
    }
    while (r.count > 1 && r.digit[r.count - 1] == '0') {
        --r.count;
    }
    return r;
}

// ---- The slow method: a string of decimal digits ----------------------------

// value = 0.d1 d2 d3 ... x 10^point; digits hold 0..9, most significant first.
struct Expansion {
    std::vector<uint8_t> digits;
    int point = 0;
};

inline Expansion from_integer(uint32_t m) {
    Expansion x;
    for (char c : std::to_string(m)) {
        x.digits.push_back(static_cast<uint8_t>(c - '0'));
    }
    x.point = static_cast<int>(x.digits.size());
    return x;
}

inline void multiply(Expansion& x, uint64_t factor) {
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
inline void divide(Expansion& x, uint64_t divisor) {
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

// At most 2^56 at a time keeps every intermediate below 2^64 in multiply
// (digit x 2^56 + carry < 10 x 2^56) and divide (remainder x 10 + 9).
constexpr int kStepBits = 56;

// The complete exact decimal expansion of a finite, nonzero pattern, without
// trailing zeros.
inline Expansion exact_expansion(uint32_t bits) {
    int e = binary_exponent(bits);
    Expansion x = from_integer(significand(bits));
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
    while (x.digits.size() > 1 && x.digits.back() == 0) {
        x.digits.pop_back();
    }
    return x;
}

inline int digit_at(const Expansion& x, std::size_t i) {
    return i < x.digits.size() ? x.digits[i] : 0;
}

inline std::string as_text(const Expansion& x) {
    std::string s;
    for (uint8_t d : x.digits) {
        s += static_cast<char>('0' + d);
    }
    return s;
}

inline Leading leading_digits(const Expansion& x) {
    Leading lead;
    for (std::size_t i = 0; i < lead.digit.size(); ++i) {
        lead.digit[i] = static_cast<char>('0' + digit_at(x, i));
    }
    lead.exponent = x.point;
    return lead;
}

// What real_digits must give for any finite pattern, by the slow method.
inline Reference reference_digits(uint32_t bits) {
    if (is_zero(bits)) {
        return zero_reference();
    }
    return round_to_17(leading_digits(exact_expansion(bits)), (bits & kSign) != 0);
}

// ---- The fast method: fixed-point decimal, one unit added per step ----------

constexpr uint32_t kLimbBase = 1'000'000'000;

// A nonnegative value below 10^45 with 153 decimals, held exactly as base
// 10^9 limbs, most significant first: 5 limbs before the point, 17 after.
struct FixedDecimal {
    static constexpr int kIntegerLimbs = 5;
    static constexpr int kLimbs = 22;
    std::array<uint32_t, kLimbs> limb{};

    void add(const FixedDecimal& other) {
        uint32_t carry = 0;
        for (int i = kLimbs - 1; i >= 0; --i) {
            uint32_t sum = limb[i] + other.limb[i] + carry;
            carry = sum >= kLimbBase ? 1 : 0;
            limb[i] = sum - carry * kLimbBase;
        }
        if (carry != 0) {
            std::fputs("exact_decimal: fixed-point value overflowed\n", stderr);
            std::abort();
        }
    }

    // Exact only when the last decimal is even; halving 1 at most 153 times
    // never meets an odd one.
    void halve() {
        uint64_t remainder = 0;
        for (int i = 0; i < kLimbs; ++i) {
            const uint64_t part = remainder * kLimbBase + limb[i];
            limb[i] = static_cast<uint32_t>(part / 2);
            remainder = part % 2;
        }
        if (remainder != 0) {
            std::fputs("exact_decimal: halving lost a digit\n", stderr);
            std::abort();
        }
    }

    int first_nonzero_limb() const {
        int i = 0;
        while (i < kLimbs && limb[i] == 0) {
            ++i;
        }
        return i;
    }

    // The digits, from the first significant one to the last nonzero one, and
    // the decimal exponent p of the first. A zero gives "0" and 0.
    std::pair<std::string, int> text() const {
        std::string all;
        for (uint32_t part : limb) {
            char group[16];
            std::snprintf(group, sizeof group, "%09u", part);
            all += group;
        }
        const std::size_t first = all.find_first_not_of('0');
        if (first == std::string::npos) {
            return {"0", 0};
        }
        const std::size_t last = all.find_last_not_of('0');
        const int point = kIntegerLimbs * 9 - static_cast<int>(first);
        return {all.substr(first, last - first + 1), point};
    }

    // The first 18 significant digits of a nonzero value, cut off.
    Leading leading() const {
        const int first = first_nonzero_limb();
        Leading lead;
        int count = 0;
        int width = 0;
        for (uint32_t rest = limb[first]; rest != 0; rest /= 10) {
            ++width;  // digits in the first limb
        }
        lead.exponent = (kIntegerLimbs - 1 - first) * 9 + width;
        for (int i = first; count < 18; ++i) {
            const uint32_t part = i < kLimbs ? limb[i] : 0;
            char group[9];
            uint32_t rest = part;
            for (int k = 8; k >= 0; --k) {
                group[k] = static_cast<char>('0' + rest % 10);
                rest /= 10;
            }
            for (int k = i == first ? 9 - width : 0; k < 9 && count < 18; ++k) {
                lead.digit[static_cast<std::size_t>(count++)] = group[k];
            }
        }
        return lead;
    }
};

constexpr int kLowestPower = -149;
constexpr int kHighestPower = 127;

// 2^k for kLowestPower <= k <= kHighestPower: 1 halved or doubled |k| times.
inline const FixedDecimal& power_of_two(int k) {
    static const std::vector<FixedDecimal> powers = [] {
        std::vector<FixedDecimal> table(kHighestPower - kLowestPower + 1);
        FixedDecimal one;
        one.limb[FixedDecimal::kIntegerLimbs - 1] = 1;
        table[static_cast<std::size_t>(-kLowestPower)] = one;
        for (int j = -1; j >= kLowestPower; --j) {
            FixedDecimal half = table[static_cast<std::size_t>(j + 1 - kLowestPower)];
            half.halve();
            table[static_cast<std::size_t>(j - kLowestPower)] = half;
        }
        for (int j = 1; j <= kHighestPower; ++j) {
            FixedDecimal twice = table[static_cast<std::size_t>(j - 1 - kLowestPower)];
            twice.add(twice);
            table[static_cast<std::size_t>(j - kLowestPower)] = twice;
        }
        return table;
    }();
    return powers[static_cast<std::size_t>(k - kLowestPower)];
}

// The exact magnitudes of consecutive finite patterns, one addition per step.
// Crossing into the next binary exponent needs nothing special: the largest
// significand plus one unit is the smallest significand of the next exponent.
class Walk {
public:
    // Starts at a finite pattern; its sign is ignored. The value is the sum
    // of 2^(e + j) over the bits j set in the significand m.
    explicit Walk(uint32_t bits) : bits_(bits & kMagnitude) {
        const uint32_t m = significand(bits_);
        const int e = binary_exponent(bits_);
        for (int j = 0; j < 24; ++j) {
            if ((m >> j & 1) != 0) {
                value_.add(power_of_two(e + j));
            }
        }
    }

    uint32_t bits() const { return bits_; }
    const FixedDecimal& value() const { return value_; }

    // To the next magnitude; the current one must not be the largest finite.
    void next() {
        value_.add(power_of_two(binary_exponent(bits_)));
        ++bits_;
    }

private:
    uint32_t bits_;
    FixedDecimal value_;
};

// What real_digits must give for the walk's magnitude with the sign of
// `bits`.
inline Reference reference_digits(const Walk& walk, uint32_t bits) {
    if (is_zero(walk.bits())) {
        return zero_reference();
    }
    return round_to_17(walk.value().leading(), (bits & kSign) != 0);
}

// ---- Texts built from the reference digits ----------------------------------

// A short text in a fixed buffer; the longest is the largest value with 6
// decimals (47 characters).
struct Text {
    std::array<char, 64> c{};
    int n = 0;

    void put(char ch) { c[static_cast<std::size_t>(n++)] = ch; }
    void put(std::string_view s) {
        for (char ch : s) {
            put(ch);
        }
    }
    std::string_view view() const { return {c.data(), static_cast<std::size_t>(n)}; }
};

// The first `count` reference digits (zeros past its end) rounded half up at
// the next one, as a decimal integer with no leading zeros: count or count + 1
// digits, or none when count is 0 and the next digit is below 5.
inline Text rounded_head(const Reference& r, int count) {
    const auto digit = [&r](int i) { return i < r.count ? r.digit[static_cast<std::size_t>(i)] : '0'; };
    Text head;
    for (int i = 0; i < count; ++i) {
        head.put(digit(i));
    }
    if (digit(count) >= '5') {
        int i = count - 1;
        for (; i >= 0 && head.c[static_cast<std::size_t>(i)] == '9'; --i) {
            head.c[static_cast<std::size_t>(i)] = '0';
        }
        if (i >= 0) {
            ++head.c[static_cast<std::size_t>(i)];
        } else {
            Text longer;
            longer.put('1');
            longer.put(head.view());
            head = longer;
        }
    }
    return head;
}

// Fixed form: the value shown, times 10^decimals, is an integer whose digits
// are the reference digits down to the last decimal, at most 7 of them,
// rounded half up at the first one left out, with zeros for the places below.
// A zero shown has no sign; below 1 there is no integer digit, except a lone
// 0 when there are no decimals.
inline Text fixed_text(const Reference& r, int decimals) {
    const int places = r.exponent + decimals;  // reference digits at or above the last decimal
    Text scaled;
    if (!r.zero() && places >= 0) {
        const int shown = std::min(places, 7);
        scaled = rounded_head(r, shown);
        for (int i = shown; i < places; ++i) {
            scaled.put('0');
        }
    }
    Text out;
    if (r.negative && scaled.n > 0) {
        out.put('-');
    }
    const int whole = std::max(scaled.n - decimals, 0);
    if (whole == 0 && decimals == 0) {
        out.put('0');
    }
    out.put(scaled.view().substr(0, static_cast<std::size_t>(whole)));
    out.put('.');
    for (int i = scaled.n; i < decimals; ++i) {
        out.put('0');
    }
    out.put(scaled.view().substr(static_cast<std::size_t>(whole)));
    return out;
}

// Exponent form: the first 7 digits rounded half up at the 8th, one before
// the point; the exponent of the first digit after a sign, in two digits (or
// three without the E, which no single-precision value needs).
inline Text exponent_text(const Reference& r) {
    Text out;
    if (r.zero()) {
        out.put("0.000000E+00");
        return out;
    }
    Text head = rounded_head(r, 7);
    int x = r.exponent - 1;
    if (head.n > 7) {  // 9999999|5 became 10000000
        head.n = 7;
        ++x;
    }
    if (r.negative) {
        out.put('-');
    }
    out.put(head.c[0]);
    out.put('.');
    out.put(head.view().substr(1));
    const int size = std::abs(x);
    if (size <= 99) {
        out.put('E');
    }
    out.put(x < 0 ? '-' : '+');
    char number[8];
    std::snprintf(number, sizeof number, size <= 99 ? "%02d" : "%03d", size);
    out.put(number);
    return out;
}

// The code text of an infinity or NaN pattern.
inline std::string_view non_finite_text(uint32_t bits) {
    const uint32_t fraction = fraction_bits(bits);
    if (fraction == 0) {
        return "1#INF";
    }
    if ((fraction & 0x40'0000) == 0) {
        return "1#SNAN";
    }
    return bits == 0xFFC0'0000 ? "1#IND" : "1#QNAN";
}

// ---- Running the product and comparing --------------------------------------

struct Difference {
    uint32_t bits;
    std::string operation;
    std::string got;
    std::string want;
};

inline std::string describe(const RealDigits& r) {
    if (!r.finite) {
        return "not finite, text \"" + r.text + "\"";
    }
    std::string s = (r.negative ? "-" : "+") + r.digits + " p " + std::to_string(r.exponent);
    if (!r.text.empty()) {
        s += ", text \"" + r.text + "\"";
    }
    return s;
}

inline std::string describe(const Reference& r) {
    return (r.negative ? "-" : "+") + std::string(r.digits()) + " p " + std::to_string(r.exponent);
}

// Runs real_digits, render_fixed with 3 and 6 decimals and render_exponent on
// a finite pattern and hands each disagreement with `want` to `report`.
// Returns the number of disagreements.
template <typename Report>
int compare_finite(uint32_t bits, const Reference& want, Report&& report) {
    const float value = std::bit_cast<float>(bits);
    int found = 0;
    const RealDigits got = real_digits(value);
    if (!got.finite || !got.text.empty() || got.negative != want.negative ||
        got.exponent != want.exponent || got.digits != want.digits()) {
        report(Difference{bits, "real_digits", describe(got), describe(want)});
        ++found;
    }
    const auto text = [&](const char* operation, const std::string& got_text, const Text& want_text) {
        if (got_text != want_text.view()) {
            report(Difference{bits, operation, got_text, std::string(want_text.view())});
            ++found;
        }
    };
    text("render_fixed 3", render_fixed(value, 3), fixed_text(want, 3));
    text("render_fixed 6", render_fixed(value, 6), fixed_text(want, 6));
    text("render_exponent", render_exponent(value), exponent_text(want));
    return found;
}

// Lengths asked of render_non_finite: shorter than every text, as long as the
// longer ones, and the two widths the writers use.
constexpr int kNonFiniteLengths[] = {3, 6, 13, 15};

// Runs real_digits and render_non_finite on an infinity or NaN pattern.
template <typename Report>
int compare_non_finite(uint32_t bits, Report&& report) {
    const float value = std::bit_cast<float>(bits);
    const std::string_view want = non_finite_text(bits);
    int found = 0;
    const RealDigits got = real_digits(value);
    if (got.finite || got.text != want) {
        report(Difference{bits, "real_digits", describe(got),
                          "not finite, text \"" + std::string(want) + "\""});
        ++found;
    }
    for (int length : kNonFiniteLengths) {
        std::string padded(want.substr(0, static_cast<std::size_t>(length)));
        padded.resize(static_cast<std::size_t>(length), '.');
        const std::string got_text = render_non_finite(value, length);
        if (got_text != padded) {
            report(Difference{bits, "render_non_finite " + std::to_string(length), got_text, padded});
            ++found;
        }
    }
    return found;
}

}  // namespace sotra::exact
