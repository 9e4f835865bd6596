// apply_rounding: rounds a digit string half up (ties away from zero) to a
// given number of significant digits.
#include "records/decimal_rendering.h"

#include <cstddef>

namespace sotra {
namespace {

// Adds one unit in the last place of a nonempty digit string, carrying
// through nines. Returns true when every digit was 9, which leaves zeros only.
bool add_one_unit(DigitString& digits) {
    for (std::size_t i = digits.size(); i > 0; --i) {
        char& digit = digits[i - 1];
        if (digit != '9') {
            ++digit;
            return false;
        }
        digit = '0';
    }
    return true;
}

bool shows_only_zeros(const DigitString& digits) {
    return digits.view().find_first_not_of('0') == std::string_view::npos;
}

}  // namespace

bool apply_rounding(RealDigits& r, int n) {
    DigitString& digits = r.digits;
    const std::size_t keep = n > 0 ? static_cast<std::size_t>(n) : 0;

    // 1. Nothing beyond the digits kept: unchanged.
    if (digits.size() <= keep) {
        return false;
    }

    const bool round_up = digits[keep] >= '5';
    digits.shorten(keep);

    // 2. Rounding down: the cut digits are the result. A negative value that
    //    keeps no digit other than 0 loses its sign.
    if (!round_up) {
        if (r.negative && shows_only_zeros(digits)) {
            r.negative = false;
        }
        return false;
    }

    // 3. Rounding up with no digit kept: one unit at the place of the first
    //    digit, so the exponent stays.
    if (keep == 0) {
        digits = "1";
        return true;
    }

    // 4. Rounding up: one unit in the last kept place. Nines all through
    //    become 1 followed by `keep` zeros, one place further left.
    if (add_one_unit(digits)) {
        digits[0] = '1';
        digits.push_back('0');
        ++r.exponent;
        return true;
    }
    return false;
}

}  // namespace sotra
