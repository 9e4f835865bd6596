#include "process/float_setup.h"

#include <string>

#include "process/report_failure.h"

namespace sotra {
namespace {

struct TrapEntry {
    os::FloatTrap trap;
    int number;
    const char* name;
};

constexpr TrapEntry kTraps[] = {
    {os::FloatTrap::invalid, 6101, "invalid"},
    {os::FloatTrap::denormal, 6102, "denormal"},
    {os::FloatTrap::divide_by_zero, 6103, "divide by zero"},
    {os::FloatTrap::overflow, 6104, "overflow"},
    {os::FloatTrap::underflow, 6105, "underflow"},
    {os::FloatTrap::inexact, 6106, "inexact"},
    {os::FloatTrap::stack_fault, 6110, "stack overflow"},
};

}  // namespace

void set_up_floating_point() { os::enable_float_traps(float_trap_handler); }

void float_trap_handler(os::FloatTrap trap) {
    // A trap the platform cannot name is reported as an invalid operation,
    // the most general of the three that are enabled.
    const TrapEntry* entry = &kTraps[0];
    for (const TrapEntry& candidate : kTraps) {
        if (candidate.trap == trap) entry = &candidate;
    }
    const std::string message = std::string("floating-point error: ") + entry->name;
    report_failure(entry->number, message, StatementKind::math);
    // Only reached when the exit sequence was already running. Execution
    // cannot resume after a trap, so the platform ends the process.
}

}  // namespace sotra
