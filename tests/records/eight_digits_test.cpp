// write_eight_digits works on the two groups of four side by side in one
// word: each group is run through all its 10^4 values with the other held
// at values that would show a carry or a borrow between the lanes.
#include "records/eight_digits.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace sotra {
namespace {

std::string eight_digits(std::uint32_t n) {
    char text[9] = {};
    write_eight_digits(n, text);
    return text;
}

std::string printed(std::uint32_t n) {
    char text[16];
    std::snprintf(text, sizeof text, "%08u", n);
    return text;
}

TEST(EightDigitsTest, EveryValueOfEachGroupOfFour) {
    int failures = 0;
    for (const std::uint32_t other : {0u, 1u, 99u, 100u, 5000u, 9900u, 9999u}) {
        for (std::uint32_t group = 0; group < 10'000 && failures < 10; ++group) {
            for (const std::uint32_t n : {group * 10'000 + other, other * 10'000 + group}) {
                if (eight_digits(n) != printed(n)) {
                    ADD_FAILURE() << n << ": got " << eight_digits(n);
                    ++failures;
                }
            }
        }
    }
}

TEST(EightDigitsTest, EndsAndPowersOfTen) {
    for (const std::uint32_t n : {0u, 1u, 9u, 10u, 99'999'999u, 10'000'000u, 12'345'678u, 87'654'321u}) {
        EXPECT_EQ(eight_digits(n), printed(n)) << n;
    }
}

}  // namespace
}  // namespace sotra
