#include "records/formatted_reader.h"

#include "process/report_failure.h"

namespace sotra {

std::size_t text_field_width(std::string_view format_text, std::size_t length) {
    const auto letter = format_text.find_first_of("Aa");
    if (letter == std::string_view::npos) return length;
    std::size_t width = 0;
    bool any = false;
    for (std::size_t pos = letter + 1; pos < format_text.size(); ++pos) {
        const char c = format_text[pos];
        if (c < '0' || c > '9') break;
        any = true;
        if (width < 1000000) width = width * 10 + static_cast<std::size_t>(c - '0');
    }
    return any ? width : length;
}

IoStatus read_formatted(TextChannel& channel, std::string_view format_text, std::span<char> destination) {
    begin_read(channel);
    const std::size_t width = text_field_width(format_text, destination.size());
    std::size_t skip = width > destination.size() ? width - destination.size() : 0;
    const std::size_t take = width < destination.size() ? width : destination.size();
    std::size_t filled = 0;
    // The first character is fetched even when the field is empty (width 0):
    // the read still takes a record, and meets end of file, like any other.
    for (bool first = true; first || skip > 0 || filled < take; first = false) {
        const int c = next_char(channel);
        if (c == kEndOfFile) report_failure(FailureCause::end_of_file, StatementKind::read, channel.name);
        if (c == kReadFailure) report_failure(read_failure_cause(), StatementKind::read, channel.name);
        if (c < 0) break;  // a short record: the field stops here
        if (skip > 0) {
            --skip;
        } else if (filled < take) {
            destination[filled++] = static_cast<char>(c);
        }
    }
    for (std::size_t i = filled; i < destination.size(); ++i) destination[i] = ' ';
    next_record(channel);
    end_read(channel);
    return kIoOk;
}

}  // namespace sotra
