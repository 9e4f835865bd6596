#include "process/run_command.h"

#include "platform/process.h"

namespace sotra {

int interpret_command(const std::string& text) {
    const char* interpreter = os::command_interpreter();
    const char* const argv[] = {interpreter, os::command_interpreter_option(), text.c_str(), nullptr};
    return os::spawn_and_wait(interpreter, argv);
}

bool run_command(std::string_view command_field) {
    // 1. The command text without trailing blanks; leading blanks stay.
    const auto last = command_field.find_last_not_of(' ');
    const std::string text(command_field.substr(0, last == std::string_view::npos ? 0 : last + 1));
    // 2.-4.
    return interpret_command(text) != -1;
}

}  // namespace sotra
