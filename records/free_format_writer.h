// Free-format writing: records laid out from a list of texts and reals
// without a format text.
//
// Every record begins with one blank; a text is copied as it is; a real
// stands right-justified in 15 characters, with one more blank in front
// when it follows another real; a line holds 79 characters after its first
// blank, and what does not fit goes on in a new record.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "records/decimal_rendering.h"
#include "records/text_channel.h"

namespace sotra {

struct FreeFormatItem {
    enum class Kind { text, real };
    Kind kind = Kind::text;
    std::string_view text;  // its declared length: trailing blanks are written
    float real = 0.0f;

    static FreeFormatItem of_text(std::string_view t) { return {Kind::text, t, 0.0f}; }
    static FreeFormatItem of_real(float x) { return {Kind::real, {}, x}; }
};

// The text of a real in a free-format record, at most 15 characters: fixed
// point with 6 decimals for 1 <= |x| < 10^7, exponent form otherwise (zero
// included), the code text padded to 13 for an infinity or NaN.
// write_free_format_real writes it so that it ends just before `end`, and
// returns its length: it never writes more than kFreeFormatRealRoom
// characters (fixed point only below 10^7, so at most a sign, 7 integer
// digits, the point and 6 decimals), and those before its text may be
// set to blanks.
constexpr std::size_t kFreeFormatRealRoom = 15;
std::size_t write_free_format_real(float x, char* end);
std::string free_format_real(float x);

// The records one write of `items` produces, without line ends.
std::vector<std::string> lay_out_free_format(std::span<const FreeFormatItem> items);

// Lays out `items` and hands each record to the channel.
void write_free_format(TextChannel& channel, std::span<const FreeFormatItem> items);

// The same write to several channels: the records are laid out once, and
// each goes to every channel in the order given before the next is laid out.
void write_free_format(std::span<TextChannel* const> channels, std::span<const FreeFormatItem> items);

}  // namespace sotra
