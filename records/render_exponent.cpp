// render_exponent: the exponent form d.ddddddE+dd of a finite
// single-precision value, 7 significant digits.
#include "records/decimal_rendering.h"
#include "records/digit_source.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace sotra {

std::size_t write_exponent(const DecimalValue& v, char* end) {
    // 1. The digits, rounded to the 7 shown; a gained digit moves the
    //    exponent.
    const ShownDigits shown(v, kShownDigits);
    const int32_t exponent = shown.rounded().gained ? v.exponent + 1 : v.exponent;

    // 2. Sign, first digit, point, six more digits, then the exponent of the
    //    first digit: E, sign, two digits. An exponent beyond 99 takes the
    //    place of the E and is written with three digits. Written from the
    //    last character back: the exponent first.
    char* p = end;
    const int32_t x = v.zero() ? 0 : exponent - 1;
    const uint32_t magnitude = x < 0 ? 0u - static_cast<uint32_t>(x) : static_cast<uint32_t>(x);
    *--p = static_cast<char>('0' + magnitude % 10);
    *--p = static_cast<char>('0' + magnitude / 10 % 10);
    if (magnitude > 99) {
        *--p = static_cast<char>('0' + magnitude / 100 % 10);
    }
    *--p = x < 0 ? '-' : '+';
    if (magnitude <= 99) {
        *--p = 'E';
    }

    // Before it the digits, the point and the sign.
    for (int i = kShownDigits - 1; i >= 1; --i) {
        *--p = shown[i];
    }
    *--p = '.';
    *--p = shown[0];
    if (v.negative) {
        *--p = '-';
    }
    return static_cast<std::size_t>(end - p);
}

std::string render_exponent(float value) {
    char text[kExponentTextCapacity];
    const std::size_t length = write_exponent(decimal_value(value), text + kExponentTextCapacity);
    return std::string(text + kExponentTextCapacity - length, length);
}

}  // namespace sotra
