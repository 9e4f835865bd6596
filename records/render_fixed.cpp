// render_fixed: the fixed-point form of a finite single-precision value with
// a given number of decimals and at most 7 significant digits.
#include "records/decimal_rendering.h"
#include "records/digit_source.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

namespace sotra {

std::size_t write_fixed(RealDigits& r, int decimals, char* end) {
    // Wide enough that no field width can overflow the place arithmetic.
    const int64_t d = std::max(decimals, 0);

    // 1. a: digits before the point, or when negative, zeros after it before
    //    the first digit; t: significant places down to the last decimal.
    //    A zero has nothing before the point.
    int64_t a = r.digits == "0" ? 0 : r.exponent;
    int64_t t = a + d;

    if (a < -d) {
        // 2. Too small to reach the last decimal: all zeros, no sign.
        a = -d;
        t = 0;
        r.negative = false;
    } else if (apply_rounding(r, static_cast<int>(std::min<int64_t>(kShownDigits, t)))) {
        // 3. Rounded to what is shown; a gained digit moves the point.
        ++a;
        ++t;
    }

    // 4. Sign, integer digits (a lone 0 only with nothing else to show),
    //    point, exactly d decimals: first -a zeros when a < 0, then the
    //    digits after the integer ones. Written from the last decimal back.
    char* p = end;
    const int64_t leading_zeros = std::min(d, std::max<int64_t>(-a, 0));
    const int64_t integer_digits = std::max<int64_t>(a, 0);
    for (int64_t i = d - 1; i >= leading_zeros; --i) {
        *--p = digit_or_zero(r.digits, integer_digits + i - leading_zeros);
    }
    for (int64_t i = 0; i < leading_zeros; ++i) {
        *--p = '0';
    }
    *--p = '.';
    for (int64_t i = integer_digits - 1; i >= 0; --i) {
        *--p = digit_or_zero(r.digits, i);
    }
    if (a == 0 && t == 0) {
        *--p = '0';
    }
    if (r.negative) {
        *--p = '-';
    }
    return static_cast<std::size_t>(end - p);
}

std::string render_fixed(float value, int decimals) {
    RealDigits r = real_digits(value);
    std::string out(fixed_text_capacity(decimals), '\0');
    const std::size_t length = write_fixed(r, decimals, out.data() + out.size());
    out.erase(0, out.size() - length);
    return out;
}

}  // namespace sotra
