// Stopping the program: the closing message and the exit sequence.
#pragma once

#include <optional>
#include <string_view>

namespace sotra {

// Ends the console line if one is open, writes `message` (up to a NUL byte
// if it holds one) or "Stop - Program terminated." with CR LF straight to
// standard output, and ends the process with status 0.
[[noreturn]] void stop_run(std::optional<std::string_view> message);

// The exit sequence: writes and closes every channel still open, ends an
// open console line, and ends the process with `status`. It runs once; a
// call made while it runs (a failure during the sequence) returns at once.
void end_process(int status);

// True once the exit sequence has begun.
bool exit_sequence_running();

// True when a failure was reported while the exit sequence ran: the
// sequence then closes no further channel and writes no further line end.
bool exit_sequence_interrupted();

}  // namespace sotra
