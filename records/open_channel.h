// Opening a file channel by name with the default disposition: an existing
// file is opened as it is (and cut at its first write), a missing one is
// created empty; read-write access is tried, then read-only, then write-only.
#pragma once

#include <cstdint>
#include <string_view>

namespace sotra {

// The process's command-line arguments, which answer blank file names in
// turn (the first after the program name first).
void set_command_line(int argc, const char* const* argv);

// The name a fixed-width field holds: at most 259 characters (fewer before
// a NUL), without leading and trailing blanks (tabs stay).
std::string_view trimmed_name(std::string_view field);

// Opens channel `number` on the name in `name_field`. A blank name is
// answered by the next unused command-line argument or, when none is left,
// by asking at the console. Any failure ends the program with a diagnostic.
void open_channel(std::int32_t number, std::string_view name_field);

}  // namespace sotra
