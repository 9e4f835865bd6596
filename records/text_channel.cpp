#include "records/text_channel.h"

#include <cstring>
#include <utility>

#include "process/report_failure.h"
#include "process/stop.h"

namespace sotra {

namespace detail {
std::array<std::unique_ptr<TextChannel>, kMaxFileChannels> file_channels;
}

namespace {

TextChannel console_in;
TextChannel console_out;
bool shared_console = false;
FailureCause last_read_failure = FailureCause::read_failed;

constexpr char kCtrlZ = 26;
constexpr std::size_t kInteractiveLineLimit = 130;

FailureCause write_cause(os::OsError error) {
    switch (error) {
        case os::OsError::no_space: return FailureCause::no_space;
        case os::OsError::access_refused: return FailureCause::access_refused;
        default: return FailureCause::write_failed;
    }
}

void report_write_failure(const TextChannel& channel, os::OsError error) {
    report_failure(write_cause(error), StatementKind::write, channel.name);
}

// A close that fails may have lost output the system still held (a full
// disk or a quota met only then, a network file system): it is reported.
void report_close_failure(const TextChannel& channel, os::OsError error) {
    const FailureCause cause = error == os::OsError::no_space         ? FailureCause::no_space
                               : error == os::OsError::access_refused ? FailureCause::access_refused
                                                                      : FailureCause::close_failed;
    report_failure(cause, StatementKind::close, channel.name);
}

int read_failure() {
    last_read_failure = FailureCause::read_failed;
    return kReadFailure;
}

// Forgets the current record, read or not.
void forget_record(TextChannel& channel) {
    channel.record_current = false;
    channel.record_ended = false;
    channel.record_data_ended = false;
    channel.record.clear();
    channel.record_pos = 0;
}

// Whether the channel's records are read straight out of its buffer, byte
// by byte, so that a record costs no memory however long it is. Only the
// lines typed at a terminal, at most 132 bytes each, are taken whole, to
// be checked before any of their characters is read.
bool streamed(const TextChannel& channel) {
    return !(channel.style == ChannelStyle::console && channel.interactive);
}

// The next input byte of a streamed channel, reading the next block when
// the buffer is used up: a byte 0..255, kEndOfFile when no byte is left,
// or kReadFailure. Files are read in blocks of 1024 bytes, the console in
// blocks of up to 132.
int take_input_byte(TextChannel& channel) {
    if (channel.buffer_pos == channel.buffer_fill) {
        if (channel.read_failure_pending) {
            channel.read_failure_pending = false;
            return read_failure();
        }
        const bool console = channel.style == ChannelStyle::console;
        if (!console) channel.file_position += static_cast<std::int64_t>(channel.buffer_fill);
        channel.buffer_fill = 0;
        channel.buffer_pos = 0;
        if (channel.input_ends_after_buffer) return kEndOfFile;
        std::size_t got = 0;
        const os::OsError error =
            console ? os::read_some(channel.input_handle, channel.buffer.data(), kConsoleBufferSize, got)
                    : os::read_some(channel.handle, channel.buffer.data(), kFileBufferSize, got);
        if (error != os::OsError::none) return read_failure();
        // A console block whose third byte from its end is Ctrl-Z (input
        // ending in Ctrl-Z CR LF) ends the input there; the bytes before it
        // in the block are still read.
        if (console && got >= 3 && channel.buffer[got - 3] == kCtrlZ) {
            got -= 3;
            channel.input_ends_after_buffer = true;
        }
        if (got == 0) return kEndOfFile;
        channel.buffer_fill = got;
    }
    return static_cast<unsigned char>(channel.buffer[channel.buffer_pos++]);
}

// The next character of a streamed channel's current record, starting one
// when none is current. A record is the bytes up to LF; a CR ends its data;
// a last line without LF is a record too.
int next_streamed_char(TextChannel& channel) {
    for (;;) {
        if (channel.record_ended) return kEndOfRecord;
        const int c = take_input_byte(channel);
        if (c == kReadFailure) return kReadFailure;
        if (c == kEndOfFile) {
            if (!channel.record_current) {
                channel.at_end = true;
                return kEndOfFile;
            }
            channel.record_ended = true;  // the line end supplied after the last block
            return kEndOfRecord;
        }
        channel.record_current = true;
        if (c == '\n') {
            channel.record_ended = true;
            return kEndOfRecord;
        }
        if (c == '\r') channel.record_data_ended = true;
        if (!channel.record_data_ended) return c;
    }
}

// Reads what is left of a streamed channel's current record, up to its
// line end. A read that fails meanwhile is told by the next read.
void skip_rest_of_record(TextChannel& channel) {
    while (channel.record_current && !channel.record_ended) {
        const int c = take_input_byte(channel);
        if (c == kReadFailure) {
            channel.read_failure_pending = true;
            return;
        }
        if (c == kEndOfFile || c == '\n') return;
    }
}

// Writes the buffered output of a file channel; false after a failure.
bool flush_buffer(TextChannel& channel) {
    if (channel.buffer_fill == 0) return true;
    const os::OsError error = os::write_all(channel.handle, channel.buffer.data(), channel.buffer_fill);
    channel.file_position += static_cast<std::int64_t>(channel.buffer_fill);
    channel.buffer_fill = 0;
    if (error != os::OsError::none) {
        report_write_failure(channel, error);
        return false;
    }
    return true;
}

// The first write after the open or after reading cuts the file at the
// position of the record about to be written.
bool enter_write_mode(TextChannel& channel) {
    // A record partly read is read to its end first: the cut comes after it.
    skip_rest_of_record(channel);
    const std::int64_t position = channel.file_position + static_cast<std::int64_t>(channel.buffer_pos);
    if (const os::OsError error = os::truncate_at(channel.handle, position); error != os::OsError::none) {
        report_write_failure(channel, error);
        return false;
    }
    channel.file_position = position;
    channel.buffer_fill = 0;
    channel.buffer_pos = 0;
    forget_record(channel);
    channel.at_end = false;
    channel.writing = true;
    return true;
}

void append_to_file(TextChannel& channel, std::string_view bytes) {
    while (!bytes.empty()) {
        const std::size_t room = kFileBufferSize - channel.buffer_fill;
        const std::size_t n = bytes.size() < room ? bytes.size() : room;
        std::memcpy(channel.buffer.data() + channel.buffer_fill, bytes.data(), n);
        channel.buffer_fill += n;
        bytes.remove_prefix(n);
        if (channel.buffer_fill == kFileBufferSize && !flush_buffer(channel)) return;
    }
}

void write_file_record(TextChannel& channel, std::string_view text) {
    if (!channel.writing && !enter_write_mode(channel)) return;
    // A record that fits in the block with its line end is copied in whole
    // (write_record in the header does that for a file already written).
    if (text.size() + 2 < kFileBufferSize - channel.buffer_fill) {
        char* end = channel.buffer.data() + channel.buffer_fill;
        std::memcpy(end, text.data(), text.size());
        end[text.size()] = '\r';
        end[text.size() + 1] = '\n';
        channel.buffer_fill += text.size() + 2;
        return;
    }
    append_to_file(channel, text);
    append_to_file(channel, "\r\n");
}

// What the carriage-control character asks to be written before the record.
std::string_view carriage_control(char control, bool line_open) {
    switch (control) {
        case '+': return "\r";
        case '0': return line_open ? "\r\n\r\n" : "\r\n";
        case '1': return std::string_view("\r\n\f\r \r", 6);
        default: return line_open ? "\r\n" : "";
    }
}

void write_console_record(TextChannel& channel, std::string_view text) {
    const char control = text.empty() ? ' ' : text.front();
    std::string bytes(carriage_control(control, channel.line_open));
    if (!text.empty()) bytes.append(text.substr(1));
    channel.line_open = true;
    channel.line_closed_by_close = false;
    if (const os::OsError error = os::write_all(channel.handle, bytes.data(), bytes.size());
        error != os::OsError::none) {
        report_write_failure(channel, error);
    }
}

// Takes the next buffered byte into the record: LF ends the record (true),
// a CR ends its data, so nothing between a CR and the LF is kept.
bool take_record_byte(TextChannel& channel, bool& after_cr) {
    const char c = channel.buffer[channel.buffer_pos++];
    if (c == '\n') return true;
    if (c == '\r') after_cr = true;
    if (!after_cr) channel.record.push_back(c);
    return false;
}

// Fetches the next line typed at a terminal, which delivers one line per
// read; a line longer than the 132-byte buffer comes in pieces, and the
// first piece is already too long.
int fetch_terminal_line(TextChannel& channel) {
    channel.record.clear();
    if (channel.buffer_pos == channel.buffer_fill) {
        channel.buffer_fill = 0;
        channel.buffer_pos = 0;
        std::size_t got = 0;
        const os::OsError error = os::read_some(channel.input_handle, channel.buffer.data(), kConsoleBufferSize, got);
        if (error != os::OsError::none) return read_failure();
        if (got == 0) {
            channel.at_end = true;
            return kEndOfFile;
        }
        channel.buffer_fill = got;
    }
    // The line ends at its LF, or where the read ended (Ctrl-D typed
    // mid-line).
    bool after_cr = false;
    while (channel.buffer_pos < channel.buffer_fill && !take_record_byte(channel, after_cr)) {
    }
    if (channel.record.size() > kInteractiveLineLimit) {
        last_read_failure = FailureCause::line_too_long;
        return kReadFailure;
    }
    if (!channel.record.empty() && channel.record.back() == kCtrlZ) {
        channel.at_end = true;
        return kEndOfFile;
    }
    channel.record_pos = 0;
    channel.record_current = true;
    return 0;
}

void close_open_channel(TextChannel& channel) {
    if (channel.reaches_console) return;  // the console channels stay
    if (channel.style == ChannelStyle::file && channel.writing && !flush_buffer(channel)) {
        // The failure was reported; the exit sequence may still be closing.
    }
    if (channel.style == ChannelStyle::console && channel.line_open) {
        (void)os::write_all(channel.handle, "\r\n", 2);
        channel.line_open = false;
        channel.line_closed_by_close = true;
    }
    // The handle is gone once close is called, whatever it returns, so the
    // exit sequence that a failure starts does not close it again.
    if (!channel.standard_handle && channel.handle >= 0) {
        const os::Handle handle = std::exchange(channel.handle, os::kNoHandle);
        if (const os::OsError error = os::close_handle(handle); error != os::OsError::none) {
            report_close_failure(channel, error);
        }
    }
}

void init_console(TextChannel& channel, os::Handle input, os::Handle output) {
    channel = TextChannel{};
    channel.name = "CON";
    channel.style = ChannelStyle::console;
    channel.standard_handle = true;
    channel.input_handle = input;
    channel.handle = output;
    channel.interactive = input >= 0 && os::is_interactive(input);
}

}  // namespace

void set_up_console_channels() {
    const os::Handle in = os::standard_input();
    const os::Handle out = os::standard_output();
    shared_console = os::is_interactive(in) && os::is_interactive(out);
    if (shared_console) {
        init_console(console_out, in, out);
    } else {
        init_console(console_in, in, os::kNoHandle);
        console_in.number = kConsoleInputChannel;
        init_console(console_out, -1, out);
    }
    console_out.number = kConsoleOutputChannel;
}

TextChannel& console_input() { return shared_console ? console_out : console_in; }
TextChannel& console_output() { return console_out; }
bool console_is_shared() { return shared_console; }

TextChannel* find_file_channel(std::int32_t number) {
    for (const auto& channel : detail::file_channels) {
        if (channel && channel->number == number) return channel.get();
    }
    return nullptr;
}

TextChannel* reading_channel(std::int32_t number) {
    if (number == kConsoleInputChannel || number == kDefaultChannel) return &console_input();
    TextChannel* channel = find_file_channel(number);
    // The console's own channel, so that what it has read ahead is not lost.
    return channel != nullptr && channel->reaches_console ? &console_input() : channel;
}

TextChannel* writing_channel(std::int32_t number) {
    if (number == kConsoleOutputChannel || number == kDefaultChannel) return &console_output();
    TextChannel* channel = find_file_channel(number);
    return channel != nullptr && channel->reaches_console ? &console_output() : channel;
}

TextChannel* add_file_channel(TextChannel&& channel) {
    for (auto& slot : detail::file_channels) {
        if (!slot) {
            slot = std::make_unique<TextChannel>(std::move(channel));
            return slot.get();
        }
    }
    return nullptr;
}

void write_any_record(TextChannel& channel, std::string_view text) {
    if (channel.style == ChannelStyle::console) {
        write_console_record(channel, text);
    } else {
        write_file_record(channel, text);
    }
}

int next_char(TextChannel& channel) {
    if (!channel.record_current && channel.at_end) return kEndOfFile;
    if (streamed(channel)) return next_streamed_char(channel);
    if (!channel.record_current) {
        if (const int fetched = fetch_terminal_line(channel); fetched != 0) return fetched;
    }
    if (channel.record_pos >= channel.record.size()) return kEndOfRecord;
    return static_cast<unsigned char>(channel.record[channel.record_pos++]);
}

FailureCause read_failure_cause() { return last_read_failure; }

void next_record(TextChannel& channel) {
    if (streamed(channel)) skip_rest_of_record(channel);
    forget_record(channel);
    if (channel.style == ChannelStyle::console && shared_console && &channel == &console_out) {
        channel.line_open = false;
    }
}

void begin_read(TextChannel& channel) {
    if (channel.style == ChannelStyle::console) {
        if (shared_console && &channel == &console_out && channel.line_open && !channel.line_closed_by_close) {
            if (const os::OsError error = os::write_all(channel.handle, "\r\n", 2); error != os::OsError::none) {
                report_write_failure(channel, error);
            }
        }
        return;
    }
    if (channel.writing) {
        flush_buffer(channel);
        channel.writing = false;
        channel.buffer_fill = 0;
        channel.buffer_pos = 0;
    }
}

void end_read(TextChannel& channel) {
    if (channel.style == ChannelStyle::console && shared_console && &channel == &console_out) {
        channel.line_open = false;
    }
}

void close_channel(std::int32_t number) {
    for (auto& slot : detail::file_channels) {
        if (slot && slot->number == number) {
            close_open_channel(*slot);
            slot.reset();
            return;
        }
    }
}

void close_all_channels() {
    for (auto& slot : detail::file_channels) {
        if (exit_sequence_interrupted()) return;
        if (slot) {
            close_open_channel(*slot);
            slot.reset();
        }
    }
    if (exit_sequence_interrupted()) return;
    if (console_out.line_open) (void)os::write_all(console_out.handle, "\r\n", 2);
}

void reset_channels_for_testing() {
    for (auto& slot : detail::file_channels) slot.reset();
    console_in = TextChannel{};
    console_out = TextChannel{};
    shared_console = false;
}

}  // namespace sotra
