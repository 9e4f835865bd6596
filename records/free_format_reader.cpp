#include "records/free_format_reader.h"

#include "process/report_failure.h"
#include "records/free_format_list.h"

namespace sotra {
namespace {

// A channel as the source of the list's records.
struct ChannelSource {
    TextChannel& channel;
    int next_char() { return sotra::next_char(channel); }
    void next_record() { sotra::next_record(channel); }
    FailureCause failure_cause() const { return read_failure_cause(); }
};

}  // namespace

IoStatus read_free_format(TextChannel& channel, std::span<float* const> destinations,
                          bool handle_errors, bool handle_end_of_file) {
    begin_read(channel);
    ListOutcome outcome{kIoEndOfFile, FailureCause::end_of_file, false};
    if (!channel.at_end) {
        ChannelSource source{channel};
        outcome = read_list(source, destinations);
    }
    // On the shared console the rest of the line goes with a rejected
    // value; elsewhere the next read starts right after it.
    if (outcome.rejected_in_text && channel.style == ChannelStyle::console && console_is_shared()) {
        next_record(channel);
    }
    end_read(channel);
    if (outcome.status == kIoOk) return kIoOk;
    if (outcome.status == kIoEndOfFile && (handle_errors || handle_end_of_file)) return outcome.status;
    if (outcome.status > 0 && handle_errors) return outcome.status;
    report_failure(outcome.cause, StatementKind::read, channel.name);
    return outcome.status;  // only while the exit sequence runs
}

}  // namespace sotra
