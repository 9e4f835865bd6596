// A small unsigned big integer for the exact checks of the number reading:
// up to 4096 bits in 64-bit limbs, with only the operations those checks
// need. Anything that would not fit aborts the program instead of giving a
// wrong value.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace sotra::differential {

class BigUint {
public:
    static constexpr int kLimbs = 64;

    BigUint() = default;
    explicit BigUint(std::uint64_t value);

    // The value of a string of decimal digits (only '0' to '9').
    static BigUint from_decimal(std::string_view digits);
    // 10^n and 5^n.
    static BigUint power_of_ten(int n);
    static BigUint power_of_five(int n);

    bool is_zero() const { return size_ == 0; }
    // The number of bits up to the highest one set; 0 for zero.
    int bit_length() const;
    // Whether any of the bits 0 .. n-1 is set.
    bool any_bit_below(int n) const;
    // The 64 bits from bit `low` up.
    std::uint64_t bits_from(int low) const;

    void multiply_small(std::uint64_t factor);
    void add_small(std::uint64_t addend);
    // Divides in place; returns the remainder.
    std::uint64_t divide_small(std::uint64_t divisor);
    void shift_left(int bits);
    void shift_right(int bits);
    // *this -= other; other must not be larger.
    void subtract(const BigUint& other);

    // The decimal digits, without leading zeros ("0" for zero).
    std::string decimal() const;

    friend int compare(const BigUint& a, const BigUint& b);

private:
    void trim();

    std::array<std::uint64_t, kLimbs> limbs_{};
    int size_ = 0;  // limbs in use; the top one is not zero
};

}  // namespace sotra::differential
