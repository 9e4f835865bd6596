// The compute floor: the write-only floor plus one evaluation of the Debye
// function per point, as the run forms it (theta 345 K, n = 2).
//   compute_floor POINTS   (writes SOTRA.DAT and SOTRA.GNP here)
#include "bench/floor.h"
#include "calc/debye_heat_capacity.h"

namespace {
volatile float sink;
}

int main(int argc, char** argv) {
    sotra::bench::write_run(sotra::bench::points_argument(argc, argv), [](float t) {
        const double x = 345.0 / static_cast<double>(t);
        sink = static_cast<float>(sotra::debye_heat_capacity(x) * 6.0);
    });
}
