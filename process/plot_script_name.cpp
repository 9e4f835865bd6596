#include "process/plot_script_name.h"

#include <string>

#include "platform/os.h"

namespace sotra {

void give_script_command_name(std::string_view written_name, std::string_view command_name) {
    (void)os::alias_file(std::string(command_name).c_str(), std::string(written_name).c_str());
}

}  // namespace sotra
