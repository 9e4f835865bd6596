// Heat capacity at constant volume of one vibrational mode in the Debye
// model, in units of 3R, as a function of x = theta / T.
#pragma once

namespace sotra {

// Cv/(3R) per mode: 0 for x <= 0 (and for a NaN), tending to 1 as x falls
// towards 0, and 77.92727282 / x^3 at large x. A piecewise approximation in
// five regions of x, each bound belonging to the region below it:
//   x <= 0         0
//   0 < x <= 10    4 P(x)/Q(x) - 3x/(e^x - 1), P/Q a rational fit of D3(x)
//   10 < x <= 15   polynomial of degree 7 in y = (x - 12.65) / 3.72222
//   15 < x <= 30   asymptotic expansion with its e^-x correction
//   x > 30         77.92727282 / x^3
// Every step is evaluated in double precision in the order written in the
// implementation; the regions do not join exactly and are not meant to.
// A positive x so small that e^x - 1 is 0 divides by zero (a floating-point
// trap when traps are enabled).
double debye_heat_capacity(double x);

}  // namespace sotra
