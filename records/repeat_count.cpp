#include "records/repeat_count.h"

namespace sotra {
namespace {

constexpr std::int64_t kCountLimit = 2147483647;

// The value of a digit or letter, or 99 for anything else.
int digit_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'z') return c - 'a' + 10;
    if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
    return 99;
}

// Digits in `base`, at least one; false on a bad digit or a value above
// the 32-bit limit.
bool parse_digits(std::string_view digits, int base, std::int64_t& value) {
    if (digits.empty()) return false;
    value = 0;
    for (const char c : digits) {
        const int d = digit_value(c);
        if (d >= base) return false;
        value = value * base + d;
        if (value > kCountLimit) return false;
    }
    return true;
}

}  // namespace

RepeatCount parse_repeat_count(std::string_view text) {
    RepeatCount result;
    // 1. An empty count is 0.
    if (text.empty()) {
        result.cause = FailureCause::repeat_count_not_positive;
        return result;
    }
    // 2. The sign.
    bool negative = false;
    if (text.front() == '+' || text.front() == '-') {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    // 3. Decimal digits, or a base and its digits.
    std::int64_t value = 0;
    const auto hash = text.find('#');
    if (hash == std::string_view::npos) {
        if (!parse_digits(text, 10, value)) return result;
    } else {
        std::int64_t base = 16;
        if (hash > 0 && !parse_digits(text.substr(0, hash), 10, base)) return result;
        if (base < 2 || base > 36) return result;
        if (!parse_digits(text.substr(hash + 1), static_cast<int>(base), value)) return result;
    }
    // 4. Only a positive count counts down to its last copy.
    if (value == 0 || negative) {
        result.cause = FailureCause::repeat_count_not_positive;
        return result;
    }
    result.ok = true;
    result.count = static_cast<std::int32_t>(value);
    return result;
}

}  // namespace sotra
