// render_fixed: the fixed-point form of a finite single-precision value with
// a given number of decimals and at most 7 significant digits.
#include "records/decimal_rendering.h"
#include "records/digit_source.h"
#include "records/fixed_six_decimals.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

namespace sotra {

std::size_t write_fixed(const DecimalValue& v, int decimals, char* end) {
    // The common case, a free-format real: six decimals, 1 <= |value| < 10^7.
    if (decimals == 6 && !v.zero() && v.exponent >= 1 && v.exponent <= 7) {
        return write_fixed_six_decimals(v, end);
    }

    // Wide enough that no field width can overflow the place arithmetic.
    const int64_t d = std::max(decimals, 0);

    // 1. a: digits before the point, or when negative, zeros after it before
    //    the first digit; t: significant places down to the last decimal.
    //    A zero has nothing before the point.
    int64_t a = v.zero() ? 0 : v.exponent;
    int64_t t = a + d;
    bool negative = v.negative;

    // 2. Too small to reach the last decimal: all zeros, no sign, no
    //    rounding (no digit is shown).
    const bool too_small = a < -d;
    if (too_small) {
        a = -d;
        t = 0;
        negative = false;
    }

    // 3. Rounded to what is shown; a gained digit moves the point. A
    //    negative value that shows only zeros loses its sign.
    const ShownDigits shown(v, too_small ? 0 : static_cast<int>(std::min<int64_t>(kShownDigits, t)));
    if (!too_small) {
        if (shown.rounded().gained) {
            ++a;
            ++t;
        }
        if (shown.rounded().digits == 0) negative = false;
    }

    // 4. Sign, integer digits (a lone 0 only with nothing else to show),
    //    point, exactly d decimals: first -a zeros when a < 0, then the
    //    digits after the integer ones. Written from the last decimal back.
    char* p = end;
    const int64_t leading_zeros = std::min(d, std::max<int64_t>(-a, 0));
    const int64_t integer_digits = std::max<int64_t>(a, 0);
    for (int64_t i = d - 1; i >= leading_zeros; --i) {
        *--p = shown[integer_digits + i - leading_zeros];
    }
    for (int64_t i = 0; i < leading_zeros; ++i) {
        *--p = '0';
    }
    *--p = '.';
    for (int64_t i = integer_digits - 1; i >= 0; --i) {
        *--p = shown[i];
    }
    if (a == 0 && t == 0) {
        *--p = '0';
    }
    if (negative) {
        *--p = '-';
    }
    return static_cast<std::size_t>(end - p);
}

std::string render_fixed(float value, int decimals) {
    std::string out(fixed_text_capacity(decimals), '\0');
    const std::size_t length = write_fixed(decimal_value(value), decimals, out.data() + out.size());
    out.erase(0, out.size() - length);
    return out;
}

}  // namespace sotra
