// write_fixed_six_decimals: the fixed-point form with six decimals of a value
// from 1 up to 10^7, the form a free-format real takes, without going
// through the digits place by place.
//
// A value of 1 <= |x| < 10^7 has `a` = 1..7 digits before the point, so all
// 7 digits it shows are significant, and the text is those 7 digits followed
// by a - 1 zeros, with the point before the last six. As a number that is
// W = R x 10^(a-1), R the 17 digits rounded to 7. When the rounding gains a
// digit (R = 10^7), the value shown is 10^a and W is still R x 10^(a-1); it
// just has one more integer digit. W < 10^13, so its integer part W / 10^6
// has at most 8 digits and its decimals W mod 10^6 are six: each is written
// by one write_eight_digits.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "records/decimal_rendering.h"
#include "records/eight_digits.h"

namespace sotra {
namespace fixed_six_decimals_detail {

// 10^(a-1) for a = 1..7.
inline constexpr std::array<std::uint64_t, 8> kScale = {0, 1, 10, 100, 1'000, 10'000, 100'000, 1'000'000};

constexpr std::uint64_t kSevenDigits = 10'000'000;  // 10^7

// Stores the last `count` (1..8) of the eight bytes at `digits` into the
// `count` bytes before `end`, leaving the bytes before those as they were.
inline void store_last_bytes(const char* digits, int count, char* end) {
    char* const at = end - 8;
    std::uint64_t old_bytes;
    std::uint64_t new_bytes;
    std::memcpy(&old_bytes, at, 8);
    std::memcpy(&new_bytes, digits, 8);
    // The first 8 - count bytes in memory keep their old value.
    const unsigned kept_bits = 8 * static_cast<unsigned>(8 - count);
    const std::uint64_t keep = kept_bits == 0 ? 0
                               : std::endian::native == std::endian::little ? ~std::uint64_t{0} >> (64 - kept_bits)
                                                                             : ~std::uint64_t{0} << (64 - kept_bits);
    const std::uint64_t merged = (old_bytes & keep) | (new_bytes & ~keep);
    std::memcpy(at, &merged, 8);
}

}  // namespace fixed_six_decimals_detail

// The fixed-point text with six decimals of a nonzero value with
// 1 <= v.exponent <= 7, as write_fixed writes it: ends just before `end`
// and returns its length (8 to 16). The 15 characters before `end` must be
// set: those before the text are read and stored back as they were.
inline std::size_t write_fixed_six_decimals(const DecimalValue& v, char* end) {
    using namespace fixed_six_decimals_detail;
    // 1. The 17 digits rounded half up to 7, and the text as one number.
    const std::uint64_t rounded = (v.digits + 5'000'000'000) / 10'000'000'000;
    const std::uint64_t text = rounded * kScale[v.exponent];
    const int integer_digits = v.exponent + (rounded == kSevenDigits ? 1 : 0);

    // 2. The decimals, the point before them and the integer digits before
    //    that (the first two characters of the decimals' eight are replaced).
    write_eight_digits(static_cast<std::uint32_t>(text % 1'000'000), end - 8);
    char integer_part[8];
    write_eight_digits(static_cast<std::uint32_t>(text / 1'000'000), integer_part);
    store_last_bytes(integer_part, integer_digits, end - 7);
    end[-7] = '.';

    // 3. The sign: a value of 1 or more never shows as zero, so it keeps it.
    std::size_t length = static_cast<std::size_t>(integer_digits) + 7;
    if (v.negative) {
        end[-static_cast<std::ptrdiff_t>(length) - 1] = '-';
        ++length;
    }
    return length;
}

}  // namespace sotra
