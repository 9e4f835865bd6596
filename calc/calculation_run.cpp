#include "calc/calculation_run.h"

#include <span>
#include <string_view>

#include "calc/debye_heat_capacity.h"
#include "calc/debye_temperature_table.h"
#include "process/plot_script_name.h"
#include "process/report_failure.h"
#include "process/run_command.h"
#include "process/stop.h"
#include "records/formatted_reader.h"
#include "records/formatted_writer.h"
#include "records/free_format_reader.h"
#include "records/free_format_writer.h"
#include "records/open_channel.h"

namespace sotra {
namespace {

constexpr std::int32_t kResultsChannel = 11;
constexpr std::int32_t kScriptChannel = 13;

// The prompts are stored in the Windows-1252 code page: 0xE1 is a-acute and
// 0xF3 o-acute, and they reach the console as these single bytes.
constexpr std::string_view kSweepPrompt = " TEMPERATURA INICIAL, INCREMENTO Y FINAL";
constexpr std::string_view kAtomsPrompt = " No de \xE1tomos por f\xF3rmula unidad Y THETA";
constexpr std::string_view kVariablePrompt = " Si THETA =< 0 se supone variable con T";
constexpr std::string_view kDataFilePrompt = " Fichero de datos de THETA(T)";
constexpr std::string_view kResultsName = "SOTRA.DAT";
constexpr std::string_view kScriptName = "SOTRA.GNP";
constexpr std::string_view kPlotCommand = "plot '-' with lines";
constexpr std::string_view kTitleConstant = "('TITLE TOP \"Th Debye: ',F9.3,'K\"')";
constexpr std::string_view kTitleMean = "('TITLE TOP \"Th Debye(media): ',F9.3,'K\"')";
constexpr std::string_view kTitleBottom = "('TITLE BOTTOM \"T(K)\"')";
constexpr std::string_view kTitleLeft = "('TITLE LEFT \"Cv/R Debye\"')";
constexpr std::string_view kJoin = "JOIN";
constexpr std::string_view kEndOfData = "e";
constexpr std::string_view kPlotterCommand = "wgnuplot sotra.gnp -";
constexpr std::string_view kScriptCommandName = "sotra.gnp";
constexpr std::string_view kClosingMessage = " Resultados en SOTRA.DAT";

// The run's state; every numeric variable starts at zero, so a value the
// dialogue leaves unanswered is zero.
float t_start = 0.0f;
float t_step = 0.0f;
float t_end = 0.0f;
float atoms_per_formula_unit = 0.0f;
float modes_factor = 0.0f;
float mean_theta = 0.0f;
float temperature = 0.0f;
float cv_over_r = 0.0f;
DebyeTemperatureTable table;

void write_text(std::int32_t channel, std::string_view text) {
    const FreeFormatItem item = FreeFormatItem::of_text(text);
    write_free_format(*writing_channel(channel), std::span(&item, 1));
}

void read_console(std::span<float* const> destinations) {
    read_free_format(*reading_channel(kConsoleInputChannel), destinations, false, false);
}

// One point to the results file and then the plot script: the record is
// laid out once and the same bytes go to both.
void write_point(std::span<TextChannel* const> files) {
    const FreeFormatItem items[] = {FreeFormatItem::of_real(temperature), FreeFormatItem::of_real(cv_over_r)};
    write_free_format(files, items);
}

}  // namespace

void calculation_run() {
    // 1.-5. The dialogue.
    write_text(kConsoleOutputChannel, kSweepPrompt);
    float* const sweep[] = {&t_start, &t_step, &t_end};
    read_console(sweep);
    write_text(kConsoleOutputChannel, kAtomsPrompt);
    write_text(kConsoleOutputChannel, kVariablePrompt);
    float* const solid[] = {&atoms_per_formula_unit, &table.debye_temperatures[0]};
    read_console(solid);

    // 6. A positive theta is a table of one pair.
    modes_factor = static_cast<float>(static_cast<double>(atoms_per_formula_unit) * 3.0);
    table.count = 1;

    // 7. A theta of 0 or less varies with T: load the table.
    if (!(table.debye_temperatures[0] > 0.0f)) {
        write_text(kConsoleOutputChannel, kDataFilePrompt);
        char data_file_name[30];
        read_formatted(*reading_channel(kConsoleInputChannel), "(A30)", std::span(data_file_name));
        mean_theta = load_debye_temperatures(table, std::string_view(data_file_name, sizeof data_file_name));
    }

    // A sweep that goes up to t_end by steps that do not go up would never
    // end; say so before any output file is touched.
    if (!(t_start > t_end) && !(t_step > 0.0f)) {
        report_failure(FailureCause::sweep_step_not_positive, StatementKind::none);
    }

    // 8.-10.
    temperature = t_start;
    open_channel(kResultsChannel, kResultsName);
    open_channel(kScriptChannel, kScriptName);
    write_text(kScriptChannel, kPlotCommand);

    // 11.-12. The titles.
    if (table.count == 1) {
        const float shown[] = {debye_temperature_at(table, t_start)};
        write_formatted(*writing_channel(kDefaultChannel), kTitleConstant, shown);
    } else {
        const float shown[] = {mean_theta};
        write_formatted(*writing_channel(kDefaultChannel), kTitleMean, shown);
    }
    write_formatted(*writing_channel(kDefaultChannel), kTitleBottom, {});
    write_formatted(*writing_channel(kDefaultChannel), kTitleLeft, {});

    // 13. The sweep, tested at its end: at least one point. The two files
    //     stay open, at the same place in the table, until step 16.
    TextChannel* const point_files[] = {writing_channel(kResultsChannel), writing_channel(kScriptChannel)};
    for (;;) {
        if (temperature > 0.0f) {
            const double x = static_cast<double>(debye_temperature_at(table, temperature)) /
                             static_cast<double>(temperature);
            cv_over_r = static_cast<float>(debye_heat_capacity(x) * static_cast<double>(modes_factor));
        } else {
            cv_over_r = 0.0f;
        }
        write_point(point_files);
        const double next = static_cast<double>(temperature) + static_cast<double>(t_step);
        const float previous = temperature;
        temperature = static_cast<float>(next);
        if (next > static_cast<double>(t_end)) break;
        // A step too small to change the temperature would repeat this
        // point for ever; the points so far stay in the files.
        if (temperature == previous) report_failure(FailureCause::sweep_stalled, StatementKind::none);
    }

    // 14.-16.
    write_text(kDefaultChannel, kJoin);
    write_text(kScriptChannel, kEndOfData);
    close_channel(kResultsChannel);
    close_channel(kScriptChannel);

    // 17.-18. The plot's outcome changes nothing.
    give_script_command_name(kScriptName, kScriptCommandName);
    (void)run_command(kPlotterCommand);
    stop_run(kClosingMessage);
}

}  // namespace sotra
