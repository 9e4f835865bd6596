// Shared by the renderers: the digits a value shows once rounded, handed out
// by place and 0 past the last, and the number of digits a value shows.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "records/decimal_rendering.h"
#include "records/eight_digits.h"

namespace sotra {

constexpr int kShownDigits = 7;

// The digits of a value rounded to at most 7 (8 with a gained one), written
// once as characters followed by zeros, so that the digit at a place costs
// one load.
class ShownDigits {
public:
    static constexpr std::size_t kPlaces = 16;

    // The value's 17 digits (10^16 <= digits < 10^17, or 0) rounded to n <= 7.
    ShownDigits(const DecimalValue& v, int n)
        : rounded_(round_digits(v.digits, v.zero() ? 1 : 17, n)) {
        // The count digits, left-aligned in eight places, then eight zeros.
        write_eight_digits(static_cast<std::uint32_t>(rounded_.digits * kScale[rounded_.count]), place_.data());
        write_eight_digits(0, place_.data() + 8);
    }

    const RoundedDigits& rounded() const { return rounded_; }

    // The digit at place i (0 for the first), 0 past the last.
    char operator[](std::int64_t i) const {
        const auto at = static_cast<std::uint64_t>(i);
        return at < kPlaces ? place_[at] : '0';
    }

private:
    // 10^(8 - count): moves `count` digits to the front of eight places.
    static constexpr std::array<std::uint32_t, 9> kScale = {100'000'000, 10'000'000, 1'000'000, 100'000, 10'000,
                                                           1'000,       100,        10,        1};

    RoundedDigits rounded_;
    std::array<char, kPlaces> place_;
};

}  // namespace sotra
