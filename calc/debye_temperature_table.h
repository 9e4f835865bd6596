// The Debye temperature as a function of temperature: one constant value,
// or pairs (T, theta) loaded from a data file and interpolated linearly.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace sotra {

constexpr std::int32_t kTableCapacity = 5000;

// Slots are numbered 1 to count; slot k is index k - 1.
struct DebyeTemperatureTable {
    std::array<float, kTableCapacity> temperatures{};
    std::array<float, kTableCapacity> debye_temperatures{};
    std::int32_t count = 0;
};

// theta at T: the last pair's theta when its temperature is not above T,
// else the first pair's when its temperature is not below T, else the
// linear interpolation between the first pair whose temperature is not
// below T and the pair before it, formed in double precision.
// Requires 1 <= count <= kTableCapacity.
float debye_temperature_at(const DebyeTemperatureTable& table, float t);

// Reads the pairs of the data file named in the field through channel 10
// into slots count, count + 1, ... (count is 1 on entry): a read that ends
// in an error starts again in the same slot right after the rejected value,
// end of file ends the load. On return count is the number of pairs read,
// and the result is their mean; with no pair the mean is 0/0, an invalid
// operation that traps.
float load_debye_temperatures(DebyeTemperatureTable& table, std::string_view data_file_name);

}  // namespace sotra
