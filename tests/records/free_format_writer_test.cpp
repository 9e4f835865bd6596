#include "records/free_format_writer.h"

#include <bit>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "records/open_channel.h"
#include "tests/support/temp_dir.h"

namespace sotra {
namespace {

std::string blanks(int n) { return std::string(static_cast<std::size_t>(n), ' '); }

std::vector<std::string> lay_out(const std::vector<FreeFormatItem>& items) { return lay_out_free_format(items); }

// The results-file record of one (temperature, Cv/R) point.
struct PointRow {
    float temperature;
    float cv;
    std::string record;
};

TEST(FreeFormatWriterTest, PointRecordsAreThirtyTwoCharacters) {
    const float inf = std::numeric_limits<float>::infinity();
    const float qnan = std::bit_cast<float>(std::uint32_t{0x7FC00000});
    const PointRow rows[] = {
        {300.0f, 5.9876543f, blanks(6) + "300.000000" + blanks(8) + "5.987654"},
        {428.0f, 2.9357f, blanks(6) + "428.000000" + blanks(8) + "2.935700"},
        {10.0f, 0.123456789f, blanks(7) + "10.000000" + blanks(4) + "1.234568E-01"},
        {0.001f, 0.0f, blanks(4) + "1.000000E-03" + blanks(4) + "0.000000E+00"},
        {0.0f, 0.0f, blanks(4) + "0.000000E+00" + blanks(4) + "0.000000E+00"},
        {12345678.0f, -5.0f, blanks(4) + "1.234568E+07" + blanks(7) + "-5.000000"},
        {-1234567.0f, 0.5f, blanks(1) + "-1234567.000000" + blanks(4) + "5.000000E-01"},
        {inf, qnan, blanks(3) + "1#INF........" + blanks(3) + "1#QNAN......."},
    };
    for (const PointRow& row : rows) {
        const auto records = lay_out({FreeFormatItem::of_real(row.temperature), FreeFormatItem::of_real(row.cv)});
        ASSERT_EQ(records.size(), 1u);
        EXPECT_EQ(records[0], row.record);
        EXPECT_EQ(records[0].size(), 32u);
    }
}

TEST(FreeFormatWriterTest, FixedPointOnlyFromOneBelowTenMillion) {
    const struct {
        float x;
        std::string text;
    } rows[] = {
        {1.0f, "1.000000"},          {0.99999994f, "9.999999E-01"}, {0.5f, "5.000000E-01"},
        {9999999.0f, "9999999.000000"}, {10000000.0f, "1.000000E+07"}, {0.0f, "0.000000E+00"},
        {-0.0f, "0.000000E+00"},     {-1.0f, "-1.000000"},
    };
    for (const auto& row : rows) EXPECT_EQ(free_format_real(row.x), row.text) << row.x;
}

TEST(FreeFormatWriterTest, FourRealsToARecordThenAWrap) {
    std::vector<FreeFormatItem> items;
    for (int i = 1; i <= 6; ++i) items.push_back(FreeFormatItem::of_real(static_cast<float>(i)));
    const auto records = lay_out(items);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0], blanks(8) + "1.000000" + blanks(8) + "2.000000" + blanks(8) + "3.000000" + blanks(8) +
                              "4.000000");
    EXPECT_EQ(records[0].size(), 64u);
    EXPECT_EQ(records[1], blanks(8) + "5.000000" + blanks(8) + "6.000000");
}

TEST(FreeFormatWriterTest, RecordsBegunByAWrapHoldFourFieldsOfSixteen) {
    std::vector<FreeFormatItem> items;
    for (int i = 0; i < 12; ++i) items.push_back(FreeFormatItem::of_real(2.5f));
    const auto records = lay_out(items);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].size(), 64u);
    EXPECT_EQ(records[1].size(), 64u);
    EXPECT_EQ(records[1].substr(0, 16), blanks(8) + "2.500000");
    EXPECT_EQ(records[2].size(), 64u);
}

