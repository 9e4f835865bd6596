#include "records/device_names.h"

namespace sotra {
namespace {

struct DeviceName {
    std::string_view base;
    DeviceKind kind;
    std::string_view port;
};

constexpr DeviceName kDevices[] = {
    {"CON", DeviceKind::console, ""},  {"USER", DeviceKind::console, ""},
    {"ERR", DeviceKind::error, ""},    {"NUL", DeviceKind::null, ""},
    {"AUX", DeviceKind::port, "COM1"}, {"COM1", DeviceKind::port, "COM1"},
    {"LINE", DeviceKind::port, "COM1"}, {"PRN", DeviceKind::port, "PRN"},
    {"COM2", DeviceKind::port, "COM2"}, {"COM3", DeviceKind::port, "COM3"},
    {"COM4", DeviceKind::port, "COM4"}, {"LPT1", DeviceKind::port, "LPT1"},
    {"LPT2", DeviceKind::port, "LPT2"}, {"LPT3", DeviceKind::port, "LPT3"},
    {"LPT4", DeviceKind::port, "LPT4"},
};

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool same_ignoring_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (upper(a[i]) != upper(b[i])) return false;
    }
    return true;
}

}  // namespace

Device device_for_name(std::string_view name) {
    // 1. The base, and whether an extension follows it.
    const auto dot = name.rfind('.');
    const std::string_view base = dot == std::string_view::npos ? name : name.substr(0, dot);
    const bool has_extension = dot != std::string_view::npos && dot + 1 < name.size();
    // 2.
    if (base.size() != 3 && base.size() != 4) return {};
    // 3.
    for (const DeviceName& device : kDevices) {
        if (!same_ignoring_case(base, device.base)) continue;
        // 4. ERR, LINE, LPTn and USER with an extension are ordinary names.
        const char first = device.base.front();
        if (has_extension && (first == 'E' || first == 'L' || first == 'U')) return {};
        return {device.kind, std::string(device.port)};
    }
    return {};
}

}  // namespace sotra
