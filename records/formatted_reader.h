// Reading one record by a format text of a single text field, "(A)" or "(Aw)".
#pragma once

#include <span>
#include <string_view>

#include "records/io_status.h"
#include "records/text_channel.h"

namespace sotra {

// The field width a format text "(Aw)" gives; `length` when it gives none.
std::size_t text_field_width(std::string_view format_text, std::size_t length);

// Reads the next record into `destination`: the first w - L characters are
// passed over when the width w is larger than the destination's length L,
// the next min(w, L) are copied, every position not filled is a blank, and
// the rest of the record is dropped. End of file and read failures end the
// program with a diagnostic, so the result is always 0.
IoStatus read_formatted(TextChannel& channel, std::string_view format_text, std::span<char> destination);

}  // namespace sotra
