#include "records/free_format_writer.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "records/fixed_six_decimals.h"

namespace sotra {
namespace {

constexpr int kLineRoom = 79;
constexpr int kRealField = 15;
constexpr int kNonFiniteLength = 13;

// A record holds at most its start blank and a full line: every item takes
// from the room what it writes, except the start blank, and a record begun
// by a wrap has no start blank.
constexpr std::size_t kRecordCapacity = 1 + kLineRoom;

// The blanks before a real are written by one fixed-size copy, which
// compiles to a few stores: a real's field with the blanks pending before it
// (the start blank at most) takes no more than 17 characters. The record
// keeps room past its end for it, and a real's text is written in place.
constexpr std::size_t kBlankCopy = 32;

// The state of one write: the record being built. Each finished record goes
// to `Sink`, a callable taking a std::string_view.
template <typename Sink>
struct Layout {
    explicit Layout(Sink& s) : sink(s) {}

    Sink& sink;
    std::array<char, kRecordCapacity + kBlankCopy> current;  // written before it is read
    std::size_t length = 0;
    int pending_blanks = 1;  // the start blank of the first record
    int room = kLineRoom;
    bool after_real = false;

    void put_pending() {
        std::memset(current.data() + length, ' ', static_cast<std::size_t>(pending_blanks));
        length += static_cast<std::size_t>(pending_blanks);
        pending_blanks = 0;
    }
    void put(std::string_view text) {
        std::memcpy(current.data() + length, text.data(), text.size());
        length += text.size();
    }
    // A real right-justified in `width` characters after the pending blanks.
    void put_real(float x, int width) {
        const auto field = static_cast<std::size_t>(pending_blanks + width);
        char* const start = current.data() + length;
        if (field <= kBlankCopy) {
            std::memset(start, ' ', kBlankCopy);
        } else {
            std::memset(start, ' ', field);
        }
        write_free_format_real(x, start + field);
        length += field;
        pending_blanks = 0;
    }
    void end_record() {
        sink(std::string_view(current.data(), length));
        length = 0;
    }
};

template <typename Sink>
void lay_out_text(Layout<Sink>& layout, std::string_view text) {
    // 1. A text follows the start blank, or the previous item directly.
    if (layout.pending_blanks != 1) layout.pending_blanks = 0;
    for (;;) {
        const auto room = static_cast<std::size_t>(layout.room);
        // 2. It fits in what is left of the line.
        if (room > text.size()) {
            layout.put_pending();
            layout.put(text);
            layout.room -= static_cast<int>(text.size());
            break;
        }
        // 3. It fills the line: the rest opens a new record after its start
        //    blank; a text that just fills the line leaves that blank pending.
        layout.put_pending();
        layout.put(text.substr(0, room));
        text.remove_prefix(room);
        layout.end_record();
        layout.pending_blanks = 1;
        layout.room = kLineRoom;
        if (text.empty()) break;
    }
    // 4.
    layout.after_real = false;
}

template <typename Sink>
void lay_out_real(Layout<Sink>& layout, float x) {
    // 1.-3. Its width, with the separating blank after another real. Its
    //       text is right-justified in the field when it is written (4.).
    const int width = layout.after_real ? kRealField + 1 : kRealField;
    layout.after_real = true;
    // 5. No room: a new record, whose separating and justifying blanks take
    //    the place of the start blank.
    if (layout.room <= width) {
        layout.end_record();
        layout.room = kLineRoom;
    }
    // 4. The pending blanks, the justifying blanks and the text.
    layout.put_real(x, width);
    layout.room -= width;
}

// Lays out one write, handing each record to `sink` as it is finished.
template <typename Sink>
void lay_out(std::span<const FreeFormatItem> items, Sink&& sink) {
    Layout<Sink> layout(sink);
    for (const FreeFormatItem& item : items) {
        if (item.kind == FreeFormatItem::Kind::text) {
            lay_out_text(layout, item.text);
        } else {
            lay_out_real(layout, item.real);
        }
    }
    layout.put_pending();
    layout.end_record();
}

// Told from the bits, so that no comparison can raise an exception.
bool is_finite(float x) {
    return (std::bit_cast<std::uint32_t>(x) & 0x7F800000u) != 0x7F800000u;
}

bool reals_only(std::span<const FreeFormatItem> items) {
    for (const FreeFormatItem& item : items) {
        if (item.kind != FreeFormatItem::Kind::real) return false;
    }
    return true;
}

// Whether a finite value, as decimal_value took it apart, is written in
// fixed point: 1 <= |x| < 10^7.
bool shows_fixed(const DecimalValue& v) { return !v.zero() && v.exponent >= 1 && v.exponent <= 7; }

// The 16 characters a real takes in a record of reals alone: a blank (the
// start blank, or the one after another real) and its 15-character field.
// Fixed point is made in registers; the other forms are written into the
// characters and read back.
SixteenChars real_field(float x) {
    const bool finite = is_finite(x);
    const DecimalValue v = finite ? decimal_value(x) : DecimalValue{};
    if (finite && shows_fixed(v)) return six_decimals_field(v).chars;
    char field[16];
    std::memset(field, ' ', sizeof field);
    if (finite) {
        write_exponent(v, field + sizeof field);
    } else {
        write_free_format_real(x, field + sizeof field);
    }
    SixteenChars chars;
    std::memcpy(&chars.first, field, 8);
    std::memcpy(&chars.second, field + 8, 8);
    return chars;
}

void store_field(const SixteenChars& chars, char* at) {
    std::memcpy(at, &chars.first, 8);
    std::memcpy(at + 8, &chars.second, 8);
}

// A write of one to four reals and nothing else, such as a point of the
// sweep, is one record of their 16-character fields, and K of them leave
// kLineRoom - (16 K - 1) of the line, which must stay above 0 for the last
// to have fitted. The fields are made once and stored straight into the
// buffer of each channel that has room for the record.
template <std::size_t K>
void write_reals(std::span<TextChannel* const> channels, std::span<const FreeFormatItem> items) {
    constexpr std::size_t kField = 1 + kRealField;
    static_assert(K >= 1 && kLineRoom - static_cast<int>(kField * K - 1) > 0);
    std::array<SixteenChars, K> fields;
    for (std::size_t i = 0; i < K; ++i) fields[i] = real_field(items[i].real);
    for (TextChannel* channel : channels) {
        if (char* const room = claim_record_room(*channel, kField * K)) {
            for (std::size_t i = 0; i < K; ++i) store_field(fields[i], room + kField * i);
        } else {
            std::array<char, kField * K> record;
            for (std::size_t i = 0; i < K; ++i) store_field(fields[i], record.data() + kField * i);
            write_record(*channel, std::string_view(record.data(), record.size()));
        }
    }
}

}  // namespace

std::size_t write_free_format_real(float x, char* end) {
    if (!is_finite(x)) {
        const std::string text = render_non_finite(x, kNonFiniteLength);
        std::memcpy(end - text.size(), text.data(), text.size());
        return text.size();
    }
    const DecimalValue v = decimal_value(x);
    if (shows_fixed(v)) {
        return write_fixed_six_decimals(v, end);
    }
    return write_exponent(v, end);
}

std::string free_format_real(float x) {
    char text[kFreeFormatRealRoom] = {};
    const std::size_t length = write_free_format_real(x, text + kFreeFormatRealRoom);
    return std::string(text + kFreeFormatRealRoom - length, length);
}

std::vector<std::string> lay_out_free_format(std::span<const FreeFormatItem> items) {
    std::vector<std::string> records;
    lay_out(items, [&records](std::string_view record) { records.emplace_back(record); });
    return records;
}

void write_free_format(TextChannel& channel, std::span<const FreeFormatItem> items) {
    TextChannel* const channels[] = {&channel};
    write_free_format(channels, items);
}

void write_free_format(std::span<TextChannel* const> channels, std::span<const FreeFormatItem> items) {
    switch (reals_only(items) ? items.size() : 0) {
        case 1: return write_reals<1>(channels, items);
        case 2: return write_reals<2>(channels, items);
        case 3: return write_reals<3>(channels, items);
        case 4: return write_reals<4>(channels, items);
        default: break;
    }
    lay_out(items, [channels](std::string_view record) {
        for (TextChannel* channel : channels) write_record(*channel, record);
    });
}

}  // namespace sotra
