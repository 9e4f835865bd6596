// Decimal rendering of single-precision reals.
//
// A value is first taken apart into its sign, up to 17 significant decimal
// digits and a decimal exponent (real_digits), then rounded to the digits it
// will show (apply_rounding) and written in fixed-point or exponent form.
// The rounding is done twice on purpose: the exact value is rounded half up
// to 17 digits, and those 17 digits are rounded half up again to the digits
// shown. Every digit beyond the 7th significant one is written as 0.
#pragma once

#include <cstdint>
#include <string>

namespace sotra {

struct RealDigits {
    bool negative = false;  // false for a zero of either sign
    std::string digits;     // significant digits, no trailing zeros ("0" for zero)
    int32_t exponent = 0;   // magnitude = 0.d1d2d3... x 10^exponent; 0 for zero
    bool finite = true;     // false for an infinity or a NaN
    std::string text;       // "1#INF", "1#IND", "1#QNAN" or "1#SNAN" when not finite
};

// Takes a single-precision value apart: its exact magnitude cut to 18
// significant digits, rounded half up to 17, trailing zeros dropped.
RealDigits real_digits(float value);

// Rounds `r` half up (ties away from zero) to `n` significant digits, n >= 0.
// Returns true when the rounding gained a leading digit (999 -> 1000); the
// exponent then grows by one, except for n = 0, where it stays.
// A negative value that keeps no digit other than 0 loses its sign.
bool apply_rounding(RealDigits& r, int n);

// Fixed-point form with `decimals` decimals of a finite value: an optional
// "-", the integer digits (none for a magnitude below 1, except "0" when
// there are no decimals), ".", the decimals. At most 7 significant digits.
std::string render_fixed(float value, int decimals);

// Exponent form of a finite value: d.ddddddE+dd, with "-" in front when negative.
std::string render_exponent(float value);

// The code text of an infinity or NaN, cut or padded with "." to `length`.
std::string render_non_finite(float value, int length);

}  // namespace sotra
