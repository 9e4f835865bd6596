#include "calc/debye_heat_capacity.h"

#include <cmath>
#include <iomanip>
#include <limits>

#include <gtest/gtest.h>

namespace sotra {
namespace {

// Agreement to ten significant digits.
void expect_ten_digits(double expected, double actual, double x) {
    if (expected == 0.0) {
        EXPECT_EQ(actual, 0.0) << "x = " << x;
        return;
    }
    EXPECT_LE(std::fabs(actual - expected), 0.5e-9 * std::fabs(expected))
        << "x = " << x << ": got " << std::setprecision(12) << actual << ", want " << expected;
}

struct Reference {
    double x;
    double value;
};

// One row per reference value, in the five regions and at their bounds.
constexpr Reference kReferences[] = {
    {-1.0, 0.0},
    {0.0, 0.0},
    {0.001, 0.9999999521},
    {1.0, 0.9517326563},
    {5.0, 0.3686321356},
    {10.0, 0.07582153691},
    {10.000001, 0.07582102508},
    {12.65, 0.03832532709},
    {15.0, 0.02307129366},
    {15.000001, 0.02307128270},
    {20.0, 0.009740756600},
    {30.0, 0.002886195280},
    {30.000001, 0.002886195001},
    {50.0, 0.0006234181826},
};

TEST(DebyeHeatCapacityTest, ReferenceValues) {
    for (const Reference& row : kReferences) expect_ten_digits(row.value, debye_heat_capacity(row.x), row.x);
}

TEST(DebyeHeatCapacityTest, NotPositiveIsExactlyZero) {
    for (const double x : {0.0, -0.0, -1e-300, -5.0, -std::numeric_limits<double>::infinity(),
                           std::numeric_limits<double>::quiet_NaN()}) {
        EXPECT_EQ(debye_heat_capacity(x), 0.0) << x;
    }
}

TEST(DebyeHeatCapacityTest, TendsToOneAsXFalls) {
    EXPECT_NEAR(debye_heat_capacity(1e-6), 1.0, 1e-9);
    EXPECT_LT(debye_heat_capacity(1e-6), 1.0);
}

// Each bound belongs to the region below it, and the regions do not join
// exactly: the steps across the bounds have fixed sizes and signs.
struct Step {
    double bound;
    double expected_step;  // value just above minus value at the bound
    double tolerance;
};

constexpr Step kSteps[] = {
    {10.0, -4.9e-7, 0.1e-7},
    {15.0, -6.4e-9, 0.2e-9},
    {30.0, 1.0e-11, 0.3e-11},
};

TEST(DebyeHeatCapacityTest, StepsAcrossRegionBounds) {
    for (const Step& row : kSteps) {
        const double above = std::nextafter(row.bound, 100.0);
        const double step = debye_heat_capacity(above) - debye_heat_capacity(row.bound);
        EXPECT_NEAR(step, row.expected_step, row.tolerance) << "bound " << row.bound;
    }
}

TEST(DebyeHeatCapacityTest, CentreOfPolynomialIsTheSinglePrecisionValue) {
    // At the decimal 12.65 the polynomial is not at its centre: the centre
    // is the single-precision 12.649999618530273.
    const double at_decimal = debye_heat_capacity(12.65);
    EXPECT_NE(at_decimal, 0.038325330510735);
    EXPECT_EQ(debye_heat_capacity(static_cast<double>(12.65f)), 0.038325330510735);
}

TEST(DebyeHeatCapacityTest, AsymptoticRegionIsInverseCube) {
    for (const double x : {31.0, 100.0, 1e6}) {
        EXPECT_DOUBLE_EQ(debye_heat_capacity(x), 77.92727282 / std::pow(x, 3.0)) << x;
    }
}

}  // namespace
}  // namespace sotra
