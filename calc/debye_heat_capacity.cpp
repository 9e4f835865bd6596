#include "calc/debye_heat_capacity.h"

#include <cmath>

namespace sotra {
namespace {

// Region bounds.
constexpr double kRegion2Top = 10.0;
constexpr double kRegion3Top = 15.0;
constexpr double kRegion4Top = 30.0;

// Region 2: the rational approximation P(x)/Q(x) of the Debye function D3.
constexpr double kP0 = 3953.632;
constexpr double kP1 = 800.6087;
constexpr double kP2 = 85.07724;
constexpr double kP3 = 4.432582;
constexpr double kP4 = 0.0946173;
constexpr double kQ0 = 3953.632;
constexpr double kQ1 = 682.0012;
constexpr double kQ2 = 143.155337;
constexpr double kQ3 = 15.121491;

// Region 3: centre and scale are single-precision constants widened to
// double (12.649999618530273 and 3.722219944000244), not the decimals.
constexpr double kCentre = static_cast<double>(12.65f);
constexpr double kScale = static_cast<double>(3.72222f);
constexpr double kPolynomial[8] = {
    0.038325330510735,     -0.033378319653339,    0.018931752440859,
    -0.0085545016616321,   0.0032348262820878,    -0.0010169656546186,
    0.00023378056273646,   -0.000023474535567502,
};

// Regions 4 and 5: 4 pi^4 / 5 to ten significant digits, and the
// coefficients of the correction of region 4.
constexpr double kAsymptotic = 77.92727282;
constexpr double kCorrection0 = 12.0;
constexpr double kCorrection1 = 36.0;
constexpr double kCorrection2 = 72.0;
constexpr double kCorrection3 = 72.0;

// y^k for a whole k >= 0 by repeated squaring, as an integer power is
// evaluated; y^0 is 1, also for y = 0.
double integer_power(double y, unsigned k) {
    double result = 1.0;
    double base = y;
    for (;;) {
        if (k & 1u) result *= base;
        k >>= 1;
        if (k == 0) break;
        base *= base;
    }
    return result;
}

// 3x / (e^x - 1), the term shared by regions 2 and 4.
double planck_term(double x) {
    return 3.0 * x / (std::exp(x) - 1.0);
}

double region2(double x) {
    const double x2 = std::pow(x, 2.0);
    const double x3 = std::pow(x, 3.0);
    const double x4 = std::pow(x, 4.0);
    // 1. P, added and subtracted from left to right as grouped here.
    const double p = (kP2 * x2 + (kP0 - kP1 * x)) - kP3 * x3 + kP4 * x4;
    // 2. Q, added from left to right.
    const double q = kQ3 * x3 + kQ2 * x2 + kQ1 * x + x4 + kQ0;
    // 3. The Planck term; divides by zero when e^x rounds to 1.
    const double e = planck_term(x);
    // 4. Four times D3 less the Planck term.
    return (4.0 * p) / q - e;
}

double region3(double x) {
    // 1. The reduced variable, between about -0.712 and 0.631.
    const double y = (x - kCentre) / kScale;
    // 2. Terms summed from the constant one upward (not Horner's scheme).
    double s = 0.0;
    for (unsigned k = 1; k <= 8; ++k) {
        s = s + integer_power(y, k - 1) * kPolynomial[k - 1];
    }
    return s;
}

double region4(double x) {
    const double x2 = std::pow(x, 2.0);
    const double x3 = std::pow(x, 3.0);
    // 1. The leading asymptotic term.
    const double r = kAsymptotic / x3;
    // 2. The correction polynomial in 1/x.
    double c = kCorrection3 / x2 + kCorrection2 / x3;
    c = c + kCorrection1 / x;
    c = c + kCorrection0;
    // 3. Damped by e^-x.
    c = c * std::exp(-x);
    // 4. Plus the Planck term.
    c = c + planck_term(x);
    // 5.
    return r - c;
}

double region5(double x) {
    return kAsymptotic / std::pow(x, 3.0);
}

}  // namespace

double debye_heat_capacity(double x) {
    if (!(x > 0.0)) return 0.0;  // region 1, a NaN included
    if (x > kRegion3Top) return x <= kRegion4Top ? region4(x) : region5(x);
    if (x > kRegion2Top) return region3(x);
    return region2(x);
}

}  // namespace sotra
