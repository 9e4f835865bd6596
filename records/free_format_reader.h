// Free-format reading of single-precision reals from a channel: values
// separated by blanks, tabs, commas or record ends, with repeat counts,
// null values that leave a destination unchanged, and a slash that ends
// the list (free_format_list.h has the rules).
#pragma once

#include <span>

#include "records/io_status.h"
#include "records/text_channel.h"

namespace sotra {

// Reads one list into `destinations`, in order. An error is returned as
// its positive IoStatus when `handle_errors` is set, end of file as -1 when
// either flag is set; any outcome not asked for ends the program with a
// diagnostic naming the channel. After an ok read the next read starts at
// the record after the one where the last value ended; after an error,
// right after the rejected value, except on the shared console, where the
// rest of the line is dropped. Once at end of file, every read is at end
// of file at once.
IoStatus read_free_format(TextChannel& channel, std::span<float* const> destinations,
                          bool handle_errors, bool handle_end_of_file);

}  // namespace sotra
