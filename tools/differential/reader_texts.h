// Generated number texts that stress the conversion of free-format values:
// each text depends only on a seed and its index, so that any text a run
// reports can be made again.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace sotra::differential {

enum class TextKind {
    plain,           // short everyday numbers
    long_digits,     // long digit strings, up to the longest value a list holds and past it
    digits_24_25,    // exactly 24 or 25 significant digits
    exponent_edges,  // exponents near +-38, +-45, +-308, +-324, +-5200 and huge written ones
    double_halfway,  // at, just below and just above a midpoint of two adjacent doubles
    float_halfway,   // the same for two adjacent single-precision values
    single_bound,    // around the largest single-precision value and the overflow bound
    zeros,           // mantissas of zeros
    invalid,         // texts broken by one edit, and texts outside the syntax
};

constexpr std::size_t kTextKindCount = 9;
std::string_view kind_name(TextKind kind);

struct GeneratedText {
    TextKind kind = TextKind::plain;
    std::string text;
};

// The longest value text a free-format list holds.
constexpr std::size_t kLongestValue = 260;

// The text with this index of the stream named by `seed`. Texts of the
// long_digits kind are sometimes a little longer than kLongestValue.
GeneratedText generate_text(std::uint64_t seed, std::uint64_t index);

// A small fast generator (xoshiro256**), seeded through splitmix64.
class TextRng {
public:
    explicit TextRng(std::uint64_t seed);
    std::uint64_t next();
    // Uniform in [0, n), n > 0.
    std::uint64_t below(std::uint64_t n);
    // Uniform in [lo, hi].
    long between(long lo, long hi);
    bool chance(unsigned percent) { return below(100) < percent; }

private:
    std::array<std::uint64_t, 4> state_{};
};

// The exact decimal of s x 2^exponent as digits and the power of ten of the
// last digit (value = digits x 10^last), trailing zeros removed.
struct ExactDecimal {
    std::string digits;
    long last = 0;
};
ExactDecimal exact_decimal(std::uint64_t s, int exponent);

}  // namespace sotra::differential
