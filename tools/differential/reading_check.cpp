#include "tools/differential/reading_check.h"

#include <bit>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "records/free_format_list.h"
#include "records/memory_records.h"
#include "records/number_conversion.h"
#include "tools/differential/reader_texts.h"

namespace sotra::differential {
namespace {

constexpr std::uint32_t kUntouched = 0x7FC0DEADu;  // a NaN no reading makes

std::string describe_float(std::uint32_t bits) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "ok 0x%08x (%.9g)", bits,
                  static_cast<double>(std::bit_cast<float>(bits)));
    return buffer;
}

Outcome outcome_of(const ExactReading& expected) {
    if (!expected.ok) {
        switch (expected.cause) {
        case FailureCause::number_out_of_range: return Outcome::out_of_range;
        case FailureCause::real_overflow: return Outcome::real_overflow;
        default: return Outcome::invalid;
        }
    }
    const std::uint32_t magnitude = expected.float_bits & 0x7FFFFFFFu;
    if (magnitude == 0) return Outcome::zero;
    if (magnitude < (1u << 23)) return Outcome::denormal;
    return Outcome::number;
}

}  // namespace

std::string_view outcome_name(Outcome outcome) {
    switch (outcome) {
    case Outcome::number: return "normal single";
    case Outcome::denormal: return "denormal single";
    case Outcome::zero: return "zero";
    case Outcome::out_of_range: return "number_out_of_range";
    case Outcome::real_overflow: return "real_overflow";
    case Outcome::invalid: return "invalid_number";
    case Outcome::too_long: return "value_too_long";
    }
    return "?";
}

bool stands_alone_in_a_list(std::string_view text) {
    if (text.empty()) return false;
    if (text[0] == '\'' || text[0] == '"' || text[0] == '(') return false;
    for (const char c : text) {
        if (c == ' ' || c == '\t' || c == ',' || c == '/' || c == '*' || c == '\n' || c == '\r') return false;
    }
    return true;
}

CheckResult check_text(std::string_view text) {
    CheckResult result;
    const bool too_long = text.size() > kLongestValue;
    ExactReading expected;
    if (too_long) {
        expected.cause = FailureCause::value_too_long;
        result.outcome = Outcome::too_long;
    } else {
        expected = exact_reading(text);
        result.outcome = outcome_of(expected);
        const ConvertedReal got = convert_real(text);
        const bool same = got.ok == expected.ok &&
                          (got.ok ? std::bit_cast<std::uint32_t>(got.value) == expected.float_bits
                                  : got.cause == expected.cause);
        if (!same) {
            result.differs = true;
            result.expected = describe(expected);
            result.got = got.ok ? describe_float(std::bit_cast<std::uint32_t>(got.value))
                                : std::string(cause_name(got.cause));
            return result;
        }
    }
    if (!stands_alone_in_a_list(text)) return result;
    result.through_list = true;
    MemoryRecords records({std::string(text)});
    float destination = std::bit_cast<float>(kUntouched);
    float* const destinations[] = {&destination};
    const ListOutcome listed = read_list(records, destinations);
    const std::uint32_t stored = std::bit_cast<std::uint32_t>(destination);
    bool same = false;
    if (expected.ok) {
        same = listed.status == kIoOk && stored == expected.float_bits;
    } else {
        same = listed.status != kIoOk && listed.status != kIoEndOfFile && listed.cause == expected.cause &&
               listed.rejected_in_text;
    }
    if (!same) {
        result.differs = true;
        result.expected = "list: " + describe(expected);
        result.got = listed.status == kIoOk ? "list: " + describe_float(stored)
                                            : "list: status " + std::to_string(listed.status) + " " +
                                                  std::string(cause_name(listed.cause));
    }
    return result;
}

}  // namespace sotra::differential
