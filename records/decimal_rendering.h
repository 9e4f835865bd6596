// Decimal rendering of single-precision reals.
//
// A value is first taken apart into its sign, up to 17 significant decimal
// digits and a decimal exponent, then rounded to the digits it will show and
// written in fixed-point or exponent form. The rounding is done twice on
// purpose: the exact value is rounded half up to 17 digits, and those 17
// digits are rounded half up again to the digits shown. Every digit beyond
// the 7th significant one is written as 0.
//
// The digits are held as one number on the way (decimal_value, round_digits)
// and written as characters only where they are shown; real_digits and
// apply_rounding give the same steps as digit strings, built on the same
// two. The writers put their text into a caller's buffer, from its last
// character back, so that it lands right-justified where a field ends and a
// record costs no allocation; render_fixed and render_exponent return the
// same text as a string.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>

#include "records/decimal_value.h"

namespace sotra {

// A short string held in place, at most N characters: the digits and the
// code text of a RealDigits, which so cost no allocation.
template <std::size_t N>
class FixedString {
public:
    static constexpr std::size_t kCapacity = N;

    FixedString() = default;
    explicit FixedString(std::string_view text) { assign(text); }
    FixedString& operator=(std::string_view text) {
        assign(text);
        return *this;
    }

    void assign(std::string_view text) {
        if (text.size() > N) throw std::length_error("FixedString: text too long");
        for (std::size_t i = 0; i < text.size(); ++i) char_[i] = text[i];
        size_ = static_cast<std::uint8_t>(text.size());
    }
    // Sets the size to n (n <= N) and returns where its n characters go.
    char* overwrite(std::size_t n) {
        if (n > N) throw std::length_error("FixedString: text too long");
        size_ = static_cast<std::uint8_t>(n);
        return char_.data();
    }
    // Keeps the first n characters (n <= size()).
    void shorten(std::size_t n) { size_ = static_cast<std::uint8_t>(n < size_ ? n : size_); }
    void push_back(char c) {
        if (size_ == N) throw std::length_error("FixedString: text too long");
        char_[size_++] = c;
    }

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    char& operator[](std::size_t i) { return char_[i]; }
    char operator[](std::size_t i) const { return char_[i]; }
    const char* data() const { return char_.data(); }
    std::string_view view() const { return {char_.data(), size_}; }
    operator std::string_view() const { return view(); }

    friend bool operator==(const FixedString& a, std::string_view b) { return a.view() == b; }
    friend std::string operator+(std::string_view a, const FixedString& b) {
        std::string s(a);
        s += b.view();
        return s;
    }
    friend std::ostream& operator<<(std::ostream& os, const FixedString& s) { return os << s.view(); }

private:
    static_assert(N < 256);
    std::array<char, N> char_{};
    std::uint8_t size_ = 0;
};

// 17 significant digits at most, and one more that a rounding may gain.
using DigitString = FixedString<18>;

struct RealDigits {
    bool negative = false;  // false for a zero of either sign
    DigitString digits;     // significant digits, no trailing zeros ("0" for zero)
    int32_t exponent = 0;   // magnitude = 0.d1d2d3... x 10^exponent; 0 for zero
    bool finite = true;     // false for an infinity or a NaN
    FixedString<6> text;    // "1#INF", "1#IND", "1#QNAN" or "1#SNAN" when not finite
};

// Takes a single-precision value apart: its exact magnitude cut to 18
// significant digits, rounded half up to 17, trailing zeros dropped.
RealDigits real_digits(float value);

// A digit string of `length` digits (leading zeros allowed), held as the
// number `digits`, rounded half up to n of them: the rule of apply_rounding
// worked on the number. `count` digits are left, the last `count` of
// `digits` (0 when none is); `gained` as apply_rounding returns it.
struct RoundedDigits {
    std::uint64_t digits = 0;
    int count = 0;
    bool gained = false;
};
RoundedDigits round_digits(std::uint64_t digits, int length, int n);

// Rounds `r` half up (ties away from zero) to `n` significant digits, n >= 0.
// Returns true when the rounding gained a leading digit (999 -> 1000); the
// exponent then grows by one, except for n = 0, where it stays.
// A negative value that keeps no digit other than 0 loses its sign.
bool apply_rounding(RealDigits& r, int n);

// The longest fixed-point text with `decimals` decimals: a sign, 40 integer
// digits (the largest float has 39, and a rounding may gain one), the point
// and the decimals.
constexpr std::size_t fixed_text_capacity(int decimals) {
    return 42 + static_cast<std::size_t>(decimals > 0 ? decimals : 0);
}

// Writes the fixed-point form with `decimals` decimals of a finite value,
// taken apart by decimal_value, so that it ends just before `end` (with
// room for fixed_text_capacity before it), and returns its length: an
// optional "-", the integer digits (none for a magnitude below 1, except
// "0" when there are no decimals), ".", the decimals. At most 7
// significant digits. With 6 decimals, the characters before the text up
// to the 15th before `end` may be set to blanks.
std::size_t write_fixed(const DecimalValue& v, int decimals, char* end);
std::string render_fixed(float value, int decimals);

// Exponent form of a finite value: d.ddddddE+dd, with "-" in front when
// negative. write_exponent takes the value as decimal_value gave it, writes
// the text so that it ends just before `end`, and returns its length, at
// most kExponentTextCapacity.
constexpr std::size_t kExponentTextCapacity = 13;
std::size_t write_exponent(const DecimalValue& v, char* end);
std::string render_exponent(float value);

// The code text of an infinity or NaN, cut or padded with "." to `length`.
std::string render_non_finite(float value, int length);

}  // namespace sotra
