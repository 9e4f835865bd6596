// The eight decimal digits of n < 10^8, leading zeros included, written by
// one 8-byte store.
//
// The digits are worked out side by side in the lanes of a 64-bit word: the
// two groups of four in 32-bit lanes, their hundreds split off by a
// multiplication by 5243 / 2^19 (exact below 43699), the resulting four
// pairs in 16-bit lanes, their tens split off by 103 / 2^10 (exact below
// 179), one digit in each byte, most significant first in memory.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace sotra {

// The eight digits as byte values 0..9 in a word, the first digit in the
// byte that comes first in memory.
inline std::uint64_t eight_digit_values(std::uint32_t n) {
    if constexpr (std::endian::native == std::endian::little) {
        const std::uint64_t x = (n / 10'000) | (std::uint64_t{n % 10'000} << 32);
        const std::uint64_t hundreds = ((x * 5243) >> 19) & 0x0000'007F'0000'007F;
        const std::uint64_t pairs = (x << 16) - hundreds * (100 * 65536 - 1);  // hundreds, then the rest
        const std::uint64_t tens = ((pairs * 103) >> 10) & 0x000F'000F'000F'000F;
        return (pairs << 8) - tens * (10 * 256 - 1);                           // tens, then ones
    } else {
        char digits[8];
        for (int i = 7; i >= 0; --i) {
            digits[i] = static_cast<char>(n % 10);
            n /= 10;
        }
        std::uint64_t word;
        std::memcpy(&word, digits, sizeof word);
        return word;
    }
}

// The eight characters as the word that holds them in memory order: stored
// as it is, it writes them.
inline std::uint64_t eight_digit_word(std::uint32_t n) {
    return eight_digit_values(n) + 0x3030'3030'3030'3030;  // '0' in every byte
}

inline void write_eight_digits(std::uint32_t n, char* out) {
    const std::uint64_t word = eight_digit_word(n);
    std::memcpy(out, &word, sizeof word);
}

}  // namespace sotra
