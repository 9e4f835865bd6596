#include "process/failure_causes.h"

namespace sotra {

constexpr FailureCauseEntry kFailureCauses[] = {
    {FailureCause::access_refused, 6001, "access refused"},
    {FailureCause::no_space, 6002, "no space left on device"},
    {FailureCause::path_not_found, 6003, "file or directory not found"},
    {FailureCause::file_appeared, 6004, "file was created by someone else meanwhile"},
    {FailureCause::invalid_name, 6005, "file name not valid"},
    {FailureCause::too_many_open_files, 6006, "too many open files"},
    {FailureCause::too_many_channels, 6007, "all channels in use"},
    {FailureCause::already_open, 6008, "file already open on another channel"},
    {FailureCause::write_failed, 6009, "write failed"},
    {FailureCause::read_failed, 6010, "read failed"},
    {FailureCause::end_of_file, 6011, "end of file"},
    {FailureCause::line_too_long, 6012, "console line longer than 130 characters"},
    {FailureCause::close_failed, 6013, "close failed"},
    {FailureCause::invalid_number, 6021, "value is not a valid number"},
    {FailureCause::number_out_of_range, 6022, "number out of range"},
    {FailureCause::real_overflow, 6023, "number too large for a single-precision real"},
    {FailureCause::text_not_real, 6024, "text or parenthesised value where a real was expected"},
    {FailureCause::repeat_count_not_positive, 6025, "repeat count is not positive"},
    {FailureCause::invalid_repeat_count, 6026, "repeat count not valid"},
    {FailureCause::repeat_count_twice, 6027, "second repeat count for one value"},
    {FailureCause::value_too_long, 6028, "value longer than 260 characters"},
    {FailureCause::sweep_step_not_positive, 6031,
     "temperature increment not positive: the sweep would never reach its end"},
    {FailureCause::sweep_stalled, 6032,
     "temperature no longer changes with the increment: the sweep would never reach its end"},
    {FailureCause::too_many_pairs, 6041, "more than 5000 temperature pairs in the data file"},
};

const std::size_t kFailureCauseCount = sizeof kFailureCauses / sizeof kFailureCauses[0];

std::int32_t failure_number(FailureCause cause) {
    return kFailureCauses[static_cast<std::size_t>(cause)].number;
}

std::string_view failure_message(FailureCause cause) {
    return kFailureCauses[static_cast<std::size_t>(cause)].message;
}

}  // namespace sotra
