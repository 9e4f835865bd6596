#include "process/run_command.h"

#include <new>

#include "platform/process.h"

namespace sotra {

int interpret_command(const std::string& text) { return os::run_interpreter(text.c_str()); }

bool run_command(std::string_view command_field) {
    // 1. The command text without trailing blanks; leading blanks stay.
    const auto last = command_field.find_last_not_of(' ');
    std::string text;
    try {
        text.assign(command_field.substr(0, last == std::string_view::npos ? 0 : last + 1));
    } catch (const std::bad_alloc&) {
        return false;
    }
    // 2.-4. A shell's exit status is 0 to 255, or 128 and a signal number:
    // any of them means it ran. Only a shell that never started is -1.
    return interpret_command(text) != -1;
}

}  // namespace sotra
