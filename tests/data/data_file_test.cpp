#include "data/data_file.h"
#include "data/patterns.h"
#include "tests/core/grids.h"
#include "tests/decimal_forms.h"

#include <gtest/gtest.h>

#include <bit>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

using namespace quba;

namespace {

class DataFile : public testing::Test {
protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("quba_data_" +
                   std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::string Write(const std::string& text) {
        const std::string path = (folder_ / "grid.txt").string();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    std::filesystem::path folder_;
};

TEST_F(DataFile, AnyWhiteSpaceSeparatesValues) {
    const DataGrid expected = GridOf(2, {1.5f, -2, 300, 0.4f});
    // A sign glued to a number starts the next value, as it does for scanf;
    // anything after the last value needed is never looked at.
    for (const char* text :
         {"1.5\t-2\n3e2\t4E-1\n", "1.5\t-2\t3e2\t4E-1", " \r\n+1.5  -2\r\n3e2\v\f4E-1",
          "1.5-2 300 0.4", "1.5 -2 300 0.4abc 9"}) {
        const Outcome<DataGrid> result = ParseDataText(text, 2);
        ASSERT_TRUE(result.value) << text;
        EXPECT_EQ(*result.value, expected) << text;
        EXPECT_EQ(result.message, "");
    }
}

TEST_F(DataFile, ValuesTakeEveryDecimalForm) {
    for (const DecimalForm& form : kAcceptedDecimals) {
        // Through the file too, so that the pieces the reader takes agree.
        const std::string text = std::string("1\t") + form.text + "\n-3\t" + form.text + "\n";
        const Outcome<DataGrid> result = ReadDataFile(Write(text), 2);
        ASSERT_TRUE(result.value) << form.text;
        EXPECT_EQ(*result.value, GridOf(2, {1, form.value, -3, form.value})) << form.text;
    }
    for (const std::string form : kRefusedDecimals) {
        if (form.find(' ') != std::string::npos || form.empty())
            continue; // blanks only separate values here
        EXPECT_FALSE(ParseDataText(form + " 1 2 3", 2).value) << form;
    }
}

TEST_F(DataFile, RefusedTexts) {
    for (const char* text :
         {"", "1 2 3", "1 2 3 0", "1 0.0 2 3", "-0 1 2 3", "1e-50 1 2 3", "1 2 3 1e39", "nan 1 2 3",
          "1 inf 2 3", "0x10 1 2 3", "abc 1 2 3", "1 2abc 3 4", "1 2 3 +-4"}) {
        const Outcome<DataGrid> result = ParseDataText(text, 2);
        EXPECT_FALSE(result.value) << text;
        EXPECT_EQ(result.message, kFormatMessage) << text;
    }
}

TEST_F(DataFile, SubnormalsAreAccepted) {
    const Outcome<DataGrid> result = ParseDataText("1e-45 1 2 -1.2e-40", 2);
    ASSERT_TRUE(result.value);
    EXPECT_EQ(result.value->At(0, 0), std::numeric_limits<float>::denorm_min());
    EXPECT_EQ(result.value->At(1, 1), -1.2e-40f);
}

TEST_F(DataFile, LargerFileGivesItsFirstValuesInReadingOrder) {
    std::string text;
    for (int line = 0; line < 40; ++line)
        for (int column = 0; column < 40; ++column)
            text += std::to_string(line * 100 + column + 1) + (column < 39 ? "\t" : "\n");
    const Outcome<DataGrid> result = ReadDataFile(Write(text), 30);
    ASSERT_TRUE(result.value);
    for (int32_t c = 0; c < 30; ++c) {
        EXPECT_EQ(result.value->At(0, c), static_cast<float>(c + 1));
        EXPECT_EQ(result.value->At(1, c), static_cast<float>(c < 10 ? 31 + c : 100 + c - 9));
    }
}

TEST_F(DataFile, ValuesAcrossReadBuffersAndTrailingJunk) {
    // A value split between two 64 KiB reads, then one of the longest tokens
    // taken, itself across a read.
    const std::string longest = "1." + std::string(4093, '0') + "1";
    const std::string text = std::string(65534, ' ') + "1.25 2 3 " + std::string(60000, ' ') +
                             longest + "\n" + std::string(200000, '\x01');
    const Outcome<DataGrid> result = ReadDataFile(Write(text), 2);
    ASSERT_TRUE(result.value) << result.message;
    EXPECT_EQ(*result.value, GridOf(2, {1.25f, 2, 3, 1}));
}

TEST_F(DataFile, ReadingIsBoundedAndLinear) {
    struct Case {
        const char* what;
        std::string text;
        std::string message;
    };
    const std::string tooLarge = "Cannot read file " + (folder_ / "grid.txt").string() +
                                 ": its numbers do not end within 64 MiB";
    const std::vector<Case> cases = {
        {"a token one longer than the longest", "1 2 3 1." + std::string(4094, '0') + "1",
         kFormatMessage},
        {"32 MB without a blank", std::string(32 << 20, '7'), kFormatMessage},
        {"blanks beyond the largest file", "1 2 3" + std::string(kLargestDataFile, ' ') + "4",
         tooLarge},
    };
    for (const Case& c : cases) {
        const std::string path = Write(c.text);
        const auto started = std::chrono::steady_clock::now();
        const Outcome<DataGrid> result = ReadDataFile(path, 2);
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2)) << c.what;
        EXPECT_FALSE(result.value) << c.what;
        EXPECT_EQ(result.message, c.message) << c.what;
    }
}

TEST_F(DataFile, FileThatCannotBeOpened) {
    const std::string missing = (folder_ / "missing.txt").string();
    for (const std::string& path : {missing, folder_.string()}) {
        const Outcome<DataGrid> result = ReadDataFile(path, 2);
        EXPECT_FALSE(result.value);
        EXPECT_EQ(result.message, "Cannot open file " + path);
    }
}

TEST_F(DataFile, EveryGridTheProgramWritesReadsBackIdentically) {
    EXPECT_EQ(DataFileText(GridOf(2, {1, 0.1f, -3.5f, 1e-5f})), "QUBA grid\n1\t0.1\n-3.5\t1e-05\n");
    std::vector<DataGrid> grids;
    for (int32_t index = 0; index < kPatternCount; ++index)
        grids.push_back(GeneratePattern(index, 30));
    // Zeros (a mid-grey picture), extremes and a failed cell of an output.
    grids.push_back(GridOf(2, {std::numeric_limits<float>::max(), -0.0f,
                               std::numeric_limits<float>::denorm_min(), 0}));
    grids.push_back(GridOf(2, {std::numeric_limits<float>::quiet_NaN(), 1, 2, 3}));
    for (const DataGrid& grid : grids) {
        const std::string text = DataFileText(grid);
        for (const Outcome<DataGrid>& read :
             {ReadDataFile(Write(text), grid.Size()), ParseDataText(text, grid.Size())}) {
            ASSERT_TRUE(read.value) << read.message;
            for (size_t k = 0; k < grid.Cells().size(); ++k) {
                const float written = grid.Cells()[k];
                const float back = read.value->Cells()[k];
                if (std::isnan(written))
                    EXPECT_TRUE(std::isnan(back)) << k;
                else
                    EXPECT_EQ(std::bit_cast<uint32_t>(back), std::bit_cast<uint32_t>(written)) << k;
            }
        }
    }
}

TEST_F(DataFile, OnlyTheProgramsOwnFilesHoldZerosAndNan) {
    for (const char* text : {"1 0 2 3", "nan 1 2 3", "QUBA grids\n1 0 2 3", "QUBA grid 1 0 2 3",
                             "# QUBA grid\n1 0 2 3", "QUBA grid\n1 0 2 nanx"}) {
        EXPECT_FALSE(ParseDataText(text, 2).value) << text;
        EXPECT_FALSE(ReadDataFile(Write(text), 2).value) << text;
    }
    EXPECT_EQ(ParseDataText("QUBA grid\r\n1 0 2 3", 2).value, GridOf(2, {1, 0, 2, 3}));
}

} // namespace
