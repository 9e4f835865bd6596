#include "process/report_failure.h"

#include <string>

#include "platform/os.h"
#include "process/stop.h"

namespace sotra {
namespace {

std::string_view statement_text(StatementKind kind) {
    switch (kind) {
        case StatementKind::open: return ": OPEN(";
        case StatementKind::close: return ": CLOSE(";
        case StatementKind::read: return ": READ(";
        case StatementKind::write: return ": WRITE(";
        case StatementKind::math: return ": MATH\r\n- ";
        case StatementKind::none: return "\r\n- ";
    }
    return "";
}

bool names_a_file(StatementKind kind) {
    return kind == StatementKind::open || kind == StatementKind::close ||
           kind == StatementKind::read || kind == StatementKind::write;
}

}  // namespace

std::string diagnostic_text(std::int32_t number, std::string_view message, StatementKind kind,
                            std::string_view file_name) {
    std::string text = "\r\nrun-time error ";
    text += kind == StatementKind::math ? 'M' : 'F';
    text += std::to_string(number);
    text += statement_text(kind);
    if (names_a_file(kind)) {
        text += file_name;
        text += message.empty() ? ")\r\n" : ")\r\n- ";
    }
    text += message;
    text += "\r\n";
    return text;
}

void report_failure(std::int32_t number, std::string_view message, StatementKind kind,
                    std::string_view file_name) {
    const std::string text = diagnostic_text(number, message, kind, file_name);
    // A failure to write the diagnostic itself is not reported.
    (void)os::write_all(os::standard_error(), text.data(), text.size());
    end_process(1);
}

void report_failure(FailureCause cause, StatementKind kind, std::string_view file_name) {
    report_failure(failure_number(cause), failure_message(cause), kind, file_name);
}

}  // namespace sotra
