#include "records/free_format_reader.h"

#include <string>

#include "process/report_failure.h"
#include "records/number_conversion.h"

namespace sotra {
namespace {

constexpr std::size_t kValueTextLimit = 260;

enum class Separator { blank, comma, slash };

// The state of one read statement.
struct ReadState {
    Separator last_separator = Separator::comma;
    std::string value_text;
    bool ended_by_record_end = false;
};

// Why reading one value stopped short of a value.
struct Interruption {
    IoStatus status = kIoOk;
    FailureCause cause = FailureCause::read_failed;
};

// Takes the characters of one value; false on end of file or a failed read.
bool read_value(TextChannel& channel, ReadState& state, Interruption& stop) {
    state.value_text.clear();
    state.ended_by_record_end = false;
    for (;;) {
        const int c = next_char(channel);
        if (c == kEndOfFile) {
            stop.status = kIoEndOfFile;
            stop.cause = FailureCause::end_of_file;
            return false;
        }
        if (c == kReadFailure) {
            stop.cause = read_failure_cause();
            stop.status = io_error(stop.cause);
            return false;
        }
        if (c == kEndOfRecord) {
            next_record(channel);
            if (!state.value_text.empty()) {
                state.ended_by_record_end = true;
                state.last_separator = Separator::blank;
                return true;
            }
            continue;
        }
        if (c == ' ' || c == '\t') {
            if (state.value_text.empty()) continue;
            state.last_separator = Separator::blank;
            return true;
        }
        if (c == ',') {
            if (state.value_text.empty() && state.last_separator == Separator::blank) {
                state.last_separator = Separator::comma;  // the comma after a blank
                continue;
            }
            state.last_separator = Separator::comma;
            return true;
        }
        if (c == '/') {
            state.last_separator = Separator::slash;
            return true;
        }
        if (state.value_text.size() == kValueTextLimit) {
            stop.cause = FailureCause::value_too_long;
            stop.status = io_error(stop.cause);
            return false;
        }
        state.value_text.push_back(static_cast<char>(c));
    }
}

IoStatus finish(TextChannel& channel, IoStatus status, FailureCause cause, bool handle_errors,
                bool handle_end_of_file) {
    end_read(channel);
    if (status == kIoEndOfFile && (handle_errors || handle_end_of_file)) return status;
    if (status > 0 && handle_errors) return status;
    report_failure(cause, StatementKind::read, channel.name);
    return status;  // only while the exit sequence runs
}

}  // namespace

IoStatus read_free_format(TextChannel& channel, std::span<float* const> destinations,
                          bool handle_errors, bool handle_end_of_file) {
    begin_read(channel);
    if (channel.at_end) {
        return finish(channel, kIoEndOfFile, FailureCause::end_of_file, handle_errors, handle_end_of_file);
    }
    ReadState state;
    for (float* destination : destinations) {
        if (state.last_separator == Separator::slash) break;
        Interruption stop;
        if (!read_value(channel, state, stop)) {
            return finish(channel, stop.status, stop.cause, handle_errors, handle_end_of_file);
        }
        if (state.value_text.empty()) continue;  // a null value
        const ConvertedReal converted = convert_real(state.value_text);
        if (!converted.ok) {
            // On the shared console the rest of the line goes with the error;
            // elsewhere the next read starts right after the rejected value.
            if (channel.style == ChannelStyle::console && console_is_shared()) next_record(channel);
            return finish(channel, io_error(converted.cause), converted.cause, handle_errors,
                          handle_end_of_file);
        }
        *destination = converted.value;
    }
    if (!state.ended_by_record_end) next_record(channel);
    end_read(channel);
    return kIoOk;
}

}  // namespace sotra
