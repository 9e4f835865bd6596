// render_exponent: the exponent form d.ddddddE+dd of a finite
// single-precision value, 7 significant digits.
#include "records/decimal_rendering.h"
#include "records/digit_source.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace sotra {
namespace {

// Appends `magnitude` in decimal with at least `width` digits.
void append_padded(std::string& out, uint32_t magnitude, int width) {
    char buffer[10];
    int count = 0;
    do {
        buffer[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    for (int i = count; i < width; ++i) {
        out += '0';
    }
    while (count > 0) {
        out += buffer[--count];
    }
}

}  // namespace

std::string render_exponent(float value) {
    // 1. The digits, rounded to the 7 shown; a gained digit is already in the
    //    exponent.
    RealDigits r = real_digits(value);
    const bool zero = r.digits == "0";
    apply_rounding(r, kShownDigits);

    // 2. Sign, first digit, point, six more digits.
    std::string out;
    out.reserve(14);
    if (r.negative) {
        out += '-';
    }
    DigitSource source{r.digits};
    out += source.take();
    out += '.';
    for (int i = 1; i < kShownDigits; ++i) {
        out += source.take();
    }

    // 3. The exponent of the first digit: E, sign, two digits. An exponent
    //    beyond 99 takes the place of the E and is written with three digits.
    const int32_t x = zero ? 0 : r.exponent - 1;
    const uint32_t magnitude = x < 0 ? 0u - static_cast<uint32_t>(x) : static_cast<uint32_t>(x);
    if (magnitude <= 99) {
        out += 'E';
    }
    out += x < 0 ? '-' : '+';
    append_padded(out, magnitude, magnitude <= 99 ? 2 : 3);
    return out;
}

}  // namespace sotra
