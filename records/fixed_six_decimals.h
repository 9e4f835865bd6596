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
// has at most 8 digits and its decimals W mod 10^6 are six: each becomes
// the word of its eight digits (records/eight_digits.h).
//
// The text is put together in two words, which are stored without any load
// of what they overlap: a load that overlaps a store just made stalls.
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
constexpr std::uint64_t kBlanks = 0x2020'2020'2020'2020;

constexpr bool kLittleEndian = std::endian::native == std::endian::little;

// The mask of the bytes of a word from the k-th in memory on (0 <= k < 8).
constexpr std::uint64_t bytes_from(int k) {
    const unsigned bits = 8 * static_cast<unsigned>(k);
    return kLittleEndian ? ~std::uint64_t{0} << bits : ~std::uint64_t{0} >> bits;
}

// The last byte of a word in memory moved to its first place, and a
// character in the second place of a word.
constexpr std::uint64_t last_byte_as_first(std::uint64_t word) { return kLittleEndian ? word >> 56 : word << 56; }
constexpr std::uint64_t byte_as_second(char c) {
    const auto byte = static_cast<std::uint64_t>(static_cast<unsigned char>(c));
    return kLittleEndian ? byte << 8 : byte << 48;
}

inline void store_word(std::uint64_t word, char* at) { std::memcpy(at, &word, sizeof word); }

}  // namespace fixed_six_decimals_detail

// The fixed-point text with six decimals of a nonzero value with
// 1 <= v.exponent <= 7, as write_fixed writes it: ends just before `end`
// and returns its length. It writes all of the 15 characters before `end`,
// blanks before the text; a text of 16 (the sign of a value rounded up to
// 10^7) takes one more.
inline std::size_t write_fixed_six_decimals(const DecimalValue& v, char* end) {
    using namespace fixed_six_decimals_detail;
    // 1. The 17 digits rounded half up to 7, and the text as one number.
    const std::uint64_t rounded = (v.digits + 5'000'000'000) / 10'000'000'000;
    const std::uint64_t text = rounded * kScale[v.exponent];
    const int integer_digits = v.exponent + (rounded == kSevenDigits ? 1 : 0);

    // 2. The words of the integer part and of the decimals, two zeros first.
    const std::uint64_t integer_part = eight_digit_word(static_cast<std::uint32_t>(text / 1'000'000));
    const std::uint64_t decimals = eight_digit_word(static_cast<std::uint32_t>(text % 1'000'000));

    // 3. The 8 characters before the last 7: blanks, then the integer digits.
    const std::uint64_t shown = bytes_from(8 - integer_digits);
    store_word((integer_part & shown) | (kBlanks & ~shown), end - 15);

    // 4. The last 8: the last integer digit, the point, the six decimals.
    const std::uint64_t last_two = bytes_from(2);
    store_word((decimals & last_two) | last_byte_as_first(integer_part) | byte_as_second('.'), end - 8);

    // 5. The sign: a value of 1 or more never shows as zero, so it keeps it.
    std::size_t length = static_cast<std::size_t>(integer_digits) + 7;
    if (v.negative) {
        end[-static_cast<std::ptrdiff_t>(length) - 1] = '-';
        ++length;
    }
    return length;
}

}  // namespace sotra
