// Names that reach a device instead of a file.
#pragma once

#include <string>
#include <string_view>

namespace sotra {

enum class DeviceKind {
    none,     // an ordinary file name
    console,  // CON, USER: reads standard input, writes standard output
    error,    // ERR: standard error
    null,     // NUL: the null device
    port,     // AUX, COM1-COM4, LINE, PRN, LPT1-LPT4: a serial or printer port
};

struct Device {
    DeviceKind kind = DeviceKind::none;
    std::string port;  // for a port: its platform name, AUX and LINE being COM1
};

// The base of the name is the part before its last "." (the whole name
// without one). A base of 3 or 4 characters that is a device name, in any
// letter case, reaches that device, with or without an extension; but ERR,
// LINE, LPT1-LPT4 and USER followed by an extension are ordinary names.
Device device_for_name(std::string_view name);

}  // namespace sotra
