#include "records/device_names.h"

#include <string>

#include <gtest/gtest.h>

namespace sotra {
namespace {

TEST(DeviceNamesTest, BaseAndExtensionRules) {
    const struct {
        const char* name;
        DeviceKind kind;
        const char* port;
    } rows[] = {
        {"CON", DeviceKind::console, ""},   {"con", DeviceKind::console, ""},
        {"CoN.txt", DeviceKind::console, ""}, {"USER", DeviceKind::console, ""},
        {"user.txt", DeviceKind::none, ""},  {"ERR", DeviceKind::error, ""},
        {"err.log", DeviceKind::none, ""},   {"NUL", DeviceKind::null, ""},
        {"nul.dat", DeviceKind::null, ""},   {"nul.", DeviceKind::null, ""},
        {"AUX", DeviceKind::port, "COM1"},   {"line", DeviceKind::port, "COM1"},
        {"line.x", DeviceKind::none, ""},    {"COM3.out", DeviceKind::port, "COM3"},
        {"prn", DeviceKind::port, "PRN"},    {"LPT1", DeviceKind::port, "LPT1"},
        {"lpt1.dat", DeviceKind::none, ""},  {"LPT5", DeviceKind::none, ""},
        {"CONS", DeviceKind::none, ""},      {"data.txt", DeviceKind::none, ""},
        {"dir/CON", DeviceKind::none, ""},   {"con.tar.gz", DeviceKind::none, ""},
        {"", DeviceKind::none, ""},
    };
    for (const auto& row : rows) {
        const Device device = device_for_name(row.name);
        EXPECT_EQ(device.kind, row.kind) << row.name;
        EXPECT_EQ(device.port, row.port) << row.name;
    }
}

}  // namespace
}  // namespace sotra
