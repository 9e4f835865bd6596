#include "tools/differential/reader_texts.h"

#include <algorithm>
#include <bit>
#include <iterator>

#include "tools/differential/big_uint.h"

namespace sotra::differential {
namespace {

std::uint64_t splitmix64(std::uint64_t& x) {
    std::uint64_t z = (x += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

std::uint64_t rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

// ---- Digit strings -----------------------------------------------------------

char random_digit(TextRng& rng) { return static_cast<char>('0' + rng.below(10)); }
char nonzero_digit(TextRng& rng) { return static_cast<char>('1' + rng.below(9)); }

// n digits, the first not zero, in one of a few shapes that make carries,
// ties and long runs likely.
std::string pattern_digits(TextRng& rng, long n) {
    std::string s(1, nonzero_digit(rng));
    const auto fill = [&](char c) {
        while (static_cast<long>(s.size()) < n) s.push_back(c);
    };
    switch (rng.below(8)) {
    case 0:  // a run of nines with a short random tail
        fill('9');
        break;
    case 1:  // a run of zeros
        fill('0');
        break;
    case 2: {  // random, then 5 and zeros: a decimal tie somewhere
        const long head = rng.between(1, n);
        while (static_cast<long>(s.size()) < head) s.push_back(random_digit(rng));
        if (static_cast<long>(s.size()) < n) s.push_back('5');
        fill('0');
        break;
    }
    case 3: {  // random, then 4 and nines
        const long head = rng.between(1, n);
        while (static_cast<long>(s.size()) < head) s.push_back(random_digit(rng));
        if (static_cast<long>(s.size()) < n) s.push_back('4');
        fill('9');
        break;
    }
    default:
        while (static_cast<long>(s.size()) < n) s.push_back(random_digit(rng));
        break;
    }
    // A short random tail after a run.
    if (n > 3 && rng.chance(30)) {
        const long tail = rng.between(1, std::min(3L, n - 1));
        for (long i = n - tail; i < n; ++i) s[static_cast<std::size_t>(i)] = random_digit(rng);
    }
    return s;
}

std::string increment(std::string s) {
    for (auto it = s.rbegin(); it != s.rend(); ++it) {
        if (*it != '9') {
            ++*it;
            return s;
        }
        *it = '0';
    }
    return "1" + s;
}

// s - 1 for s > 0 (leading zeros may appear); "0" stays "0".
std::string decrement(std::string s) {
    if (s.find_first_not_of('0') == std::string::npos) return s;
    for (auto it = s.rbegin(); it != s.rend(); ++it) {
        if (*it != '0') {
            --*it;
            return s;
        }
        *it = '9';
    }
    return s;
}

// ---- Laying a value out as text ----------------------------------------------

std::string zeros(long n) { return std::string(static_cast<std::size_t>(std::max(0L, n)), '0'); }

std::string exponent_text(TextRng& rng, long written, long room) {
    const bool negative = written < 0;
    const std::string digits = std::to_string(negative ? -written : written);
    std::string padding;
    if (rng.chance(8)) padding = zeros(rng.between(1, 4));
    if (rng.chance(1) && room > 10) padding = zeros(rng.between(1, room - 8));
    if (rng.chance(80)) {
        static constexpr char kLetters[] = {'E', 'e', 'D', 'd'};
        std::string s(1, kLetters[rng.below(4)]);
        if (negative) {
            s += '-';
        } else if (rng.chance(35)) {
            s += '+';
        }
        return s + padding + digits;
    }
    // A sign alone, straight after the mantissa.
    return std::string(1, negative ? '-' : '+') + padding + digits;
}

// The text of +-s x 10^written, s a digit string of which k digits stand
// before the point (k <= 0: -k zeros after the point first; k > size:
// zeros up to the point). Optional leading and trailing zeros and signs
// are added while the text stays within `limit`.
std::string layout(TextRng& rng, bool negative, const std::string& s, long k, long written,
                   std::size_t limit) {
    const long n = static_cast<long>(s.size());
    std::string text;
    if (negative) {
        text = "-";
    } else if (rng.chance(15)) {
        text = "+";
    }
    const auto room = [&](std::size_t more) {
        return static_cast<long>(limit) - static_cast<long>(text.size() + more) - 12;
    };
    if (rng.chance(12)) text += zeros(std::min(room(n), rng.between(1, 3)));
    if (k <= 0) {
        if (rng.chance(50)) text += '0';
        text += '.';
        text += zeros(-k);
        text += s;
        if (rng.chance(20)) text += zeros(std::min(room(0), rng.between(1, 6)));
    } else if (k < n) {
        text.append(s, 0, static_cast<std::size_t>(k));
        text += '.';
        text.append(s, static_cast<std::size_t>(k));
        if (rng.chance(20)) text += zeros(std::min(room(0), rng.between(1, 6)));
    } else {
        text += s;
        text += zeros(k - n);
        if (rng.chance(30)) {
            text += '.';
            if (rng.chance(30)) text += zeros(std::min(room(0), rng.between(1, 6)));
        }
    }
    if (written != 0 || rng.chance(40)) text += exponent_text(rng, written, room(0) + 12);
    return text;
}

// The text of +-s x 10^last with the point put somewhere at random.
std::string render(TextRng& rng, bool negative, const std::string& s, long last,
                   std::size_t limit = kLongestValue) {
    const long n = static_cast<long>(s.size());
    const long spare = std::max(0L, static_cast<long>(limit) - n - 16);
    const long shift = rng.chance(10) ? spare : std::min(spare, 40L);
    long k = n;
    switch (rng.below(20)) {
    case 0: case 1: case 2: case 3: case 4: case 5: break;
    case 6: case 7: case 8: case 9: case 10: k = rng.between(1, n); break;
    case 11: case 12: case 13: k = 1; break;
    case 14: case 15: case 16: k = -rng.between(0, shift); break;
    default: k = n + rng.between(0, shift); break;
    }
    std::string text = layout(rng, negative, s, k, last + n - k, limit);
    if (text.size() > limit) {
        // No room for the padding chosen: the plain scientific form.
        text = (negative ? "-" : "") + s.substr(0, 1) + "." + s.substr(1) + "e" + std::to_string(last + n - 1);
    }
    return text;
}

// ---- The kinds of text -------------------------------------------------------

std::string plain(TextRng& rng) {
    std::string s = pattern_digits(rng, rng.between(1, 9));
    if (rng.chance(10)) s.insert(0, "0");
    const long last = rng.chance(90) ? rng.between(-12, 12) : rng.between(-40, 40);
    return render(rng, rng.chance(30), s, last);
}

std::string long_digits(TextRng& rng, bool& over_limit_allowed) {
    const long n = rng.between(25, 244);
    const std::string s = pattern_digits(rng, n);
    long first = 0;
    switch (rng.below(10)) {
    case 0: case 1: first = rng.between(-5, 5); break;
    case 2: case 3: case 4: first = rng.between(-330, 310); break;
    default: first = rng.between(-47, 40); break;
    }
    std::string text = render(rng, rng.chance(30), s, first - (n - 1));
    if (rng.chance(15)) {
        // Leading zeros up to about the longest value a list holds, or past it.
        const long target = rng.between(static_cast<long>(kLongestValue) - 6, static_cast<long>(kLongestValue) + 8);
        const std::size_t at = text[0] == '-' || text[0] == '+' ? 1 : 0;
        if (static_cast<long>(text.size()) < target) text.insert(at, zeros(target - static_cast<long>(text.size())));
        over_limit_allowed = true;
    }
    return text;
}

constexpr long kCentres[] = {38, 37, -38, -39, -45, -46, -44, 308, 307, -308, -309, -324, -323, -325, -320};

std::string digits_24_25(TextRng& rng) {
    const long n = rng.chance(50) ? 24 : 25;
    const std::string s = pattern_digits(rng, n);
    const long first = rng.chance(40) ? kCentres[rng.below(std::size(kCentres))] + rng.between(-2, 2)
                                      : rng.between(-60, 60);
    return render(rng, rng.chance(30), s, first - (n - 1));
}

std::string exponent_edges(TextRng& rng) {
    const bool negative = rng.chance(30);
    switch (rng.below(10)) {
    case 0: case 1: {
        // A written exponent around the decimal exponent bound or far past
        // it, with the point moving the number's exponent back across.
        static constexpr long kWritten[] = {5200, 5201, 5202, 5210, -5200, -5201, -5202, -5210,
                                            99999, -99999, 1000000, -1000000, 5300, -5300};
        const long written = kWritten[rng.below(std::size(kWritten))] + rng.between(-6, 6);
        const std::string s = pattern_digits(rng, rng.between(1, 20));
        const long k = rng.between(-200, 200 - static_cast<long>(s.size()));
        return layout(rng, negative, s, k, written, kLongestValue);
    }
    case 2: {
        // A written exponent with many leading zeros.
        const std::string s = pattern_digits(rng, rng.between(1, 12));
        const long written = rng.chance(50) ? rng.between(-50, 50) : kCentres[rng.below(std::size(kCentres))];
        std::string text = std::string(negative ? "-" : "") + s.substr(0, 1) + "." + s.substr(1) + "E";
        text += written < 0 ? "-" : "+";
        text += zeros(rng.between(5, 200));
        text += std::to_string(written < 0 ? -written : written);
        return text;
    }
    case 3: {
        // A written exponent of many digits.
        std::string text = render(rng, negative, pattern_digits(rng, rng.between(1, 30)), 0);
        if (text.find_first_of("EeDd") != std::string::npos || text.find_first_of("+-", 1) != std::string::npos) {
            text = std::string(negative ? "-" : "") + pattern_digits(rng, rng.between(1, 30));
        }
        text += "eEdD"[rng.below(4)];
        if (rng.chance(60)) text += rng.chance(50) ? '-' : '+';
        text += pattern_digits(rng, rng.between(5, 200));
        return text;
    }
    default: {
        const std::string s = pattern_digits(rng, rng.between(1, 30));
        long first = 0;
        if (rng.chance(15)) {
            static constexpr long kBounds[] = {5200, 5199, 5201, -5200, -5199, -5201, -5202};
            first = kBounds[rng.below(std::size(kBounds))] + rng.between(-2, 2);
        } else {
            first = kCentres[rng.below(std::size(kCentres))] + rng.between(-3, 3);
        }
        return render(rng, negative, s, first - (static_cast<long>(s.size()) - 1));
    }
    }
}

// Texts at, just below and just above an exact binary value m x 2^e.
std::string near_exact(TextRng& rng, std::uint64_t m, int e, bool negative) {
    const ExactDecimal exact = exact_decimal(m, e);
    std::string s = exact.digits;
    long last = exact.last;
    const auto keep = [&](long j) {
        const long n = static_cast<long>(s.size());
        if (n > j) {
            s.resize(static_cast<std::size_t>(j));
            last += n - j;
        }
    };
    const auto pad_to = [&](long j) {
        const long n = static_cast<long>(s.size());
        if (n < j) {
            s += zeros(j - n);
            last -= j - n;
        }
    };
    const long j = rng.chance(70) ? 24 : rng.between(7, 23);
    switch (rng.below(20)) {
    case 0: case 1: case 2: case 3: case 4:  // all the digits, as far as they go
        keep(220);
        break;
    case 5: case 6: case 7: case 8: case 9:  // cut: at or just below
        keep(j);
        break;
    case 10: case 11: case 12: case 13: case 14:  // cut and one unit up: above
        keep(j);
        s = increment(s);
        break;
    case 15: case 16: case 17:  // one unit of the j-th digit down: below
        keep(j);
        pad_to(j);
        s = decrement(s);
        break;
    default:  // a 25th digit and more, that the reading must cut off
        keep(24);
        pad_to(24);
        for (long extra = rng.between(1, 16); extra > 0; --extra) {
            s += random_digit(rng);
            --last;
        }
        break;
    }
    return render(rng, negative, s, last);
}

std::uint64_t random_fraction(TextRng& rng, int bits) {
    const std::uint64_t all = (std::uint64_t{1} << bits) - 1;
    switch (rng.below(10)) {
    case 0: return all;
    case 1: return 0;
    case 2: return all ^ (rng.next() & 0xFF);
    case 3: return rng.next() & 0xFF;
    default: return rng.next() & all;
    }
}

// A random single-precision value as significand and unit: q x 2^lsb.
struct Single {
    std::uint64_t q;
    int lsb;
};

Single random_single(TextRng& rng, long lo, long hi) {
    const long biased = rng.between(lo, hi);
    const std::uint64_t fraction = random_fraction(rng, 23);
    if (biased == 0) return {fraction, -149};
    return {fraction | (std::uint64_t{1} << 23), static_cast<int>(biased) - 150};
}

Single single_anywhere(TextRng& rng) {
    switch (rng.below(10)) {
    case 0: case 1: case 2: case 3: return random_single(rng, 0, 254);
    case 4: return random_single(rng, 0, 3);
    case 5: return random_single(rng, 250, 254);
    case 6: case 7: return random_single(rng, 165, 205);  // where exact midpoints are short
    default: return random_single(rng, 100, 160);
    }
}

std::string double_halfway(TextRng& rng) {
    const bool negative = rng.chance(30);
    if (rng.chance(60)) {
        // The two double midpoints around a single midpoint: where the
        // rounding to double decides the rounding to single.
        const Single single = single_anywhere(rng);
        const std::uint64_t m = 2 * single.q + 1;  // the single midpoint is m x 2^(lsb - 1)
        const int width = std::bit_width(m);
        const int top = width - 1 + single.lsb - 1;
        // As a double it has units of 2^(top - 52); its neighbouring double
        // midpoints are half a unit away, at (m x 2^(54 - width) +- 1) x 2^(top - 53).
        const std::uint64_t scaled = m << (54 - width);
        const std::uint64_t s = rng.chance(50) ? scaled + 1 : scaled - 1;
        return near_exact(rng, s, top - 53, negative);
    }
    long biased = 0;
    switch (rng.below(4)) {
    case 0: biased = rng.between(2036, 2046); break;
    case 1: biased = rng.between(0, 4); break;
    default: biased = rng.between(0, 2046); break;
    }
    const std::uint64_t fraction = random_fraction(rng, 52);
    const std::uint64_t q = biased == 0 ? fraction : fraction | (std::uint64_t{1} << 52);
    const int lsb = biased == 0 ? -1074 : static_cast<int>(biased) - 1075;
    // The midpoint between this double and the next one up.
    return near_exact(rng, 2 * q + 1, lsb - 1, negative);
}

std::string float_halfway(TextRng& rng) {
    const Single single = single_anywhere(rng);
    return near_exact(rng, 2 * single.q + 1, single.lsb - 1, rng.chance(30));
}

std::string single_bound(TextRng& rng) {
    constexpr std::uint64_t kTop = (std::uint64_t{1} << 24) - 1;  // the significand of the largest float
    struct Point {
        std::uint64_t m;
        int e;
    };
    static constexpr Point kPoints[] = {
        {kTop, 104},                         // the largest float
        {kTop << 29 | 1, 75},                // the bound: one double above it
        {kTop << 30 | 1, 74},                // halfway from the largest float to the bound
        {kTop << 30 | 3, 74},                // halfway from the bound to the next double
        {(kTop << 30) - 1, 74},              // halfway down from the largest float
        {(std::uint64_t{1} << 25) - 1, 103}, // halfway from the largest float to 2^128
        {(((std::uint64_t{1} << 25) - 1) << 28) - 1, 75},
        {(((std::uint64_t{1} << 25) - 1) << 28) + 1, 75},
        {1, 128},
        {(kTop - 1), 104},                   // the float below the largest
        {(kTop << 1) - 1, 103},              // halfway between the two largest floats
    };
    const Point& point = kPoints[rng.below(std::size(kPoints))];
    if (rng.chance(15)) {
        // 3.40282346... with random digits after a common head.
        static constexpr std::string_view kHeads[] = {"34028234", "340282346", "3402823466", "34028235",
                                                      "3402823466385289", "340282346638528859"};
        std::string s(kHeads[rng.below(std::size(kHeads))]);
        for (long extra = rng.between(0, 12); extra > 0; --extra) s += random_digit(rng);
        return render(rng, rng.chance(50), s, 38 - (static_cast<long>(s.size()) - 1));
    }
    return near_exact(rng, point.m, point.e, rng.chance(50));
}

std::string zeros_text(TextRng& rng) {
    const std::string s = zeros(rng.between(1, 30));
    long last = 0;
    switch (rng.below(5)) {
    case 0: case 1: case 2: last = rng.between(-10, 10); break;
    case 3: last = (rng.chance(50) ? 1 : -1) * rng.between(5190, 5300); break;
    default: last = (rng.chance(50) ? 1 : -1) * rng.between(100000, 1000000000); break;
    }
    return render(rng, rng.chance(40), s, last);
}

constexpr std::string_view kBadTexts[] = {
    "", ".", "+", "-", "+.", "-.", ".e5", "+.e5", "e5", "E", "d", "1e", "1E+", "1d-", "1+", "1-",
    "1.5E", "1.5E+", "1.5Q2", "0x10", "0X1p3", "INF", "inf", "Infinity", "NaN", "nan", "1.2.3",
    "1..2", "..1", "1e5.0", "1e+-5", "1+-5", "1--5", "++1", "+-1", "1e5e5", "1.5e2.5", "1,5", "1 5",
    " 1", "1 ", "1\t", "1_000", "1'000", "1e5)", "1(", std::string_view("\0", 1),
    std::string_view("1\0", 2), "1\x1a", "\x1a" "1", "1.5\xff", "1.0f", "1.0L", "\xe2\x88\x92" "1",
    "0b101", "1/2", "1*2", "e+5", "1.5D", "5.d3", "5.-3", ".5-3", "-.5+3", "1.e", "1.e+", "1.E-0",
    "1E5E", "+1e+", "1ee5", "1e++5", "1dd5", "0.5.", "1.5e-", "-e5", "1.5 ", "1,", "١", "12e3x",
};

std::string mutated(TextRng& rng) {
    static constexpr char kPool[] = "+-.eEdDqQxXpP0123456789#_iInNaAfF)(\x1a\x7f\xff  \t";
    std::string text;
    switch (rng.below(4)) {
    case 0: text = plain(rng); break;
    case 1: text = digits_24_25(rng); break;
    case 2: text = exponent_edges(rng); break;
    default: text = double_halfway(rng); break;
    }
    if (text.size() > 200) text.resize(200);
    for (long edits = rng.between(1, 2); edits > 0; --edits) {
        const std::size_t at = rng.below(text.size() + 1);
        char c = kPool[rng.below(sizeof kPool - 1)];
        if (rng.chance(2)) c = '\0';
        switch (rng.below(4)) {
        case 0: text.insert(at, 1, c); break;
        case 1:
            if (at < text.size()) text[at] = c;
            break;
        case 2:
            if (at < text.size()) text.erase(at, 1);
            break;
        default: {
            // A second point, letter or sign in a random place.
            static constexpr char kRepeat[] = ".eE+-dD";
            text.insert(at, 1, kRepeat[rng.below(sizeof kRepeat - 1)]);
            break;
        }
        }
    }
    return text;
}

std::string invalid(TextRng& rng) {
    if (rng.chance(30)) return std::string(kBadTexts[rng.below(std::size(kBadTexts))]);
    return mutated(rng);
}

}  // namespace

std::string_view kind_name(TextKind kind) {
    switch (kind) {
    case TextKind::plain: return "plain";
    case TextKind::long_digits: return "long digits";
    case TextKind::digits_24_25: return "24 and 25 digits";
    case TextKind::exponent_edges: return "exponent edges";
    case TextKind::double_halfway: return "double halfway";
    case TextKind::float_halfway: return "float halfway";
    case TextKind::single_bound: return "single bound";
    case TextKind::zeros: return "zeros";
    case TextKind::invalid: return "invalid and mutated";
    }
    return "?";
}

TextRng::TextRng(std::uint64_t seed) {
    for (auto& word : state_) word = splitmix64(seed);
}

std::uint64_t TextRng::next() {
    const std::uint64_t result = rotl(state_[1] * 5, 7) * 9;
    const std::uint64_t t = state_[1] << 17;
    state_[2] ^= state_[0];
    state_[3] ^= state_[1];
    state_[1] ^= state_[2];
    state_[0] ^= state_[3];
    state_[2] ^= t;
    state_[3] = rotl(state_[3], 45);
    return result;
}

std::uint64_t TextRng::below(std::uint64_t n) {
    return static_cast<std::uint64_t>((static_cast<unsigned __int128>(next()) * n) >> 64);
}

long TextRng::between(long lo, long hi) {
    if (hi <= lo) return lo;
    return lo + static_cast<long>(below(static_cast<std::uint64_t>(hi - lo) + 1));
}

ExactDecimal exact_decimal(std::uint64_t s, int exponent) {
    ExactDecimal result;
    BigUint value(s);
    if (exponent >= 0) {
        value.shift_left(exponent);
    } else {
        // s / 2^k = s x 5^k / 10^k
        BigUint five = BigUint::power_of_five(-exponent);
        // value x 5^k by limbs of five: s fits in one limb, so multiply five by s.
        five.multiply_small(s);
        value = five;
        result.last = exponent;
    }
    result.digits = value.decimal();
    while (result.digits.size() > 1 && result.digits.back() == '0') {
        result.digits.pop_back();
        ++result.last;
    }
    return result;
}

GeneratedText generate_text(std::uint64_t seed, std::uint64_t index) {
    TextRng rng(seed * 0xD1342543DE82EF95ull + index);
    GeneratedText generated;
    const std::uint64_t pick = rng.below(100);
    bool over_limit_allowed = false;
    if (pick < 8) {
        generated.kind = TextKind::plain;
        generated.text = plain(rng);
    } else if (pick < 20) {
        generated.kind = TextKind::long_digits;
        generated.text = long_digits(rng, over_limit_allowed);
    } else if (pick < 32) {
        generated.kind = TextKind::digits_24_25;
        generated.text = digits_24_25(rng);
    } else if (pick < 46) {
        generated.kind = TextKind::exponent_edges;
        generated.text = exponent_edges(rng);
    } else if (pick < 62) {
        generated.kind = TextKind::double_halfway;
        generated.text = double_halfway(rng);
    } else if (pick < 78) {
        generated.kind = TextKind::float_halfway;
        generated.text = float_halfway(rng);
    } else if (pick < 84) {
        generated.kind = TextKind::single_bound;
        generated.text = single_bound(rng);
    } else if (pick < 88) {
        generated.kind = TextKind::zeros;
        generated.text = zeros_text(rng);
    } else {
        generated.kind = TextKind::invalid;
        generated.text = invalid(rng);
    }
    if (!over_limit_allowed && generated.text.size() > kLongestValue) generated.text.resize(kLongestValue);
    return generated;
}

}  // namespace sotra::differential
