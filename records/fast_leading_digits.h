// fast_leading_digits: the first 18 significant digits of m x 2^e by one
// 128-bit multiplication or division.
//
// With 2^L <= m x 2^e < 2^(L+1) and g = floor(L log10 2), the integer
// N = floor(m x 2^e x 10^q) for q = 17 - g lies in [10^17, 2 x 10^18): at
// least 2^L x 10^q >= 10^g x 10^q = 10^17, below 2 x 10^(L log10 2 - g) x
// 10^17 < 2 x 10^18. N is worked out exactly:
// - q >= 0: floor(m x 10^q / 2^-e), or m x 10^q x 2^e when e >= 0. m x 10^q
//   stays below 2^128 for q <= 31, that is for L >= -46;
// - q < 0: floor(m x 2^e / 10^-q); m x 2^e is below 2^128 for every float.
// When N has 19 digits the last is dropped: floor(floor(x) / 10) is
// floor(x / 10), so the 18 digits are still cut from the exact value.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <optional>

#include "records/leading_digits.h"

namespace sotra {
namespace fast_leading_digits_detail {

using uint128 = unsigned __int128;

constexpr int kMaxPowerOfTen = 31;  // m x 10^31 < 2^24 x 2^103 = 2^127

constexpr std::array<uint128, kMaxPowerOfTen + 1> make_powers_of_ten() {
    std::array<uint128, kMaxPowerOfTen + 1> powers{};
    powers[0] = 1;
    for (int k = 1; k <= kMaxPowerOfTen; ++k) powers[k] = powers[k - 1] * 10;
    return powers;
}

inline constexpr std::array<uint128, kMaxPowerOfTen + 1> kPowersOfTen = make_powers_of_ten();

constexpr std::uint64_t kEighteenDigits = 1'000'000'000'000'000'000;  // 10^18

// floor(L log10 2) for -149 <= L <= 127: 78913 / 2^18 is log10 2 closely
// enough that no L in that range falls on the wrong side of an integer.
inline constexpr int floor_log10_of_power_of_two(int L) { return (L * 78913) >> 18; }

}  // namespace fast_leading_digits_detail

// Empty when m x 2^e lies below 2^kFastMinPower.
inline std::optional<LeadingDigits> fast_leading_digits(std::uint32_t m, int e) {
    using namespace fast_leading_digits_detail;
    // 1. The binary order of magnitude L, and the decimal scale q.
    const int L = e + std::bit_width(m) - 1;
    if (L < kFastMinPower) return std::nullopt;
    const int q = 17 - floor_log10_of_power_of_two(L);

    // 2. N = floor(m x 2^e x 10^q), exactly.
    uint128 n;
    if (q >= 0) {
        const uint128 scaled = uint128{m} * kPowersOfTen[q];
        n = e >= 0 ? scaled << e : scaled >> -e;
    } else {
        n = (uint128{m} << e) / kPowersOfTen[-q];
    }

    // 3. 18 digits, dropping a 19th; the value is 0.d1 d2 ... x 10^(18 - q).
    auto digits = static_cast<std::uint64_t>(n);
    int exponent = 18 - q;
    if (digits >= kEighteenDigits) {
        digits /= 10;
        ++exponent;
    }
    return LeadingDigits{digits, exponent};
}

}  // namespace sotra
