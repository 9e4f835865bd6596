// The write-only floor: the bytes of an N-point run in 1024-byte blocks,
// nothing formatted or computed.
//   write_floor POINTS   (writes SOTRA.DAT and SOTRA.GNP here)
#include "bench/floor.h"

int main(int argc, char** argv) {
    sotra::bench::write_run(sotra::bench::points_argument(argc, argv), [](float) {});
}
