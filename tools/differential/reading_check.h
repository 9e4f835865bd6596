// One text read by the program's conversion and, where the text can stand
// as a value in a list, by the free-format list reader, compared with the
// exact reading.
#pragma once

#include <string>
#include <string_view>

#include "tools/differential/exact_reading.h"

namespace sotra::differential {

// What the exact reading says the text is.
enum class Outcome { number, denormal, zero, out_of_range, real_overflow, invalid, too_long };
constexpr std::size_t kOutcomeCount = 7;
std::string_view outcome_name(Outcome outcome);

struct CheckResult {
    Outcome outcome = Outcome::invalid;
    bool through_list = false;  // also read as a one-value list
    bool differs = false;
    std::string expected;  // when it differs
    std::string got;
};

// Texts longer than the longest value a list holds are checked only as a
// list, where they must be rejected as too long.
CheckResult check_text(std::string_view text);

// Whether the list reader would take the whole text as one plain value.
bool stands_alone_in_a_list(std::string_view text);

}  // namespace sotra::differential
