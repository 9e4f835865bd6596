#include "calc/calculation_run.h"
#include "process/float_setup.h"
#include "records/open_channel.h"
#include "records/text_channel.h"

int main(int argc, char** argv) {
    sotra::set_up_floating_point();
    sotra::set_up_console_channels();
    sotra::set_command_line(argc, argv);
    sotra::calculation_run();
}
