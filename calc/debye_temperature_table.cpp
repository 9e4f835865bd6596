#include "calc/debye_temperature_table.h"

#include "process/report_failure.h"
#include "records/free_format_reader.h"
#include "records/open_channel.h"

namespace sotra {
namespace {

constexpr std::int32_t kDataChannel = 10;

}  // namespace

float debye_temperature_at(const DebyeTemperatureTable& table, float t) {
    const auto& temps = table.temperatures;
    const auto& thetas = table.debye_temperatures;
    const std::size_t last = static_cast<std::size_t>(table.count) - 1;
    // 1.-2. The end tests, by position, the last pair first.
    if (!(temps[last] > t)) return thetas[last];
    if (!(temps[0] < t)) return thetas[0];
    // 3. The first pair whose temperature is not below t; it is not the first.
    std::size_t i = 1;
    while (temps[i] < t) ++i;
    // 4. Product, quotient, sum, in double precision.
    const double rise = static_cast<double>(thetas[i]) - static_cast<double>(thetas[i - 1]);
    const double offset = static_cast<double>(t) - static_cast<double>(temps[i - 1]);
    const double span = static_cast<double>(temps[i]) - static_cast<double>(temps[i - 1]);
    return static_cast<float>((rise * offset) / span + static_cast<double>(thetas[i - 1]));
}

float load_debye_temperatures(DebyeTemperatureTable& table, std::string_view data_file_name) {
    // 1.
    open_channel(kDataChannel, data_file_name);
    TextChannel& channel = *reading_channel(kDataChannel);
    // 2.
    float sum = 0.0f;
    // 3.-4. One pair per read; an error retries the same slot.
    // Past the capacity a pair is read into scratch slots only to learn
    // whether the file holds one more.
    float scratch[2] = {0.0f, 0.0f};
    for (;;) {
        const bool full = table.count > kTableCapacity;
        const std::size_t slot = full ? 0 : static_cast<std::size_t>(table.count) - 1;
        float* const pair[] = {full ? &scratch[0] : &table.temperatures[slot],
                               full ? &scratch[1] : &table.debye_temperatures[slot]};
        const IoStatus status = read_free_format(channel, pair, true, true);
        if (status == kIoEndOfFile) break;
        if (status == kIoOk && full) {
            report_failure(FailureCause::too_many_pairs, StatementKind::read, channel.name);
            break;
        }
        if (status == io_error(FailureCause::read_failed)) {
            // A failing read consumes nothing; retrying it would never end.
            report_failure(FailureCause::read_failed, StatementKind::read, channel.name);
            break;
        }
        if (status > 0) continue;
        sum = static_cast<float>(static_cast<double>(sum) + static_cast<double>(table.debye_temperatures[slot]));
        ++table.count;
    }
    // 5.-7.
    close_channel(kDataChannel);
    --table.count;
    return static_cast<float>(static_cast<double>(sum) / static_cast<double>(table.count));
}

}  // namespace sotra
