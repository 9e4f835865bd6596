// Floating-point trapping: which operations stop the program, and a way to
// run a computation with the traps held off.
#pragma once

namespace sotra::os {

enum class FloatTrap {
    invalid,
    denormal,
    divide_by_zero,
    overflow,
    underflow,
    inexact,
    stack_fault,
    unknown,
};

using FloatTrapHandler = void (*)(FloatTrap trap);

// Rounds to nearest in double precision, makes invalid operation, division
// by zero and overflow trap (the other exceptions stay quiet) and delivers
// each trap to `handler` on the thread that raised it. The handler must not
// return.
void enable_float_traps(FloatTrapHandler handler);

// While an object of this type lives, no floating-point exception traps;
// the exception flags raised meanwhile are discarded and the previous
// trapping is restored when it ends.
class QuietFloatScope {
public:
    QuietFloatScope();
    ~QuietFloatScope();
    QuietFloatScope(const QuietFloatScope&) = delete;
    QuietFloatScope& operator=(const QuietFloatScope&) = delete;

private:
    int saved_traps_;
};

}  // namespace sotra::os
