// Formatted writing of one record from a format text: quoted literals and
// fixed-point fields Fw.d, the only elements the program's titles use.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "records/text_channel.h"

namespace sotra {

// The field Fw.d of a value: right-justified in w characters, d decimals,
// at most 7 significant digits; w asterisks when the text does not fit.
std::string fixed_field(float x, int width, int decimals);

// The record a format text such as ('TITLE TOP "Th Debye: ',F9.3,'K"')
// makes of `values`. The record has no start blank. A field met when no
// value is left ends the record there.
std::string format_record(std::string_view format_text, std::span<const float> values);

// Lays out the record and hands it to the channel.
void write_formatted(TextChannel& channel, std::string_view format_text, std::span<const float> values);

}  // namespace sotra
