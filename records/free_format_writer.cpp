#include "records/free_format_writer.h"

#include <bit>
#include <cstdint>

#include "records/decimal_rendering.h"

namespace sotra {
namespace {

constexpr int kLineRoom = 79;
constexpr int kRealField = 15;
constexpr int kFixedDecimals = 6;
constexpr int kNonFiniteLength = 13;

// The state of one write: the records so far and the one being built.
struct Layout {
    std::vector<std::string> records;
    std::string current;
    int pending_blanks = 1;  // the start blank of the first record
    int room = kLineRoom;
    bool after_real = false;

    void put_pending() {
        current.append(static_cast<std::size_t>(pending_blanks), ' ');
        pending_blanks = 0;
    }
    void end_record() {
        records.push_back(std::move(current));
        current.clear();
    }
};

void lay_out_text(Layout& layout, std::string_view text) {
    // 1. A text follows the start blank, or the previous item directly.
    if (layout.pending_blanks != 1) layout.pending_blanks = 0;
    for (;;) {
        const auto room = static_cast<std::size_t>(layout.room);
        // 2. It fits in what is left of the line.
        if (room > text.size()) {
            layout.put_pending();
            layout.current.append(text);
            layout.room -= static_cast<int>(text.size());
            break;
        }
        // 3. It fills the line: the rest opens a new record after its start
        //    blank; a text that just fills the line leaves that blank pending.
        layout.put_pending();
        layout.current.append(text.substr(0, room));
        text.remove_prefix(room);
        layout.end_record();
        layout.pending_blanks = 1;
        layout.room = kLineRoom;
        if (text.empty()) break;
    }
    // 4.
    layout.after_real = false;
}

void lay_out_real(Layout& layout, float x) {
    // 1.-3. The text, right-justified in its field, with the separating
    //       blank after another real.
    const std::string text = free_format_real(x);
    const int width = layout.after_real ? kRealField + 1 : kRealField;
    layout.after_real = true;
    layout.pending_blanks += width - static_cast<int>(text.size());
    // 5. No room: a new record, whose separating and justifying blanks take
    //    the place of the start blank.
    if (layout.room <= width) {
        layout.end_record();
        layout.room = kLineRoom;
    }
    // 4.
    layout.put_pending();
    layout.current.append(text);
    layout.room -= width;
}

// Told from the bits, so that no comparison can raise an exception.
bool is_finite(float x) {
    return (std::bit_cast<std::uint32_t>(x) & 0x7F800000u) != 0x7F800000u;
}

}  // namespace

std::string free_format_real(float x) {
    if (!is_finite(x)) return render_non_finite(x, kNonFiniteLength);
    const RealDigits digits = real_digits(x);
    if (digits.digits != "0" && digits.exponent >= 1 && digits.exponent <= 7) {
        return render_fixed(x, kFixedDecimals);
    }
    return render_exponent(x);
}

std::vector<std::string> lay_out_free_format(std::span<const FreeFormatItem> items) {
    Layout layout;
    for (const FreeFormatItem& item : items) {
        if (item.kind == FreeFormatItem::Kind::text) {
            lay_out_text(layout, item.text);
        } else {
            lay_out_real(layout, item.real);
        }
    }
    layout.put_pending();
    layout.end_record();
    return std::move(layout.records);
}

void write_free_format(TextChannel& channel, std::span<const FreeFormatItem> items) {
    for (const std::string& record : lay_out_free_format(items)) write_record(channel, record);
}

}  // namespace sotra
