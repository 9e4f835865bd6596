#include "process/stop.h"

#include "platform/os.h"
#include "records/text_channel.h"

namespace sotra {
namespace {

bool running = false;
bool interrupted = false;
int ending_status = 0;

void write_to_standard_output(std::string_view bytes) {
    // Where standard output goes is the user's choice; a failure to write
    // the closing lines is not reported.
    (void)os::write_all(os::standard_output(), bytes.data(), bytes.size());
}

}  // namespace

void stop_run(std::optional<std::string_view> message) {
    // 1. End the open console line; the line stays marked open, so the exit
    //    sequence ends the message's line with one more CR LF.
    if (console_output().line_open) write_to_standard_output("\r\n");
    // 2./3. The message itself, not a record: its first character is shown.
    if (message) {
        std::string_view text = *message;
        if (const auto nul = text.find('\0'); nul != std::string_view::npos) text = text.substr(0, nul);
        std::string line(text);
        line += "\r\n";
        write_to_standard_output(line);
    } else {
        write_to_standard_output("Stop - Program terminated.\r\n");
    }
    // 4.
    end_process(0);
    os::exit_process(0);  // not reached: end_process runs the sequence here
}

void end_process(int status) {
    if (running) {
        interrupted = true;
        return;
    }
    running = true;
    ending_status = status;
    close_all_channels();
    os::exit_process(ending_status);
}

bool exit_sequence_running() { return running; }

bool exit_sequence_interrupted() { return interrupted; }

}  // namespace sotra
