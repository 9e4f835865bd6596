#include "records/formatted_writer.h"

#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace sotra {
namespace {

std::string blanks(int n) { return std::string(static_cast<std::size_t>(n), ' '); }

TEST(FixedFieldTest, NineWideThreeDecimals) {
    const struct {
        float x;
        std::string field;
    } rows[] = {
        {428.0f, blanks(2) + "428.000"},
        {300.0f, blanks(2) + "300.000"},
        {351.25f, blanks(2) + "351.250"},
        {9.9999f, blanks(3) + "10.000"},
        {0.5f, blanks(5) + ".500"},
        {0.0625f, blanks(5) + ".063"},
        {0.0f, blanks(5) + ".000"},
        {-1.5f, blanks(3) + "-1.500"},
        {-0.0004f, blanks(5) + ".000"},
        {-0.0005f, blanks(4) + "-.001"},
        {-1234.5678f, "-1234.568"},
        {12345.678f, "12345.680"},
        {99999.99f, "99999.990"},
        {-99999.99f, "*********"},
        {123456.7f, "*********"},
        {10000000.0f, "*********"},
        {std::numeric_limits<float>::infinity(), "1#INF...."},
        {-std::numeric_limits<float>::infinity(), "1#INF...."},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(fixed_field(row.x, 9, 3), row.field) << row.x;
    }
}

TEST(FormatRecordTest, TitleRecords) {
    const std::vector<float> one_constant = {428.0f};
    const std::vector<float> one_mean = {351.25f};
    EXPECT_EQ(format_record("('TITLE TOP \"Th Debye: ',F9.3,'K\"')", one_constant),
              "TITLE TOP \"Th Debye:   428.000K\"");
    EXPECT_EQ(format_record("('TITLE TOP \"Th Debye(media): ',F9.3,'K\"')", one_mean),
              "TITLE TOP \"Th Debye(media):   351.250K\"");
    EXPECT_EQ(format_record("('TITLE BOTTOM \"T(K)\"')", {}), "TITLE BOTTOM \"T(K)\"");
    EXPECT_EQ(format_record("('TITLE LEFT \"Cv/R Debye\"')", {}), "TITLE LEFT \"Cv/R Debye\"");
    EXPECT_EQ(format_record("('TITLE TOP \"Th Debye: ',F9.3,'K\"')", one_constant).size(), 32u);
    EXPECT_EQ(format_record("('TITLE TOP \"Th Debye(media): ',F9.3,'K\"')", one_mean).size(), 39u);
}

TEST(FormatRecordTest, LiteralMarks) {
    // A doubled mark stands for itself; the other mark is ordinary.
    EXPECT_EQ(format_record("('it''s \"q\"')", {}), "it's \"q\"");
    EXPECT_EQ(format_record("(\"say \"\"hi\"\" 'x'\")", {}), "say \"hi\" 'x'");
}

TEST(FormatRecordTest, FieldWithoutValueEndsTheRecord) {
    EXPECT_EQ(format_record("('A',F9.3,'B')", {}), "A");
}

}  // namespace
}  // namespace sotra
