#include "records/open_channel.h"

#include <string>
#include <vector>

#include "process/report_failure.h"
#include "records/device_names.h"
#include "records/text_channel.h"

namespace sotra {
namespace {

constexpr std::size_t kNameLimit = 259;
constexpr std::size_t kAnswerLimit = 258;

std::vector<std::string> arguments;
std::size_t next_argument = 0;

FailureCause open_cause(os::OsError error) {
    switch (error) {
        case os::OsError::not_found: return FailureCause::path_not_found;
        case os::OsError::access_refused: return FailureCause::access_refused;
        case os::OsError::already_exists: return FailureCause::file_appeared;
        case os::OsError::invalid_name: return FailureCause::invalid_name;
        case os::OsError::too_many_files: return FailureCause::too_many_open_files;
        case os::OsError::no_space: return FailureCause::no_space;
        default: return FailureCause::access_refused;
    }
}

// One line typed at the console, read through the console channel so that
// nothing it has already read ahead is lost. It is not a read statement:
// the line the prompt left open is not ended first.
std::string read_console_answer() {
    TextChannel& console = console_input();
    std::string answer;
    for (;;) {
        const int c = next_char(console);
        if (c == kEndOfFile) report_failure(FailureCause::end_of_file, StatementKind::read, console.name);
        if (c == kReadFailure) report_failure(read_failure_cause(), StatementKind::read, console.name);
        if (c < 0) break;
        if (answer.size() < kAnswerLimit) answer.push_back(static_cast<char>(c));
    }
    next_record(console);
    return answer;
}

void enter_channel(TextChannel&& channel) {
    const os::Handle handle = channel.handle;
    const bool owns_handle = !channel.standard_handle && !channel.reaches_console;
    const std::string name = channel.name;
    if (add_file_channel(std::move(channel)) == nullptr) {
        if (owns_handle) (void)os::close_handle(handle);
        report_failure(FailureCause::too_many_channels, StatementKind::open, name);
    }
}

// Opens a device name as a console-style channel; false when the platform
// has no such device, so that the name is an ordinary file name.
bool open_device(std::int32_t number, const std::string& name, const Device& device) {
    TextChannel channel;
    channel.number = number;
    channel.name = name;
    channel.style = ChannelStyle::console;
    switch (device.kind) {
        case DeviceKind::console:
            channel.reaches_console = true;
            break;
        case DeviceKind::error:
            channel.standard_handle = true;
            channel.handle = os::standard_error();
            channel.input_handle = os::standard_error();
            break;
        case DeviceKind::null:
        case DeviceKind::port: {
            const char* path = device.kind == DeviceKind::null ? os::null_device() : os::port_device(device.port.c_str());
            if (path == nullptr) return false;
            if (const os::OsError error = os::open_existing(path, os::Access::read_write, channel.handle);
                error != os::OsError::none) {
                report_failure(open_cause(error), StatementKind::open, name);
            }
            channel.input_handle = channel.handle;
            break;
        }
        case DeviceKind::none:
            return false;
    }
    close_channel(number);
    enter_channel(std::move(channel));
    return true;
}

void write_prompt(std::int32_t number) {
    const std::string prompt =
        "File name missing or blank - please enter file name\r\nUNIT " + std::to_string(number) + "? ";
    (void)os::write_all(os::standard_output(), prompt.data(), prompt.size());
}

std::string blank_name_answer(std::int32_t number) {
    if (next_argument < arguments.size()) {
        std::string name(trimmed_name(arguments[next_argument++]));
        if (!name.empty()) return name;
    } else if (console_output().line_open) {
        (void)os::write_all(os::standard_output(), "\r\n", 2);
    }
    std::string name;
    while (name.empty()) {
        write_prompt(number);
        name = std::string(trimmed_name(read_console_answer()));
    }
    return name;
}

}  // namespace

void set_command_line(int argc, const char* const* argv) {
    arguments.clear();
    next_argument = 0;
    for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
}

std::string_view trimmed_name(std::string_view field) {
    if (const auto nul = field.find('\0'); nul != std::string_view::npos) field = field.substr(0, nul);
    if (field.size() > kNameLimit) field = field.substr(0, kNameLimit);
    const auto first = field.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const auto last = field.find_last_not_of(' ');
    return field.substr(first, last - first + 1);
}

void open_channel(std::int32_t number, std::string_view name_field) {
    std::string name(trimmed_name(name_field));
    if (name.empty()) name = blank_name_answer(number);

    // 1. A device name reaches its device.
    if (open_device(number, name, device_for_name(name))) return;

    // 3. Existence decides between opening as it is and creating.
    const bool exists = os::file_exists(name.c_str());
    TextChannel channel;
    channel.number = number;
    channel.name = name;
    channel.style = ChannelStyle::file;
    // 4. Read-write, then read-only, then write-only.
    os::OsError error = os::OsError::other;
    for (const os::Access access : {os::Access::read_write, os::Access::read_only, os::Access::write_only}) {
        error = exists ? os::open_existing(name.c_str(), access, channel.handle)
                       : os::create_new(name.c_str(), access, channel.handle);
        if (error == os::OsError::none) {
            channel.access = access;
            break;
        }
        if (error == os::OsError::already_exists) break;  // a race, not an access problem
    }
    if (error != os::OsError::none) report_failure(open_cause(error), StatementKind::open, name);
    (void)os::file_identity(channel.handle, channel.identity);

    // 2. The same file open on another number is a failure; on this number
    //    it stays open as it is; another file on this number is closed.
    bool keep_existing = false;
    bool conflict = false;
    for_each_file_channel([&](TextChannel& open) {
        if (open.identity == channel.identity) {
            if (open.number == number) keep_existing = true;
            else conflict = true;
        }
    });
    if (keep_existing || conflict) {
        (void)os::close_handle(channel.handle);
        if (conflict) report_failure(FailureCause::already_open, StatementKind::open, name);
        return;
    }
    close_channel(number);

    // 5. A created file has nothing to cut.
    channel.writing = !exists;
    enter_channel(std::move(channel));
}

}  // namespace sotra
