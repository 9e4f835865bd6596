// render_fixed: the fixed-point form of a finite single-precision value with
// a given number of decimals and at most 7 significant digits.
#include "records/decimal_rendering.h"
#include "records/digit_source.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

namespace sotra {

std::string render_fixed(float value, int decimals) {
    // Wide enough that no field width can overflow the place arithmetic.
    const int64_t d = std::max(decimals, 0);
    RealDigits r = real_digits(value);

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
    //    point, exactly d decimals.
    std::string out;
    out.reserve(static_cast<std::size_t>(std::max<int64_t>(a, 0) + d + 3));
    if (r.negative) {
        out += '-';
    }
    if (a == 0 && t == 0) {
        out += '0';
    }
    DigitSource source{r.digits};
    for (int64_t i = 0; i < a; ++i) {
        out += source.take();
    }
    out += '.';
    const int64_t leading_zeros = std::min(d, std::max<int64_t>(-a, 0));
    out.append(static_cast<std::size_t>(leading_zeros), '0');
    for (int64_t i = leading_zeros; i < d; ++i) {
        out += source.take();
    }
    return out;
}

}  // namespace sotra
