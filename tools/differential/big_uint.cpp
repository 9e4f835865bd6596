#include "tools/differential/big_uint.h"

#include <bit>
#include <cstdio>
#include <cstdlib>

namespace sotra::differential {
namespace {

using u128 = unsigned __int128;

constexpr std::uint64_t kTenToThe19 = 10000000000000000000ull;

[[noreturn]] void too_large() {
    std::fputs("BigUint: value does not fit in 4096 bits\n", stderr);
    std::abort();
}

}  // namespace

BigUint::BigUint(std::uint64_t value) {
    if (value != 0) {
        limbs_[0] = value;
        size_ = 1;
    }
}

BigUint BigUint::from_decimal(std::string_view digits) {
    BigUint result;
    std::size_t pos = 0;
    while (pos < digits.size()) {
        // Up to 19 digits at a time.
        const std::size_t take = std::min<std::size_t>(19, digits.size() - pos);
        std::uint64_t chunk = 0;
        std::uint64_t scale = 1;
        for (std::size_t i = 0; i < take; ++i) {
            chunk = chunk * 10 + static_cast<std::uint64_t>(digits[pos + i] - '0');
            scale *= 10;
        }
        result.multiply_small(scale);
        result.add_small(chunk);
        pos += take;
    }
    return result;
}

BigUint BigUint::power_of_ten(int n) {
    BigUint result(1);
    for (; n >= 19; n -= 19) result.multiply_small(kTenToThe19);
    std::uint64_t rest = 1;
    for (; n > 0; --n) rest *= 10;
    result.multiply_small(rest);
    return result;
}

BigUint BigUint::power_of_five(int n) {
    constexpr std::uint64_t kFiveToThe27 = 7450580596923828125ull;
    BigUint result(1);
    for (; n >= 27; n -= 27) result.multiply_small(kFiveToThe27);
    std::uint64_t rest = 1;
    for (; n > 0; --n) rest *= 5;
    result.multiply_small(rest);
    return result;
}

int BigUint::bit_length() const {
    if (size_ == 0) return 0;
    return 64 * (size_ - 1) + std::bit_width(limbs_[size_ - 1]);
}

bool BigUint::any_bit_below(int n) const {
    if (n <= 0) return false;
    const int whole = n / 64;
    for (int i = 0; i < whole && i < size_; ++i) {
        if (limbs_[i] != 0) return true;
    }
    const int part = n % 64;
    if (part == 0 || whole >= size_) return false;
    return (limbs_[whole] & ((std::uint64_t{1} << part) - 1)) != 0;
}

std::uint64_t BigUint::bits_from(int low) const {
    const int limb = low / 64;
    const int offset = low % 64;
    const std::uint64_t lo = limb < size_ ? limbs_[limb] : 0;
    const std::uint64_t hi = limb + 1 < size_ ? limbs_[limb + 1] : 0;
    if (offset == 0) return lo;
    return (lo >> offset) | (hi << (64 - offset));
}

void BigUint::multiply_small(std::uint64_t factor) {
    if (factor == 0) {
        *this = BigUint();
        return;
    }
    std::uint64_t carry = 0;
    for (int i = 0; i < size_; ++i) {
        const u128 product = static_cast<u128>(limbs_[i]) * factor + carry;
        limbs_[i] = static_cast<std::uint64_t>(product);
        carry = static_cast<std::uint64_t>(product >> 64);
    }
    if (carry != 0) {
        if (size_ == kLimbs) too_large();
        limbs_[size_++] = carry;
    }
}

void BigUint::add_small(std::uint64_t addend) {
    for (int i = 0; addend != 0; ++i) {
        if (i == size_) {
            if (size_ == kLimbs) too_large();
            limbs_[size_++] = 0;
        }
        const std::uint64_t sum = limbs_[i] + addend;
        addend = sum < addend ? 1 : 0;
        limbs_[i] = sum;
    }
}

std::uint64_t BigUint::divide_small(std::uint64_t divisor) {
    std::uint64_t remainder = 0;
    for (int i = size_ - 1; i >= 0; --i) {
        const u128 current = (static_cast<u128>(remainder) << 64) | limbs_[i];
        limbs_[i] = static_cast<std::uint64_t>(current / divisor);
        remainder = static_cast<std::uint64_t>(current % divisor);
    }
    trim();
    return remainder;
}

void BigUint::shift_left(int bits) {
    if (size_ == 0 || bits == 0) return;
    const int whole = bits / 64;
    const int part = bits % 64;
    const int new_size = size_ + whole + 1;
    if (new_size > kLimbs + 1 || (new_size == kLimbs + 1 && part != 0 &&
                                  (limbs_[size_ - 1] >> (64 - part)) != 0)) {
        too_large();
    }
    for (int i = size_ - 1; i >= 0; --i) {
        const std::uint64_t limb = limbs_[i];
        if (part == 0) {
            limbs_[i + whole] = limb;
        } else {
            if (i + whole + 1 < kLimbs) limbs_[i + whole + 1] |= limb >> (64 - part);
            limbs_[i + whole] = limb << part;
        }
    }
    for (int i = 0; i < whole; ++i) limbs_[i] = 0;
    size_ = std::min(new_size, kLimbs);
    trim();
}

void BigUint::shift_right(int bits) {
    if (size_ == 0 || bits == 0) return;
    const int whole = bits / 64;
    const int part = bits % 64;
    if (whole >= size_) {
        *this = BigUint();
        return;
    }
    for (int i = 0; i < size_ - whole; ++i) {
        std::uint64_t limb = limbs_[i + whole];
        if (part != 0) {
            limb >>= part;
            if (i + whole + 1 < size_) limb |= limbs_[i + whole + 1] << (64 - part);
        }
        limbs_[i] = limb;
    }
    for (int i = size_ - whole; i < size_; ++i) limbs_[i] = 0;
    size_ -= whole;
    trim();
}

void BigUint::subtract(const BigUint& other) {
    std::uint64_t borrow = 0;
    for (int i = 0; i < size_; ++i) {
        const std::uint64_t b = i < other.size_ ? other.limbs_[i] : 0;
        const std::uint64_t d1 = limbs_[i] - b;
        const std::uint64_t borrow1 = limbs_[i] < b ? 1 : 0;
        const std::uint64_t d2 = d1 - borrow;
        const std::uint64_t borrow2 = d1 < borrow ? 1 : 0;
        limbs_[i] = d2;
        borrow = borrow1 | borrow2;
    }
    if (borrow != 0 || other.size_ > size_) {
        std::fputs("BigUint: subtraction below zero\n", stderr);
        std::abort();
    }
    trim();
}

std::string BigUint::decimal() const {
    if (size_ == 0) return "0";
    BigUint rest = *this;
    std::string reversed;
    while (!rest.is_zero()) {
        std::uint64_t chunk = rest.divide_small(kTenToThe19);
        for (int i = 0; i < 19; ++i) {
            reversed.push_back(static_cast<char>('0' + chunk % 10));
            chunk /= 10;
            if (rest.is_zero() && chunk == 0) break;
        }
    }
    return std::string(reversed.rbegin(), reversed.rend());
}

int compare(const BigUint& a, const BigUint& b) {
    if (a.size_ != b.size_) return a.size_ < b.size_ ? -1 : 1;
    for (int i = a.size_ - 1; i >= 0; --i) {
        if (a.limbs_[i] != b.limbs_[i]) return a.limbs_[i] < b.limbs_[i] ? -1 : 1;
    }
    return 0;
}

void BigUint::trim() {
    while (size_ > 0 && limbs_[size_ - 1] == 0) --size_;
}

}  // namespace sotra::differential
