// The fault seam of the fault-test build (fault_injection.h); the program
// itself is compiled without any of it.
#ifdef SOTRA_FAULT_INJECTION

#include "platform/fault_injection.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace sotra::os::fault {
namespace {

constexpr std::array<std::string_view, 4> kOperationNames{"open", "read", "write", "close"};

struct ErrorName {
    std::string_view name;
    OsError error;
};
constexpr ErrorName kErrorNames[] = {
    {"no_space", OsError::no_space},         {"access_refused", OsError::access_refused},
    {"not_found", OsError::not_found},       {"already_exists", OsError::already_exists},
    {"invalid_name", OsError::invalid_name}, {"too_many_files", OsError::too_many_files},
    {"other", OsError::other},
};

struct Fault {
    bool active = false;
    Operation operation = Operation::write;
    std::uint64_t call = 0;  // counted from 1
    bool and_later = false;
    OsError error = OsError::none;
};

struct State {
    Fault fault;
    std::array<std::uint64_t, 4> counts{};
    std::map<Handle, std::string> names;
    std::string log_path;
    std::vector<std::string> log;
};

[[noreturn]] void refuse(std::string_view why) {
    const std::string text = "sotra_faulty: SOTRA_FAULT " + std::string(why) + "\n";
    std::fputs(text.c_str(), stderr);
    std::fflush(stderr);
    std::_Exit(2);
}

Fault parse_fault(std::string_view text) {
    Fault fault;
    const auto first = text.find(':');
    const auto second = first == std::string_view::npos ? first : text.find(':', first + 1);
    if (second == std::string_view::npos) refuse("must be <kind>:<k>[+]:<error>");
    const std::string_view kind = text.substr(0, first);
    std::string_view call = text.substr(first + 1, second - first - 1);
    const std::string_view error = text.substr(second + 1);

    bool known_kind = false;
    for (std::size_t i = 0; i < kOperationNames.size(); ++i) {
        if (kind == kOperationNames[i]) {
            fault.operation = static_cast<Operation>(i);
            known_kind = true;
        }
    }
    if (!known_kind) refuse("kind must be open, read, write or close");

    if (!call.empty() && call.back() == '+') {
        fault.and_later = true;
        call.remove_suffix(1);
    }
    if (call.empty() || call.size() > 9) refuse("call number must be 1 to 999999999");
    for (const char c : call) {
        if (c < '0' || c > '9') refuse("call number must be decimal digits");
        fault.call = fault.call * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (fault.call == 0) refuse("call numbers start at 1");

    for (const ErrorName& entry : kErrorNames) {
        if (error == entry.name) fault.error = entry.error;
    }
    if (fault.error == OsError::none) refuse("error must be a name of OsError other than none");
    fault.active = true;
    return fault;
}

State& state() {
    // Set up by the first call, which comes before any other platform call
    // of these kinds.
    static State instance = [] {
        State s;
        if (const char* text = std::getenv("SOTRA_FAULT"); text != nullptr && *text != '\0') {
            s.fault = parse_fault(text);
        }
        if (const char* path = std::getenv("SOTRA_FAULT_LOG"); path != nullptr) s.log_path = path;
        s.names[standard_input()] = "stdin";
        s.names[standard_output()] = "stdout";
        s.names[standard_error()] = "stderr";
        return s;
    }();
    return instance;
}

}  // namespace

OsError before_call(Operation operation, Handle handle, const char* name, std::size_t bytes) {
    State& s = state();
    if (operation == Operation::write && handle == standard_error()) return OsError::none;
    const std::uint64_t call = ++s.counts[static_cast<std::size_t>(operation)];
    if (!s.log_path.empty()) {
        std::string target;
        if (name != nullptr) {
            target = name;
        } else if (const auto known = s.names.find(handle); known != s.names.end()) {
            target = known->second;
        } else {
            target = "handle" + std::to_string(handle);
        }
        s.log.push_back(std::string(kOperationNames[static_cast<std::size_t>(operation)]) + " " +
                        std::to_string(call) + " " + target + " " + std::to_string(bytes));
    }
    const Fault& f = s.fault;
    if (f.active && f.operation == operation && (call == f.call || (f.and_later && call > f.call))) {
        return f.error;
    }
    return OsError::none;
}

void opened(Handle handle, const char* name) { state().names[handle] = name; }

void at_exit() {
    State& s = state();
    if (s.log_path.empty()) return;
    std::string text;
    for (const std::string& line : s.log) text += line + "\n";
    std::FILE* file = std::fopen(s.log_path.c_str(), "wb");
    if (file == nullptr) return;
    (void)std::fwrite(text.data(), 1, text.size(), file);
    (void)std::fclose(file);
}

}  // namespace sotra::os::fault

#endif  // SOTRA_FAULT_INJECTION
