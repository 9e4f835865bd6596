#include "records/number_conversion.h"

#include <cmath>
#include <cstdlib>
#include <string>

#include "platform/float_traps.h"

namespace sotra {
namespace {

constexpr int kSignificantDigits = 24;
constexpr long kExponentLimit = 5200;
constexpr double kSingleBound = 3.402823466385289e38;

bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_sign(char c) { return c == '+' || c == '-'; }
bool is_exponent_letter(char c) { return c == 'E' || c == 'e' || c == 'D' || c == 'd'; }

// The parts of a number that matched the syntax.
struct Parsed {
    bool negative = false;
    std::string digits;      // significant digits kept, leading zeros dropped
    long point_exponent = 0; // value = 0.digits x 10^point_exponent, before the written exponent
    long written_exponent = 0;
};

bool parse(std::string_view text, Parsed& parsed) {
    std::size_t pos = 0;
    // 1. Sign.
    if (pos < text.size() && is_sign(text[pos])) parsed.negative = text[pos++] == '-';
    // 2. Mantissa.
    bool any_digit = false;
    bool seen_point = false;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (c == '.') {
            if (seen_point) return false;
            seen_point = true;
            continue;
        }
        if (!is_digit(c)) break;
        any_digit = true;
        if (parsed.digits.empty() && c == '0') {
            if (seen_point) --parsed.point_exponent;  // a zero before the first significant digit
            continue;
        }
        if (!seen_point) ++parsed.point_exponent;
        if (parsed.digits.size() < kSignificantDigits) parsed.digits.push_back(c);
    }
    if (!any_digit) return false;
    if (pos == text.size()) return true;
    // 3. Exponent: a letter and an optional sign, or a sign alone.
    if (is_exponent_letter(text[pos])) {
        ++pos;
        if (pos < text.size() && is_sign(text[pos])) ++pos;
    } else if (is_sign(text[pos])) {
        ++pos;
    } else {
        return false;
    }
    const bool exponent_negative = text[pos - 1] == '-';
    if (pos == text.size()) return false;
    long magnitude = 0;
    for (; pos < text.size(); ++pos) {
        if (!is_digit(text[pos])) return false;
        if (magnitude <= kExponentLimit) magnitude = magnitude * 10 + (text[pos] - '0');
    }
    if (magnitude > kExponentLimit) magnitude = kExponentLimit + 1;
    parsed.written_exponent = exponent_negative ? -magnitude : magnitude;
    return true;
}

}  // namespace

ConvertedReal convert_real(std::string_view text) {
    ConvertedReal result;
    Parsed parsed;
    if (!parse(text, parsed)) return result;

    const float zero = parsed.negative ? -0.0f : 0.0f;
    result.ok = true;
    result.value = zero;
    // A mantissa of zeros is zero whatever the exponent.
    if (parsed.digits.empty()) return result;
    const long exponent = parsed.written_exponent + parsed.point_exponent;
    if (exponent > kExponentLimit) {
        result.ok = false;
        result.cause = FailureCause::number_out_of_range;
        return result;
    }
    if (exponent < -kExponentLimit) return result;

    // The nearest double to 0.digits x 10^exponent, then single precision;
    // an out-of-range value raises exceptions that must not trap here.
    const os::QuietFloatScope quiet;
    std::string normal = parsed.negative ? "-0." : "0.";
    normal += parsed.digits;
    normal += 'e';
    normal += std::to_string(exponent);
    const double d = std::strtod(normal.c_str(), nullptr);
    if (std::isinf(d)) {
        result.ok = false;
        result.cause = FailureCause::number_out_of_range;
        return result;
    }
    if (d > kSingleBound || d < -kSingleBound) {
        result.ok = false;
        result.cause = FailureCause::real_overflow;
        return result;
    }
    result.value = static_cast<float>(d);
    return result;
}

}  // namespace sotra
