#include "records/formatted_writer.h"

#include <bit>
#include <cstdint>

#include "records/decimal_rendering.h"

namespace sotra {
namespace {

bool is_finite(float x) {
    return (std::bit_cast<std::uint32_t>(x) & 0x7F800000u) != 0x7F800000u;
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Reads a decimal integer at `pos`; 0 when there is none.
int read_integer(std::string_view text, std::size_t& pos) {
    int value = 0;
    while (pos < text.size() && is_digit(text[pos]) && value < 100000) {
        value = value * 10 + (text[pos] - '0');
        ++pos;
    }
    return value;
}

// A literal between two equal marks; the mark twice stands for itself.
void copy_literal(std::string_view text, std::size_t& pos, std::string& record) {
    const char mark = text[pos++];
    while (pos < text.size()) {
        const char c = text[pos++];
        if (c == mark) {
            if (pos < text.size() && text[pos] == mark) {
                record.push_back(mark);
                ++pos;
                continue;
            }
            return;
        }
        record.push_back(c);
    }
}

}  // namespace

std::string fixed_field(float x, int width, int decimals) {
    const std::string text = is_finite(x) ? render_fixed(x, decimals) : render_non_finite(x, width);
    if (text.size() > static_cast<std::size_t>(width)) return std::string(static_cast<std::size_t>(width), '*');
    return std::string(static_cast<std::size_t>(width) - text.size(), ' ') + text;
}

std::string format_record(std::string_view format_text, std::span<const float> values) {
    std::string record;
    std::size_t next_value = 0;
    std::size_t pos = 0;
    while (pos < format_text.size()) {
        const char c = format_text[pos];
        if (c == '\'' || c == '"') {
            copy_literal(format_text, pos, record);
        } else if (c == 'F' || c == 'f') {
            ++pos;
            const int width = read_integer(format_text, pos);
            int decimals = 0;
            if (pos < format_text.size() && format_text[pos] == '.') {
                ++pos;
                decimals = read_integer(format_text, pos);
            }
            if (next_value == values.size()) break;  // no value left: the record ends here
            record += fixed_field(values[next_value++], width, decimals);
        } else if (c == ')' && pos + 1 == format_text.size()) {
            break;
        } else {
            ++pos;  // the parentheses and the commas between elements
        }
    }
    return record;
}

void write_formatted(TextChannel& channel, std::string_view format_text, std::span<const float> values) {
    write_record(channel, format_record(format_text, values));
}

}  // namespace sotra
