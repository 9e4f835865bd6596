// The program's main routine: the dialogue, the sweep, the output files,
// the plot and the stop.
#pragma once

namespace sotra {

// Holds the console dialogue, tabulates Cv/R over the temperature sweep into
// SOTRA.DAT and SOTRA.GNP, runs the plotter and stops with
// " Resultados en SOTRA.DAT". Never returns.
[[noreturn]] void calculation_run();

}  // namespace sotra