TEST(FreeFormatWriterTest, TextsFillTheSeventyNineCharacterRoom) {
    const std::string t78(78, 'a');
    const std::string t79(79, 'b');
    std::string t100;
    for (int i = 0; i < 100; ++i) t100.push_back(static_cast<char>('A' + i % 26));

    EXPECT_EQ(lay_out({FreeFormatItem::of_text(t78)}), (std::vector<std::string>{" " + t78}));
    EXPECT_EQ(lay_out({FreeFormatItem::of_text(t79)}), (std::vector<std::string>{" " + t79, " "}));
    EXPECT_EQ(lay_out({FreeFormatItem::of_text(t100)}),
              (std::vector<std::string>{" " + t100.substr(0, 79), " " + t100.substr(79)}));
}

TEST(FreeFormatWriterTest, RealAfterTextHasNoSeparatingBlank) {
    const auto records = lay_out({FreeFormatItem::of_text("AB"), FreeFormatItem::of_real(1.5f),
                                  FreeFormatItem::of_text("CD"), FreeFormatItem::of_real(2.5f),
                                  FreeFormatItem::of_real(3.5f)});
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0], " AB" + blanks(7) + "1.500000CD" + blanks(7) + "2.500000" + blanks(8) + "3.500000");
    EXPECT_EQ(records[0].size(), 51u);
}

TEST(FreeFormatWriterTest, RealWrappingRightAfterATextOpensTheRecordWithoutBlank) {
    const auto records = lay_out({FreeFormatItem::of_text(std::string(78, 'x')), FreeFormatItem::of_real(1.0f)});
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].size(), 79u);
    EXPECT_EQ(records[1], blanks(7) + "1.000000");
}

TEST(FreeFormatWriterTest, TextsKeepTheirBytesAndTrailingBlanks) {
    const std::string prompt = " No de \xE1tomos por f\xF3rmula unidad Y THETA";
    EXPECT_EQ(lay_out({FreeFormatItem::of_text(prompt)}), (std::vector<std::string>{" " + prompt}));
    EXPECT_EQ(lay_out({FreeFormatItem::of_text("e  ")}), (std::vector<std::string>{" e  "}));
    EXPECT_EQ(lay_out({FreeFormatItem::of_text("A"), FreeFormatItem::of_text("B")}),
              (std::vector<std::string>{" AB"}));
}

TEST(FreeFormatWriterTest, NoItemsIsOneBlank) {
    EXPECT_EQ(lay_out({}), (std::vector<std::string>{" "}));
}

// A write of reals alone goes to the channels by a path of its own, its
// fields stored straight into each file's block when the record fits there.
// Whatever the values, and wherever the block ends, the files hold what
// the general layout makes of the same items.
class FreeFormatFileTest : public ::testing::Test {
protected:
    void TearDown() override {
        for (const std::int32_t number : {40, 41}) close_channel(number);
    }
    testing_support::TempDir dir;
};

TEST_F(FreeFormatFileTest, RealsAloneGoToEveryChannelAsTheLayoutMakesThem) {
    const float inf = std::numeric_limits<float>::infinity();
    const float values[] = {1.0f, -9999999.0f, 0.5f, 12345678.0f, 0.0f, -0.0f, inf, 3.25f, -1.5e-20f, 7.0f};
    open_channel(40, dir.file("first.dat"));
    open_channel(41, dir.file("second.dat"));
    TextChannel* const channels[] = {writing_channel(40), writing_channel(41)};
    std::string expected;
    // Writes of one to four reals, 90 of them: the blocks of 1024 bytes end
    // inside records of every length and between them.
    for (int i = 0; i < 90; ++i) {
        std::vector<FreeFormatItem> items;
        for (int k = 0; k <= i % 4; ++k) items.push_back(FreeFormatItem::of_real(values[(i + 3 * k) % 10]));
        write_free_format(channels, items);
        for (const std::string& record : lay_out(items)) expected += record + "\r\n";
    }
    ASSERT_GT(expected.size(), 3 * kFileBufferSize);
    close_channel(40);
    close_channel(41);
    EXPECT_EQ(testing_support::read_file(dir.file("first.dat")), expected);
    EXPECT_EQ(testing_support::read_file(dir.file("second.dat")), expected);
}

}  // namespace
}  // namespace sotra
