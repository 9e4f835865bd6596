#include "records/free_format_reader.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "records/number_conversion.h"
#include "records/open_channel.h"
#include "tests/support/temp_dir.h"

namespace sotra {
namespace {

using testing_support::TempDir;
using testing_support::write_file;

TEST(ConvertRealTest, AcceptedNumbers) {
    const struct {
        const char* text;
        float value;
    } rows[] = {
        {"150", 150.0f},   {"1.5E2", 150.0f},  {"1.5e2", 150.0f},  {"1.5D2", 150.0f},
        {"1.5d2", 150.0f}, {"1.5+2", 150.0f},  {"150.", 150.0f},   {".15E3", 150.0f},
        {"2.5-3", 2.5e-3f}, {"1+5", 1e5f},     {"-7", -7.0f},      {"+0.5", 0.5f},
        {"0e9999", 0.0f},  {"1e-5201", 0.0f},  {"1e-50", 0.0f},    {"3.4028234e38", 3.4028234e38f},
        {"0.1", 0.1f},     {"000123.4500", 123.45f},
        {"1234567890123456789012345678", 1.2345679e27f},
    };
    for (const auto& row : rows) {
        const ConvertedReal r = convert_real(row.text);
        EXPECT_TRUE(r.ok) << row.text;
        EXPECT_EQ(r.value, row.value) << row.text;
    }
    const ConvertedReal denormal = convert_real("1e-40");
    ASSERT_TRUE(denormal.ok);
    EXPECT_GT(denormal.value, 0.0f);
    EXPECT_LT(denormal.value, std::numeric_limits<float>::min());
    EXPECT_TRUE(std::signbit(convert_real("-0").value));
}

TEST(ConvertRealTest, RejectedNumbers) {
    const struct {
        const char* text;
        FailureCause cause;
    } rows[] = {
        {"1.5E", FailureCause::invalid_number},      {"1.5Q2", FailureCause::invalid_number},
        {"1.5E+", FailureCause::invalid_number},     {"0x10", FailureCause::invalid_number},
        {"INF", FailureCause::invalid_number},       {"1.2.3", FailureCause::invalid_number},
        {".", FailureCause::invalid_number},         {"+", FailureCause::invalid_number},
        {"abc", FailureCause::invalid_number},       {"1\x1A", FailureCause::invalid_number},
        {"3.4028235e38", FailureCause::real_overflow}, {"1e39", FailureCause::real_overflow},
        {"-1e39", FailureCause::real_overflow},      {"1e309", FailureCause::number_out_of_range},
        {"1e5201", FailureCause::number_out_of_range},
    };
    for (const auto& row : rows) {
        const ConvertedReal r = convert_real(row.text);
        EXPECT_FALSE(r.ok) << row.text;
        EXPECT_EQ(r.cause, row.cause) << row.text;
    }
}

// Reads lists from a data file the way the table load does.
class FreeFormatReaderTest : public ::testing::Test {
protected:
    void open_with(const std::string& bytes) {
        write_file(dir.file("data"), bytes);
        open_channel(40, dir.file("data"));
    }
    void TearDown() override { close_channel(40); }
    IoStatus read(std::vector<float>& values) {
        std::vector<float*> destinations;
        for (float& v : values) destinations.push_back(&v);
        return read_free_format(*reading_channel(40), destinations, true, true);
    }
    TempDir dir;
};

TEST_F(FreeFormatReaderTest, SeparatorsAndNullValues) {
    const struct {
        std::string line;
        std::vector<float> expected;  // starting from 9, 9, 9
    } rows[] = {
        {"300 10 400\n", {300, 10, 400}},
        {"300,10,400\n", {300, 10, 400}},
        {"300 , 10 , 400\n", {300, 10, 400}},
        {"300\t10\t400\n", {300, 10, 400}},
        {"300\n10\n400\n", {300, 10, 400}},
        {"\n\n300\n\n10 400\n", {300, 10, 400}},
        {"300,,400\n", {300, 9, 400}},
        {",10,400\n", {9, 10, 400}},
        {"300 10 /\n", {300, 10, 9}},
        {"300/\n", {300, 9, 9}},
    };
    for (const auto& row : rows) {
        open_with(row.line);
        std::vector<float> values = {9, 9, 9};
        EXPECT_EQ(read(values), kIoOk) << row.line;
        EXPECT_EQ(values, row.expected) << row.line;
        close_channel(40);
    }
}

TEST_F(FreeFormatReaderTest, NextReadStartsOnTheFollowingRecord) {
    open_with("300 10 400 500\n1 2 3\n");
    std::vector<float> values(3);
    EXPECT_EQ(read(values), kIoOk);
    EXPECT_EQ(values, (std::vector<float>{300, 10, 400}));
    EXPECT_EQ(read(values), kIoOk);
    EXPECT_EQ(values, (std::vector<float>{1, 2, 3}));
    EXPECT_EQ(read(values), kIoEndOfFile);
    EXPECT_EQ(read(values), kIoEndOfFile) << "end of file stays";
}

TEST_F(FreeFormatReaderTest, ValueEndingAtRecordEndDoesNotDropTheNextRecord) {
    open_with("1 2\n3 4\n");
    std::vector<float> values(2);
    EXPECT_EQ(read(values), kIoOk);
    EXPECT_EQ(values, (std::vector<float>{1, 2}));
    EXPECT_EQ(read(values), kIoOk);
    EXPECT_EQ(values, (std::vector<float>{3, 4}));
}

TEST_F(FreeFormatReaderTest, AfterAnErrorTheNextReadResumesAfterTheRejectedValue) {
    open_with("abc 100 200\n100 xyz\n300 400");
    std::vector<float> values(2);
    EXPECT_EQ(read(values), io_error(FailureCause::invalid_number));
    EXPECT_EQ(read(values), kIoOk);
    EXPECT_EQ(values, (std::vector<float>{100, 200}));
    EXPECT_EQ(read(values), io_error(FailureCause::invalid_number));
    EXPECT_EQ(values[0], 100.0f);
    EXPECT_EQ(read(values), kIoOk);
    EXPECT_EQ(values, (std::vector<float>{300, 400})) << "a last line without line end is read";
}

TEST_F(FreeFormatReaderTest, EndOfFileBeforeTheListIsComplete) {
    open_with("7\n");
    std::vector<float> values(2);
    EXPECT_EQ(read(values), kIoEndOfFile);
    EXPECT_EQ(values[0], 7.0f);
}

TEST_F(FreeFormatReaderTest, UnaskedOutcomesEndTheProgram) {
    open_with("abc\n");
    float value = 0;
    float* const destination[] = {&value};
    EXPECT_EXIT(read_free_format(*reading_channel(40), destination, false, false), ::testing::ExitedWithCode(1),
                "F6021: READ\\(.*data\\)");
}

}  // namespace
}  // namespace sotra
