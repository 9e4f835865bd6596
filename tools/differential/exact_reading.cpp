#include "tools/differential/exact_reading.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "tools/differential/big_uint.h"

namespace sotra::differential {
namespace {

constexpr int kKeptDigits = 24;
constexpr long kDecimalExponentBound = 5200;
constexpr std::int64_t kWrittenExponentCeiling = 1000000000;  // far beyond any bound below

constexpr std::uint64_t kDoubleSign = std::uint64_t{1} << 63;
constexpr std::uint64_t kDoubleInfinity = std::uint64_t{0x7FF} << 52;
constexpr std::uint32_t kFloatSign = std::uint32_t{1} << 31;
constexpr std::uint32_t kFloatInfinity = std::uint32_t{0xFF} << 23;

[[noreturn]] void broken(const char* what) {
    std::fprintf(stderr, "exact_reading: %s\n", what);
    std::abort();
}

// ---- Syntax ------------------------------------------------------------------

enum State : std::uint8_t {
    s_start,
    s_sign,        // the sign of the number
    s_integer,     // digits, no point yet
    s_point_only,  // a point with no digit before it, none after it yet
    s_fraction,    // a point and at least one mantissa digit
    s_letter,      // an exponent letter
    s_exp_sign,    // the sign of the exponent, after a letter or alone
    s_exp_digits,
    s_reject,
};

enum CharClass : std::uint8_t { c_digit, c_point, c_sign, c_letter, c_other };

constexpr State kNext[8][5] = {
    //            digit         point         sign        letter    other
    /* start */ {s_integer, s_point_only, s_sign, s_reject, s_reject},
    /* sign */ {s_integer, s_point_only, s_reject, s_reject, s_reject},
    /* integer */ {s_integer, s_fraction, s_exp_sign, s_letter, s_reject},
    /* point_only */ {s_fraction, s_reject, s_reject, s_reject, s_reject},
    /* fraction */ {s_fraction, s_reject, s_exp_sign, s_letter, s_reject},
    /* letter */ {s_exp_digits, s_reject, s_exp_sign, s_reject, s_reject},
    /* exp_sign */ {s_exp_digits, s_reject, s_reject, s_reject, s_reject},
    /* exp_digits */ {s_exp_digits, s_reject, s_reject, s_reject, s_reject},
};

CharClass class_of(char c) {
    if (c >= '0' && c <= '9') return c_digit;
    if (c == '.') return c_point;
    if (c == '+' || c == '-') return c_sign;
    if (c == 'E' || c == 'e' || c == 'D' || c == 'd') return c_letter;
    return c_other;
}

bool accepting(State s) { return s == s_integer || s == s_fraction || s == s_exp_digits; }

// What the scan of a text found.
struct Scan {
    bool valid = false;
    bool negative = false;
    long digits_before_point = 0;
    long leading_zeros = 0;  // zeros before the first non-zero digit, on either side of the point
    int kept = 0;            // significant digits kept, at most kKeptDigits
    char kept_digits[kKeptDigits] = {};
    bool exponent_negative = false;
    // magnitude, saturated at kWrittenExponentCeiling; 64 bits, since ten times
    // the ceiling must not overflow where a long has 32 (Windows)
    std::int64_t written_exponent = 0;
};

Scan scan(std::string_view text) {
    Scan found;
    State state = s_start;
    bool significant = false;
    for (const char c : text) {
        const CharClass cls = class_of(c);
        const State next = kNext[state][cls];
        if (next == s_reject) return found;
        if (cls == c_sign) {
            if (state == s_start) {
                found.negative = c == '-';
            } else {
                found.exponent_negative = c == '-';
            }
        } else if (cls == c_digit) {
            if (next == s_exp_digits) {
                found.written_exponent =
                    std::min(kWrittenExponentCeiling, found.written_exponent * 10 + (c - '0'));
            } else {
                if (next == s_integer) ++found.digits_before_point;
                if (!significant && c == '0') {
                    ++found.leading_zeros;
                } else {
                    significant = true;
                    if (found.kept < kKeptDigits) found.kept_digits[found.kept++] = c;
                }
            }
        }
        state = next;
    }
    found.valid = accepting(state);
    return found;
}

// ---- Binary rounding ---------------------------------------------------------

// A value significand x 2^lsb.
struct Rounded {
    std::uint64_t significand = 0;
    int lsb = 0;
};

// Rounds the value (q + f) x 2^-s, where f is a fraction in [0, 1) that is
// non-zero exactly when `sticky` is set, to `precision` bits with units of
// at least 2^min_lsb, to nearest with ties to even.
Rounded round_to_format(std::uint64_t q, int s, bool sticky, int precision, int min_lsb) {
    if (q == 0) broken("rounding a value with no leading bits");
    const int width = std::bit_width(q);
    const int top = width - 1 - s;  // floor(log2 value)
    int lsb = std::max(top - (precision - 1), min_lsb);
    const int shift = lsb + s;  // bits of q below the unit kept
    if (shift <= 0) {
        if (sticky) broken("rounding with too few bits");
        return {q << -shift, lsb};
    }
    std::uint64_t kept = 0;
    std::uint64_t rest = 0;
    std::uint64_t half = 0;
    if (shift > 64) {
        // value < 2^(width - s) <= 2^(lsb - 1): less than half a unit.
        return {0, lsb};
    }
    if (shift == 64) {
        rest = q;
        half = std::uint64_t{1} << 63;
    } else {
        kept = q >> shift;
        rest = q & ((std::uint64_t{1} << shift) - 1);
        half = std::uint64_t{1} << (shift - 1);
    }
    const bool up = rest > half || (rest == half && (sticky || (kept & 1) != 0));
    if (up) ++kept;
    if (kept == (std::uint64_t{1} << precision)) {
        kept >>= 1;
        ++lsb;
    }
    return {kept, lsb};
}

std::uint64_t encode_double(Rounded r) {
    if (r.significand == 0) return 0;
    const int width = std::bit_width(r.significand);
    if (width - 1 + r.lsb >= 1024) return kDoubleInfinity;
    if (width == 53) {
        const auto biased = static_cast<std::uint64_t>(r.lsb + 1075);
        return (biased << 52) | (r.significand & ((std::uint64_t{1} << 52) - 1));
    }
    if (r.lsb != -1074 || width > 53) broken("double neither normal nor denormal");
    return r.significand;
}

std::uint32_t encode_float(Rounded r) {
    if (r.significand == 0) return 0;
    const int width = std::bit_width(r.significand);
    if (width - 1 + r.lsb >= 128) return kFloatInfinity;
    if (width == 24) {
        const auto biased = static_cast<std::uint32_t>(r.lsb + 150);
        return (biased << 23) | static_cast<std::uint32_t>(r.significand & ((1u << 23) - 1));
    }
    if (r.lsb != -149 || width > 24) broken("float neither normal nor denormal");
    return static_cast<std::uint32_t>(r.significand);
}

// The magnitude of the double nearest to kept_digits x 10^q, or infinity.
std::uint64_t nearest_double_of_decimal(const BigUint& digits, long q) {
    constexpr int kQuotientBits = 55;  // the quotient has 55 or 56 bits
    std::uint64_t quotient = 0;
    int s = 0;
    bool sticky = false;
    if (q >= 0) {
        BigUint n = digits;
        for (long left = q; left > 0; left -= 19) {
            std::uint64_t factor = 1;
            for (long i = std::min(left, 19L); i > 0; --i) factor *= 10;
            n.multiply_small(factor);
        }
        const int width = n.bit_length();
        if (width >= kQuotientBits) {
            const int drop = width - kQuotientBits;
            quotient = n.bits_from(drop) & ((std::uint64_t{1} << kQuotientBits) - 1);
            sticky = n.any_bit_below(drop);
            s = -drop;
        } else {
            quotient = n.bits_from(0) << (kQuotientBits - width);
            s = kQuotientBits - width;
        }
    } else {
        // digits / 10^-q = a / b with a / b in [2^54, 2^56), then long
        // division one bit at a time.
        const BigUint p = BigUint::power_of_ten(static_cast<int>(-q));
        BigUint a = digits;
        BigUint b = p;
        s = p.bit_length() - digits.bit_length() + kQuotientBits;
        if (s >= 0) {
            a.shift_left(s);
        } else {
            b.shift_left(-s);
        }
        BigUint d = b;
        d.shift_left(kQuotientBits);
        for (int bit = kQuotientBits; bit >= 0; --bit) {
            if (compare(a, d) >= 0) {
                a.subtract(d);
                quotient |= std::uint64_t{1} << bit;
            }
            d.shift_right(1);
        }
        if (compare(a, b) >= 0) broken("quotient wider than planned");
        sticky = !a.is_zero();
    }
    const int width = std::bit_width(quotient);
    if (width < kQuotientBits || width > kQuotientBits + 1) broken("quotient of unexpected width");
    return encode_double(round_to_format(quotient, s, sticky, 53, -1074));
}

}  // namespace

bool matches_number_syntax(std::string_view text) { return scan(text).valid; }

std::uint64_t nearest_double_bits(std::uint64_t s, int exponent) {
    if (s == 0) return 0;
    return encode_double(round_to_format(s, -exponent, false, 53, -1074));
}

std::uint32_t nearest_float_bits(std::uint64_t double_bits) {
    const bool negative = (double_bits & kDoubleSign) != 0;
    const std::uint32_t sign = negative ? kFloatSign : 0;
    const std::uint64_t biased = (double_bits >> 52) & 0x7FF;
    const std::uint64_t fraction = double_bits & ((std::uint64_t{1} << 52) - 1);
    if (biased == 0x7FF) broken("no single precision for infinity or NaN");
    if (biased == 0 && fraction == 0) return sign;
    const std::uint64_t q = biased == 0 ? fraction : fraction | (std::uint64_t{1} << 52);
    const int lsb = biased == 0 ? -1074 : static_cast<int>(biased) - 1075;
    return sign | encode_float(round_to_format(q, -lsb, false, 24, -149));
}

std::uint64_t single_bound_bits() {
    // (2^24 - 1) x 2^104 + 2^75 = ((2^24 - 1) x 2^29 + 1) x 2^75
    return nearest_double_bits(((std::uint64_t{1} << 24) - 1) << 29 | 1, 75);
}

ExactReading exact_reading(std::string_view text) {
    ExactReading result;
    const Scan found = scan(text);
    if (!found.valid) return result;  // invalid_number

    const std::uint64_t double_sign = found.negative ? kDoubleSign : 0;
    const std::uint32_t float_sign = found.negative ? kFloatSign : 0;
    ExactReading zero;
    zero.ok = true;
    zero.float_bits = float_sign;
    zero.has_double = true;
    zero.double_bits = double_sign;

    // A mantissa of zeros is zero, whatever the exponent says.
    if (found.kept == 0) return zero;

    const std::int64_t written = found.exponent_negative ? -found.written_exponent : found.written_exponent;
    // value = kept_digits x 10^q; its first digit stands for 10^first.
    const std::int64_t first = found.digits_before_point - found.leading_zeros - 1 + written;
    const std::int64_t q = first - (found.kept - 1);

    // The decimal exponent bound. Counting the exponent from the first digit
    // or from just before it, or saturating the written exponent anywhere
    // from 5201 up, changes nothing: the bound lies far outside the range of
    // double precision on both sides.
    if (first > kDecimalExponentBound) {
        result.cause = FailureCause::number_out_of_range;
        return result;
    }
    if (first < -kDecimalExponentBound) return zero;
    // Beyond the double range without computing: 10^309 > 2^1024, and
    // 10^24 x 10^-350 < 2^-1075, less than half the smallest denormal.
    if (q > 308) {
        result.cause = FailureCause::number_out_of_range;
        return result;
    }
    if (q < -349) return zero;

    const BigUint digits = BigUint::from_decimal(std::string_view(found.kept_digits, found.kept));
    const std::uint64_t magnitude = nearest_double_of_decimal(digits, q);
    if (magnitude == kDoubleInfinity) {
        result.cause = FailureCause::number_out_of_range;
        return result;
    }
    result.has_double = true;
    result.double_bits = double_sign | magnitude;
    // Positive doubles are ordered as their bits are.
    if (magnitude > single_bound_bits()) {
        result.cause = FailureCause::real_overflow;
        return result;
    }
    result.ok = true;
    result.float_bits = nearest_float_bits(result.double_bits);
    return result;
}

std::string_view cause_name(FailureCause cause) {
    switch (cause) {
    case FailureCause::invalid_number: return "invalid_number";
    case FailureCause::number_out_of_range: return "number_out_of_range";
    case FailureCause::real_overflow: return "real_overflow";
    case FailureCause::value_too_long: return "value_too_long";
    case FailureCause::text_not_real: return "text_not_real";
    default: return "another cause";
    }
}

std::string describe(const ExactReading& reading) {
    char buffer[96];
    if (reading.ok) {
        std::snprintf(buffer, sizeof buffer, "ok 0x%08x (%.9g)", reading.float_bits,
                      static_cast<double>(std::bit_cast<float>(reading.float_bits)));
        return buffer;
    }
    return std::string(cause_name(reading.cause));
}

}  // namespace sotra::differential
