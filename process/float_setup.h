// The floating-point set-up made at start-up, and the handler that turns a
// trap into an M-class diagnostic.
#pragma once

#include "platform/float_traps.h"

namespace sotra {

// Rounds to nearest in double precision; invalid operation, division by
// zero and overflow trap, the others stay quiet; traps reach
// float_trap_handler.
void set_up_floating_point();

// Reports the trap: M6101 "invalid", 6102 "denormal", 6103 "divide by zero",
// 6104 "overflow", 6105 "underflow", 6106 "inexact", 6110 "stack overflow",
// each as "floating-point error: " and the name. Does not return.
void float_trap_handler(os::FloatTrap trap);

}  // namespace sotra
