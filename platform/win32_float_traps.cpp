#include "platform/float_traps.h"

#include <float.h>
#include <windows.h>

namespace sotra::os {
namespace {

FloatTrapHandler installed_handler = nullptr;

// The exceptions that stay quiet: everything but invalid operation,
// division by zero and overflow.
constexpr unsigned int kQuietExceptions = _EM_UNDERFLOW | _EM_INEXACT | _EM_DENORMAL;

// The SSE status register's flags (bits 0-5) and masks (bits 7-12).
constexpr DWORD kMxcsrInvalid = 1u << 0;
constexpr DWORD kMxcsrDivideByZero = 1u << 2;
constexpr DWORD kMxcsrOverflow = 1u << 3;
constexpr int kMxcsrMaskShift = 7;

void mask_all() {
    unsigned int control = 0;
    (void)_controlfp_s(&control, _MCW_EM, _MCW_EM);
    (void)_clearfp();
}

// Several exceptions raised by one instruction arrive as one exception
// code; the status register tells which unmasked ones were raised.
FloatTrap trap_from_status(DWORD mxcsr) {
    const DWORD raised = mxcsr & ~(mxcsr >> kMxcsrMaskShift);
    if (raised & kMxcsrInvalid) return FloatTrap::invalid;
    if (raised & kMxcsrDivideByZero) return FloatTrap::divide_by_zero;
    if (raised & kMxcsrOverflow) return FloatTrap::overflow;
    return FloatTrap::unknown;
}

bool trap_from_exception(const EXCEPTION_POINTERS& exception, FloatTrap& trap) {
    switch (exception.ExceptionRecord->ExceptionCode) {
        case STATUS_FLOAT_INVALID_OPERATION: trap = FloatTrap::invalid; return true;
        case STATUS_FLOAT_DIVIDE_BY_ZERO:
        case STATUS_INTEGER_DIVIDE_BY_ZERO: trap = FloatTrap::divide_by_zero; return true;
        case STATUS_FLOAT_OVERFLOW:
        case STATUS_INTEGER_OVERFLOW: trap = FloatTrap::overflow; return true;
        case STATUS_FLOAT_UNDERFLOW: trap = FloatTrap::underflow; return true;
        case STATUS_FLOAT_INEXACT_RESULT: trap = FloatTrap::inexact; return true;
        case STATUS_FLOAT_DENORMAL_OPERAND: trap = FloatTrap::denormal; return true;
        case STATUS_FLOAT_STACK_CHECK: trap = FloatTrap::stack_fault; return true;
        case STATUS_FLOAT_MULTIPLE_TRAPS:
        case STATUS_FLOAT_MULTIPLE_FAULTS: trap = trap_from_status(exception.ContextRecord->MxCsr); return true;
        default: return false;
    }
}

LONG CALLBACK on_exception(EXCEPTION_POINTERS* exception) {
    FloatTrap trap = FloatTrap::unknown;
    if (!trap_from_exception(*exception, trap)) return EXCEPTION_CONTINUE_SEARCH;
    // The report must not trap again.
    mask_all();
    if (installed_handler != nullptr) installed_handler(trap);
    ::ExitProcess(1);
}

}  // namespace

void enable_float_traps(FloatTrapHandler handler) {
    installed_handler = handler;
    ::AddVectoredExceptionHandler(1, on_exception);
    // Round to nearest; on x64 the precision is always that of the operand
    // (double for double), and the precision control may not be set.
    unsigned int control = 0;
    (void)_controlfp_s(&control, _RC_NEAR, _MCW_RC);
    (void)_clearfp();
    (void)_controlfp_s(&control, kQuietExceptions, _MCW_EM);
}

QuietFloatScope::QuietFloatScope() {
    unsigned int control = 0;
    (void)_controlfp_s(&control, 0, 0);
    saved_traps_ = static_cast<int>(control & _MCW_EM);
    (void)_controlfp_s(&control, _MCW_EM, _MCW_EM);
}

QuietFloatScope::~QuietFloatScope() {
    unsigned int control = 0;
    (void)_clearfp();
    (void)_controlfp_s(&control, static_cast<unsigned int>(saved_traps_), _MCW_EM);
}

}  // namespace sotra::os
