// The text of one free-format list, read from any source of records and
// delivered into single-precision destinations. The channel read
// (free_format_reader.h) and the tests and tools that work on records held
// in memory (memory_records.h) share this one reading.
//
// A source has:
//   int next_char()   the next byte of the current record (fetching one
//                     when none is current), or kEndOfRecord, kEndOfFile,
//                     kReadFailure; an end of record is returned again
//                     until next_record is called
//   void next_record()   drops what is left of the current record
//   FailureCause failure_cause()   why the last kReadFailure happened
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "process/failure_causes.h"
#include "records/io_status.h"
#include "records/number_conversion.h"
#include "records/repeat_count.h"
#include "records/text_channel.h"

namespace sotra {

// How one list ended.
struct ListOutcome {
    IoStatus status = kIoOk;
    FailureCause cause = FailureCause::end_of_file;  // when status is not ok
    bool rejected_in_text = false;  // an error in the text, not of the source
};

namespace free_format {

// The characters kept of one value; a longer plain value is an error.
constexpr std::size_t kValueTextLimit = 260;

enum class Separator { blank, comma, slash, other };
enum class ValueKind { plain, quoted, parenthesised };

// The state of one read statement.
struct ListState {
    Separator last_separator = Separator::comma;
    std::int32_t repeat_remaining = 0;
    std::string value_text;        // at most kValueTextLimit characters
    std::size_t value_length = 0;  // characters taken, kept or not
    ValueKind value_kind = ValueKind::plain;
    bool ended_by_record_end = false;

    bool empty() const { return value_length == 0; }
    void append(char c) {
        if (value_text.size() < kValueTextLimit) value_text.push_back(c);
        ++value_length;
    }
    void start_value() {
        value_text.clear();
        value_length = 0;
    }
};

inline Separator separator_of(int c) {
    if (c == ' ' || c == '\t') return Separator::blank;
    if (c == ',') return Separator::comma;
    if (c == '/') return Separator::slash;
    return Separator::other;
}

inline ListOutcome source_stop(int c, FailureCause failure) {
    if (c == kEndOfFile) return {kIoEndOfFile, FailureCause::end_of_file, false};
    return {io_error(failure), failure, false};
}

inline ListOutcome text_error(FailureCause cause) { return {io_error(cause), cause, true}; }

// The rest of a quoted text, after its opening mark: up to the next single
// mark (two in a row stand for one), over as many records as it takes,
// each continuation record losing its first character. The character after
// the closing mark is taken as the separator, except an end of record,
// which is left for the next value.
template <typename Source>
ListOutcome read_quoted(Source& source, ListState& state, int mark) {
    state.value_kind = ValueKind::quoted;
    bool drop_first = false;
    for (;;) {
        int c = source.next_char();
        if (c == kEndOfFile || c == kReadFailure) return source_stop(c, source.failure_cause());
        if (c == kEndOfRecord) {
            source.next_record();
            drop_first = true;
            continue;
        }
        if (drop_first) {
            drop_first = false;
            continue;
        }
        if (c != mark) {
            state.append(static_cast<char>(c));
            continue;
        }
        c = source.next_char();
        if (c == mark) {
            state.append(static_cast<char>(c));
            continue;
        }
        if (c == kReadFailure) return source_stop(c, source.failure_cause());
        // A line end or the end of the file after the mark is met by what
        // reads next.
        state.last_separator = c < 0 ? Separator::blank : separator_of(c);
        return {};
    }
}

// Takes the characters of one value into the state (a value that a repeat
// count left pending takes none). The outcome is ok when a value, possibly
// null, was found.
template <typename Source>
ListOutcome read_value(Source& source, ListState& state) {
    // 1. Another copy of the repeated value.
    if (state.repeat_remaining != 0) {
        --state.repeat_remaining;
        return {};
    }
    // 2. Characters up to the end of the value.
    state.start_value();
    state.value_kind = ValueKind::plain;
    state.ended_by_record_end = false;
    for (;;) {
        int c = source.next_char();
        if (c == kEndOfFile || c == kReadFailure) return source_stop(c, source.failure_cause());
        const bool parenthesised = state.value_kind == ValueKind::parenthesised;
        // 2.1 An end of record is a blank, and inside parentheses nothing.
        if (c == kEndOfRecord) {
            source.next_record();
            if (parenthesised) continue;
            if (!state.empty() || state.repeat_remaining != 0) state.ended_by_record_end = true;
            c = ' ';
        }
        switch (c) {
        case ' ':
        case '\t':  // 2.2
            if ((state.empty() && state.repeat_remaining == 0) || parenthesised) continue;
            state.last_separator = Separator::blank;
            return {};
        case ',':  // 2.3
            if (parenthesised) {
                state.append(',');
                continue;
            }
            if (state.empty() && state.last_separator == Separator::blank && state.repeat_remaining == 0) {
                state.last_separator = Separator::comma;  // the comma after a blank
                continue;
            }
            state.last_separator = Separator::comma;
            return {};
        case '/':  // 2.4
            state.last_separator = Separator::slash;
            return {};
        case '*': {  // 2.5
            if (state.repeat_remaining != 0) return text_error(FailureCause::repeat_count_twice);
            if (state.value_length > kValueTextLimit) return text_error(FailureCause::invalid_repeat_count);
            const RepeatCount count = parse_repeat_count(state.value_text);
            if (!count.ok) return text_error(count.cause);
            state.repeat_remaining = count.count - 1;
            state.start_value();
            continue;
        }
        case '\'':
        case '"':  // 2.6
            if (!state.empty()) break;
            return read_quoted(source, state, c);
        case '(':  // 2.7
            if (!state.empty()) break;
            state.value_kind = ValueKind::parenthesised;
            continue;
        case ')':
            if (!parenthesised) break;
            state.last_separator = Separator::blank;
            return {};
        default:
            break;
        }
        // 2.8
        state.append(static_cast<char>(c));
    }
}

// Stores the value found, or leaves the destination as it is for a null.
inline ListOutcome deliver_value(const ListState& state, float& destination) {
    // 1. A null, of whatever kind.
    if (state.empty()) return {};
    // 2. Only a plain value can be a real.
    if (state.value_kind != ValueKind::plain) return text_error(FailureCause::text_not_real);
    // 3. A number, as a whole.
    if (state.value_length > kValueTextLimit) return text_error(FailureCause::value_too_long);
    const ConvertedReal converted = convert_real(state.value_text);
    if (!converted.ok) return text_error(converted.cause);
    destination = converted.value;
    return {};
}

}  // namespace free_format

// Reads one list from the source into the destinations in order. On an ok
// outcome the source stands at the start of the record after the one in
// which the last value ended; after an error, right after the rejected
// value and the character that ended it (or the asterisk of a bad repeat
// count).
template <typename Source>
ListOutcome read_list(Source& source, std::span<float* const> destinations) {
    using namespace free_format;
    ListState state;
    for (float* destination : destinations) {
        // 1. A slash ends the list, once the repeat before it is used up.
        if (state.last_separator == Separator::slash && state.repeat_remaining == 0) break;
        // 2. One value, delivered.
        if (const ListOutcome read = read_value(source, state); read.status != kIoOk) return read;
        if (const ListOutcome delivered = deliver_value(state, *destination); delivered.status != kIoOk) {
            return delivered;
        }
    }
    if (!state.ended_by_record_end) source.next_record();
    return {};
}

}  // namespace sotra
