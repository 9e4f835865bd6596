#include "platform/float_traps.h"

#include <cfenv>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace sotra::os {
namespace {

FloatTrapHandler installed_handler = nullptr;

FloatTrap trap_from_code(int code) {
    switch (code) {
        case FPE_FLTINV: return FloatTrap::invalid;
        case FPE_FLTDIV: return FloatTrap::divide_by_zero;
        case FPE_FLTOVF: return FloatTrap::overflow;
        case FPE_FLTUND: return FloatTrap::underflow;
        case FPE_FLTRES: return FloatTrap::inexact;
        case FPE_FLTSUB: return FloatTrap::stack_fault;
        case FPE_INTDIV: return FloatTrap::divide_by_zero;
        case FPE_INTOVF: return FloatTrap::overflow;
        default: return FloatTrap::unknown;
    }
}

void on_sigfpe(int, siginfo_t* info, void*) {
    // The handler runs with the traps masked (the kernel gives it a fresh
    // floating-point state), so the report itself cannot trap again.
    if (installed_handler != nullptr) installed_handler(trap_from_code(info->si_code));
    ::_exit(1);
}

}  // namespace

void enable_float_traps(FloatTrapHandler handler) {
    installed_handler = handler;
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_sigaction = on_sigfpe;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGFPE, &action, nullptr);

    std::fesetround(FE_TONEAREST);
    std::feclearexcept(FE_ALL_EXCEPT);
    ::feenableexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
}

QuietFloatScope::QuietFloatScope() : saved_traps_(::fedisableexcept(FE_ALL_EXCEPT)) {}

QuietFloatScope::~QuietFloatScope() {
    std::feclearexcept(FE_ALL_EXCEPT);
    if (saved_traps_ > 0) ::feenableexcept(saved_traps_);
}

}  // namespace sotra::os
