// round_digits on the 17 digits that decimal_value keeps, trailing zeros
// included, against apply_rounding on the digit string real_digits gives,
// trailing zeros dropped: the renderers take the first, the rule is stated
// for the second.
#include "records/decimal_rendering.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

namespace sotra {
namespace {

// The digits kept by round_digits, as apply_rounding would leave them: the
// `count` low digits, then the zeros the string form never had.
std::string kept_text(const RoundedDigits& r) {
    std::string text(static_cast<std::size_t>(r.count), '0');
    std::uint64_t rest = r.digits;
    for (int i = r.count - 1; i >= 0; --i) {
        text[static_cast<std::size_t>(i)] = static_cast<char>('0' + rest % 10);
        rest /= 10;
    }
    return text;
}

TEST(RoundDigitsTest, NumberAndStringFormsRoundAlike) {
    int failures = 0;
    // Every 65537th finite pattern of either sign, and the ones that gain a
    // digit at seven.
    std::vector<std::uint32_t> patterns = {0x38D1B717, 0x3C23D70A, 0x5F0AC723, 0x411FFFFF, 0x00000001, 0x7F7FFFFF};
    for (std::uint64_t bits = 0; bits < 0x1'0000'0000; bits += 65537) {
        if ((bits & 0x7F800000) != 0x7F800000) patterns.push_back(static_cast<std::uint32_t>(bits));
    }
    for (const std::uint32_t bits : patterns) {
        const float value = std::bit_cast<float>(bits);
        const DecimalValue v = decimal_value(value);
        for (int n = 0; n <= 7 && failures < 10; ++n) {
            RealDigits r = real_digits(value);
            const bool gained = apply_rounding(r, n);
            const RoundedDigits number = round_digits(v.digits, v.zero() ? 1 : 17, n);
            std::string padded(r.digits.view());
            std::string from_number = kept_text(number);
            // Both padded with zeros to the same length: what a renderer reads.
            padded.resize(18, '0');
            from_number.resize(18, '0');
            if (padded != from_number || gained != number.gained) {
                ADD_FAILURE() << std::hex << bits << " n " << n << ": string " << r.digits << " gained " << gained
                              << ", number " << kept_text(number) << " gained " << number.gained;
                ++failures;
            }
        }
    }
}

}  // namespace
}  // namespace sotra
