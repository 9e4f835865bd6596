// render_exponent: the exponent form d.ddddddE+dd of a finite
// single-precision value, 7 significant digits.
#include "records/decimal_rendering.h"
#include "records/digit_source.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace sotra {

std::size_t write_exponent(RealDigits r, char* out) {
    // 1. The digits, rounded to the 7 shown; a gained digit is already in the
    //    exponent.
    const bool zero = r.digits == "0";
    apply_rounding(r, kShownDigits);

    // 2. Sign, first digit, point, six more digits.
    char* p = out;
    if (r.negative) {
        *p++ = '-';
    }
    DigitSource source{r.digits};
    *p++ = source.take();
    *p++ = '.';
    for (int i = 1; i < kShownDigits; ++i) {
        *p++ = source.take();
    }

    // 3. The exponent of the first digit: E, sign, two digits. An exponent
    //    beyond 99 takes the place of the E and is written with three digits.
    const int32_t x = zero ? 0 : r.exponent - 1;
    const uint32_t magnitude = x < 0 ? 0u - static_cast<uint32_t>(x) : static_cast<uint32_t>(x);
    if (magnitude <= 99) {
        *p++ = 'E';
    }
    *p++ = x < 0 ? '-' : '+';
    if (magnitude > 99) {
        *p++ = static_cast<char>('0' + magnitude / 100 % 10);
    }
    *p++ = static_cast<char>('0' + magnitude / 10 % 10);
    *p++ = static_cast<char>('0' + magnitude % 10);
    return static_cast<std::size_t>(p - out);
}

std::string render_exponent(float value) {
    char text[kExponentTextCapacity];
    return std::string(text, write_exponent(real_digits(value), text));
}

}  // namespace sotra
