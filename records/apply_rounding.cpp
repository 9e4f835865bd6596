// apply_rounding and round_digits: rounds digits half up (ties away from
// zero) to a given number of significant digits, the digits worked on as one
// number.
#include "records/decimal_rendering.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace sotra {
namespace {

// 10^0 .. 10^18: a digit string of apply_rounding has at most 18 digits.
constexpr std::array<std::uint64_t, 19> make_powers_of_ten() {
    std::array<std::uint64_t, 19> powers{};
    powers[0] = 1;
    for (std::size_t k = 1; k < powers.size(); ++k) powers[k] = powers[k - 1] * 10;
    return powers;
}

constexpr std::array<std::uint64_t, 19> kPowersOfTen = make_powers_of_ten();

}  // namespace

RoundedDigits round_digits(std::uint64_t digits, int length, int n) {
    const int keep = n > 0 ? n : 0;

    // 1. Nothing beyond the digits kept: unchanged.
    if (length <= keep) {
        return {digits, length, false};
    }

    // The kept digits; the one after them is 5 or more when what is dropped
    // is at least 5 followed by zeros.
    // Seventeen digits cut to the seven a value shows is the common case:
    // a division by a constant, which compiles to a multiplication.
    const int dropped = length - keep;
    const std::uint64_t kept = dropped == 10 ? digits / kPowersOfTen[10] : digits / kPowersOfTen[dropped];
    const bool round_up = digits - kept * kPowersOfTen[dropped] >= 5 * kPowersOfTen[dropped - 1];

    // 2. Rounding down: the cut digits are the result.
    if (!round_up) {
        return {kept, keep, false};
    }

    // 3. Rounding up with no digit kept: one unit at the place of the first
    //    digit, the single digit 1.
    if (keep == 0) {
        return {1, 1, true};
    }

    // 4. Rounding up: one unit in the last kept place. Nines all through
    //    become 1 followed by `keep` zeros.
    const std::uint64_t up = kept + 1;
    if (up == kPowersOfTen[keep]) {
        return {up, keep + 1, true};
    }
    return {up, keep, false};
}

bool apply_rounding(RealDigits& r, int n) {
    DigitString& digits = r.digits;
    const int length = static_cast<int>(digits.size());
    std::uint64_t number = 0;
    for (int i = 0; i < length; ++i) number = number * 10 + static_cast<std::uint64_t>(digits[i] - '0');

    const RoundedDigits rounded = round_digits(number, length, n);
    if (rounded.count == length && !rounded.gained) {
        return false;  // nothing beyond the digits kept
    }

    // The digits left, leading zeros kept.
    std::uint64_t rest = rounded.digits;
    char* const out = digits.overwrite(static_cast<std::size_t>(rounded.count));
    for (int i = rounded.count - 1; i >= 0; --i) {
        out[i] = static_cast<char>('0' + rest % 10);
        rest /= 10;
    }

    // A negative value that keeps no digit other than 0 loses its sign; a
    // gained digit moves the exponent, except when no digit was kept.
    if (r.negative && rounded.digits == 0) {
        r.negative = false;
    }
    if (rounded.gained && n > 0) {
        ++r.exponent;
    }
    return rounded.gained;
}

}  // namespace sotra
