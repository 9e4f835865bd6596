#include "records/repeat_count.h"

#include <gtest/gtest.h>

namespace sotra {
namespace {

TEST(RepeatCountTest, AcceptedCounts) {
    const struct {
        const char* text;
        std::int32_t count;
    } rows[] = {
        {"3", 3},          {"+2", 2},        {"007", 7},       {"2147483647", 2147483647},
        {"16#2", 2},       {"#A", 10},       {"#ff", 255},     {"2#101", 5},
        {"36#z", 35},      {"36#Z", 35},     {"10#12", 12},    {"+8#17", 15},
        {"#7FFFFFFF", 2147483647},
    };
    for (const auto& row : rows) {
        const RepeatCount r = parse_repeat_count(row.text);
        EXPECT_TRUE(r.ok) << row.text;
        EXPECT_EQ(r.count, row.count) << row.text;
    }
}

TEST(RepeatCountTest, RejectedCounts) {
    const struct {
        const char* text;
        FailureCause cause;
    } rows[] = {
        // Nothing to count down from.
        {"", FailureCause::repeat_count_not_positive},
        {"0", FailureCause::repeat_count_not_positive},
        {"#0", FailureCause::repeat_count_not_positive},
        {"-2", FailureCause::repeat_count_not_positive},
        {"-0", FailureCause::repeat_count_not_positive},
        // Not a whole number in range.
        {"2147483648", FailureCause::invalid_repeat_count},
        {"#80000000", FailureCause::invalid_repeat_count},
        {"99999999999999999999", FailureCause::invalid_repeat_count},
        {"1.5", FailureCause::invalid_repeat_count},
        {"1e2", FailureCause::invalid_repeat_count},
        {"+", FailureCause::invalid_repeat_count},
        {"--2", FailureCause::invalid_repeat_count},
        {"2 ", FailureCause::invalid_repeat_count},
        {"x", FailureCause::invalid_repeat_count},
        // Bad bases and digits.
        {"#", FailureCause::invalid_repeat_count},
        {"1#0", FailureCause::invalid_repeat_count},
        {"37#1", FailureCause::invalid_repeat_count},
        {"0#1", FailureCause::invalid_repeat_count},
        {"2#2", FailureCause::invalid_repeat_count},
        {"10#a", FailureCause::invalid_repeat_count},
        {"16#g", FailureCause::invalid_repeat_count},
        {"16##1", FailureCause::invalid_repeat_count},
        {"x#1", FailureCause::invalid_repeat_count},
        {"99999999999#1", FailureCause::invalid_repeat_count},
    };
    for (const auto& row : rows) {
        const RepeatCount r = parse_repeat_count(row.text);
        EXPECT_FALSE(r.ok) << '"' << row.text << '"';
        EXPECT_EQ(r.cause, row.cause) << '"' << row.text << '"';
    }
}

}  // namespace
}  // namespace sotra
