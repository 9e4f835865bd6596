// six_decimals_field and write_fixed_six_decimals: the fixed-point form with
// six decimals of a value from 1 up to 10^7, the form a free-format real
// takes, without going through the digits place by place.
//
// A value of 1 <= |x| < 10^7 has `a` = 1..7 digits before the point, so all
// 7 digits it shows are significant: the text is those 7 digits d1..d7 with
// the point after d_a and a - 1 zeros after d7. The digits are worked out
// once, as the byte values of one word (records/eight_digits.h), and the
// text, right-justified in 16 characters, is two words made of that word
// moved by whole bytes: the first holds the blanks, the sign and the integer
// digits but the last; the second the last integer digit, the point and the
// six decimals.
//
// The words stay in registers until they are stored where the text goes: a
// load that overlaps a store just made stalls, so the text is never read
// back from memory.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "records/decimal_rendering.h"
#include "records/eight_digits.h"

namespace sotra {
namespace fixed_six_decimals_detail {

constexpr std::uint64_t kSevenDigits = 10'000'000;  // 10^7
constexpr bool kLittleEndian = std::endian::native == std::endian::little;

// The word that holds these 8 characters in memory order.
constexpr std::uint64_t word_of(std::string_view chars) {
    std::uint64_t word = 0;
    for (int i = 0; i < 8; ++i) {
        const auto byte = static_cast<std::uint64_t>(static_cast<unsigned char>(chars[static_cast<std::size_t>(i)]));
        word |= byte << (kLittleEndian ? 8 * i : 8 * (7 - i));
    }
    return word;
}

constexpr std::uint64_t kBlanks = word_of("        ");
constexpr std::uint64_t kDigitZeros = word_of("00000000");
// Added to the digit values of the last 8 characters: '0' in every byte,
// except the point in the second.
constexpr std::uint64_t kZerosAndPoint = word_of("0.000000");

// The bytes of a word moved k places later or earlier in memory (0 <= k < 8),
// zeros coming in.
constexpr std::uint64_t later(std::uint64_t word, int k) {
    const unsigned bits = 8 * static_cast<unsigned>(k);
    return kLittleEndian ? word << bits : word >> bits;
}
constexpr std::uint64_t earlier(std::uint64_t word, int k) {
    const unsigned bits = 8 * static_cast<unsigned>(k);
    return kLittleEndian ? word >> bits : word << bits;
}

// The mask of the bytes of a word from the k-th in memory on (0 <= k <= 8).
constexpr std::uint64_t bytes_from(int k) { return k >= 8 ? 0 : later(~std::uint64_t{0}, k); }

// A word holding the character c in its first byte in memory, zeros after.
constexpr std::uint64_t first_byte(char c) {
    const auto byte = static_cast<std::uint64_t>(static_cast<unsigned char>(c));
    return kLittleEndian ? byte : byte << 56;
}

inline void store_word(std::uint64_t word, char* at) { std::memcpy(at, &word, sizeof word); }

}  // namespace fixed_six_decimals_detail

// Sixteen characters as two words, each holding eight in memory order.
struct SixteenChars {
    std::uint64_t first = 0;
    std::uint64_t second = 0;
};

// A text right-justified in 16 characters, blanks before it, and its length.
struct SixDecimalField {
    SixteenChars chars;
    std::size_t length = 0;
};

// The fixed-point text with six decimals of a nonzero value with
// 1 <= v.exponent <= 7, as write_fixed writes it: 8 to 16 characters, 16
// only for the sign of a value rounded up to 10^7.
inline SixDecimalField six_decimals_field(const DecimalValue& v) {
    using namespace fixed_six_decimals_detail;
    // 1. The 17 digits rounded half up to 7. A rounding that gains a digit
    //    (which no float in this range has) shows 10^a, the digits of 10^6
    //    with one more before the point; 10^7 has all eight of them there.
    std::uint64_t rounded = (v.digits + 5'000'000'000) / 10'000'000'000;
    int a = v.exponent;
    if (rounded == kSevenDigits) {
        rounded /= 10;
        ++a;
    }
    if (a == 8) {
        return {{word_of(v.negative ? "-1000000" : " 1000000"), kZerosAndPoint}, v.negative ? 16u : 15u};
    }

    // 2. d1..d7 as byte values in the second to the eighth byte.
    const std::uint64_t digits = eight_digit_values(static_cast<std::uint32_t>(rounded));

    // 3. The first 8 characters: blanks, the sign or a blank, d1..d_(a-1).
    const std::uint64_t shown = bytes_from(9 - a);
    std::uint64_t first = ((later(digits, 8 - a) + kDigitZeros) & shown) | (kBlanks & ~shown);
    if (v.negative) {  // a value of 1 or more never shows as zero, so it keeps its sign
        first = (first & ~later(first_byte('\xFF'), 8 - a)) | later(first_byte('-'), 8 - a);
    }

    // 4. The last 8: d_a, the point, then d_(a+1)..d7 and zeros.
    const std::uint64_t last_integer_digit = earlier(digits, a) & ~bytes_from(1);
    const std::uint64_t decimals = earlier(digits, a - 1) & bytes_from(2);
    const std::uint64_t second = (last_integer_digit | decimals) + kZerosAndPoint;
    return {{first, second}, static_cast<std::size_t>(a) + 7 + (v.negative ? 1 : 0)};
}

// The same text written so that it ends just before `end`; returns its
// length. It writes all of the 15 characters before `end`, blanks before
// the text, and the 16th only for a text of 16.
inline std::size_t write_fixed_six_decimals(const DecimalValue& v, char* end) {
    using namespace fixed_six_decimals_detail;
    const SixDecimalField field = six_decimals_field(v);
    // The last 7 characters of the first word, then the second word.
    store_word(earlier(field.chars.first, 1) | later(field.chars.second, 7), end - 15);
    store_word(field.chars.second, end - 8);
    if (field.length == 16) end[-16] = '-';
    return field.length;
}

}  // namespace sotra
