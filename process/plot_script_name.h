// The plot script under the name the plotter command gives it.
#pragma once

#include <string_view>

namespace sotra {

// The run writes its script as "SOTRA.GNP" and the plotter command names
// "sotra.gnp". Where file names are case-sensitive the second name is made
// a symbolic link to the first, unless a file of the user's already has
// it: a file that is not a symbolic link is never replaced. Nothing is
// reported; a plotter that finds no script says so itself.
void give_script_command_name(std::string_view written_name, std::string_view command_name);

}  // namespace sotra
