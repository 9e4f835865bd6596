// What reading one number text must give, worked out exactly and without
// the program's conversion: a table-driven syntax check, the value of the
// text as an exact rational held in big integers, rounding to double and
// then to single precision by integer arithmetic on the bits. No floating
// point is used, and no conversion function of the C or C++ library.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "process/failure_causes.h"

namespace sotra::differential {

struct ExactReading {
    bool ok = false;
    FailureCause cause = FailureCause::invalid_number;  // when not ok
    std::uint32_t float_bits = 0;   // when ok
    // The double on the way, when the text is a number whose double exists
    // (ok, or real_overflow).
    bool has_double = false;
    std::uint64_t double_bits = 0;
};

// The number syntax alone: optional sign; digits with at most one point and
// at least one digit; optionally an exponent letter E, e, D or d with an
// optional sign and digits, or a sign and digits straight after the mantissa.
bool matches_number_syntax(std::string_view text);

ExactReading exact_reading(std::string_view text);

// The bits of +-((2^24 - 1) x 2^104 + 2^75): the largest single-precision
// value plus one unit in the last place of double precision there.
std::uint64_t single_bound_bits();

// The bits of the double nearest to s x 2^exponent, ties to even; an
// exponent that makes it infinite gives the bits of infinity.
std::uint64_t nearest_double_bits(std::uint64_t s, int exponent);

// The single-precision value nearest to a finite double, ties to even, as
// bits (infinity when beyond the single range).
std::uint32_t nearest_float_bits(std::uint64_t double_bits);

// "ok 0x3f800000" or the name of the failure cause, for messages.
std::string describe(const ExactReading& reading);
std::string_view cause_name(FailureCause cause);

}  // namespace sotra::differential
