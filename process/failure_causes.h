// The causes of the failures that end the program with an F-class
// diagnostic: each has a fixed number from 6000 on and a short message.
#pragma once

#include <cstdint>
#include <string_view>

namespace sotra {

enum class FailureCause {
    // Channels: opening, writing, reading.
    access_refused,
    no_space,
    path_not_found,
    file_appeared,
    invalid_name,
    too_many_open_files,
    too_many_channels,
    already_open,
    write_failed,
    read_failed,
    end_of_file,
    line_too_long,
    close_failed,
    // Free-format and fixed-width reading.
    invalid_number,
    number_out_of_range,
    real_overflow,
    text_not_real,
    repeat_count_not_positive,
    invalid_repeat_count,
    repeat_count_twice,
    value_too_long,
    // The temperature sweep.
    sweep_step_not_positive,
    sweep_stalled,
    // The Debye-temperature table.
    too_many_pairs,
};

struct FailureCauseEntry {
    FailureCause cause;
    std::int32_t number;
    std::string_view message;
};

// The table of every cause, in the order of the enumeration.
extern const FailureCauseEntry kFailureCauses[];
extern const std::size_t kFailureCauseCount;

std::int32_t failure_number(FailureCause cause);
std::string_view failure_message(FailureCause cause);

}  // namespace sotra
