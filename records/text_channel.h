// Text channels: the program's only way to the console and to files.
//
// A channel is named by a number. Reading takes records (lines) with their
// line end removed; writing hands over finished records, and the channel
// adds the line end in its own style: CR LF in a file; on the console the
// first character of each record is carriage control.
#pragma once

#include <array>
#include <memory>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/os.h"
#include "process/failure_causes.h"

namespace sotra {

enum class ChannelStyle { console, file };

// The channel numbers that need no open, and the default channel "*".
constexpr std::int32_t kConsoleInputChannel = 5;
constexpr std::int32_t kConsoleOutputChannel = 6;
constexpr std::int32_t kDefaultChannel = INT32_MIN;

constexpr std::size_t kFileBufferSize = 1024;
constexpr std::size_t kConsoleBufferSize = 132;
constexpr std::size_t kMaxFileChannels = 61;

struct TextChannel {
    std::int32_t number = 0;
    std::string name;  // as opened, trimmed; "CON" for the console
    ChannelStyle style = ChannelStyle::file;
    os::Handle handle = os::kNoHandle;        // the file; standard output for the console
    os::Handle input_handle = os::kNoHandle;  // console style: where records are read
    os::Access access = os::Access::read_write;
    os::FileIdentity identity;     // file style: the file however it is named
    bool standard_handle = false;  // never closed
    bool interactive = false;      // console input from a terminal
    bool reaches_console = false;  // a device name for the console: reads and
                                   // writes go through the console channels

    std::array<char, kFileBufferSize> buffer{};
    std::size_t buffer_fill = 0;  // bytes valid in the buffer
    std::size_t buffer_pos = 0;   // next byte to read
    std::int64_t file_position = 0;  // file offset of the buffer's first byte

    bool writing = false;               // file style: cut at the first write
    bool line_open = false;             // console style: a line end is owed
    bool line_closed_by_close = false;  // console style: closing wrote it
    bool at_end = false;                // end of file reached while reading
    bool input_ends_after_buffer = false;  // console: a Ctrl-Z ended the input

    // The record being read. A line typed at a terminal is held whole, with
    // the position in it; any other record is read out of the buffer as it
    // goes, however long it is.
    std::string record;
    std::size_t record_pos = 0;
    bool record_current = false;
    bool record_ended = false;          // its line end has been read
    bool record_data_ended = false;     // a CR ended its data
    bool read_failure_pending = false;  // a read failed while a record was dropped
};

// The console channels. With standard input and standard output both
// terminals they are one shared channel; otherwise two.
void set_up_console_channels();
TextChannel& console_input();
TextChannel& console_output();
bool console_is_shared();

// The channel a read or a write statement names: 5 and "*" read the
// console, 6 and "*" write it; any other number must be open (nullptr if not).
TextChannel* reading_channel(std::int32_t number);
TextChannel* writing_channel(std::int32_t number);

// The open file channel with that number, or nullptr.
TextChannel* find_file_channel(std::int32_t number);

// Enters a newly opened channel in the table; nullptr when all are in use.
TextChannel* add_file_channel(TextChannel&& channel);

// Calls f on every open file channel, in table order.
template <typename F>
void for_each_file_channel(F&& f);

// One record, without a line end. A failure ends the program. A record
// that fits, with its line end, in the block of a file already being
// written is copied in here; any other goes to write_any_record.
inline void write_record(TextChannel& channel, std::string_view text);
void write_any_record(TextChannel& channel, std::string_view text);

// Room in the buffer for a record of `length` characters, when it fits
// there with its line end in the block of a file already being written:
// the line end is put after it and both are counted, and the caller writes
// the record's characters at the place returned before anything else is
// done with the channel. nullptr, and nothing done, otherwise.
inline char* claim_record_room(TextChannel& channel, std::size_t length);

// What next_char yields besides a byte value 0..255.
constexpr int kEndOfRecord = -1;
constexpr int kEndOfFile = -2;
constexpr int kReadFailure = -3;

// The next character of the current record, fetching a record first when
// none is current. On kReadFailure, `read_failure_cause` tells why.
int next_char(TextChannel& channel);
FailureCause read_failure_cause();

// Drops what is left of the current record (clearing line_open on the
// shared console); the next record is fetched when a character is needed.
void next_record(TextChannel& channel);

// Called when a read statement starts and ends on the channel: the shared
// console gets its line end before the answer is typed, a file channel
// writes what it has buffered, and the end of a console read clears the
// console's open line.
void begin_read(TextChannel& channel);
void end_read(TextChannel& channel);

// Writes the buffer, ends an open console line, closes the handle (never a
// standard one) and removes the channel. A failure to write or to close
// ends the program. A number not open does nothing.
void close_channel(std::int32_t number);

// The end-of-process close: every open channel in table order, then the
// console line end if one is owed. Stops early if a failure is reported.
void close_all_channels();

// Forgets every channel without closing anything (for tests of the table).
void reset_channels_for_testing();

namespace detail {
extern std::array<std::unique_ptr<TextChannel>, kMaxFileChannels> file_channels;
}

inline char* claim_record_room(TextChannel& channel, std::size_t length) {
    if (channel.style != ChannelStyle::file || !channel.writing ||
        length + 2 >= kFileBufferSize - channel.buffer_fill) {
        return nullptr;
    }
    char* const record = channel.buffer.data() + channel.buffer_fill;
    record[length] = '\r';
    record[length + 1] = '\n';
    channel.buffer_fill += length + 2;
    return record;
}

inline void write_record(TextChannel& channel, std::string_view text) {
    if (char* const record = claim_record_room(channel, text.size())) {
        std::memcpy(record, text.data(), text.size());
        return;
    }
    write_any_record(channel, text);
}

template <typename F>
void for_each_file_channel(F&& f) {
    for (const auto& channel : detail::file_channels) {
        if (channel) f(*channel);
    }
}

}  // namespace sotra
