#include "data/patterns.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace quba;

namespace {

// N = 2 puts every coordinate at -0.5 or 0.5, so each formula can be checked by
// hand. Cells in the order [0][0], [0][1], [1][0], [1][1].
struct TwoByTwoCase {
    const char* name;
    std::array<float, 4> cells;
};

const float kSinMinus2 = static_cast<float>(std::sin(-2.0) + 0.5L);
const float kSinPlus2 = static_cast<float>(std::sin(2.0) + 0.5L);

const TwoByTwoCase kTwoByTwo[] = {
    {"circle", {0.3f, 0.3f, 0.3f, 0.3f}},
    {"circle2", {-0.4f, -0.4f, -0.4f, -0.4f}},
    {"cup", {0.375f, 0.125f, 0.375f, 0.125f}},
    {"line", {-0.15f, 0.85f, -0.65f, 0.35f}},
    {"line2", {-0.1f, -0.25f, 0.9f, -0.1f}},
    {"line3", {-0.5f, 0.5f, 0.85f, -0.15f}},
    {"S curve",
     {kSinMinus2, kSinPlus2, static_cast<float>(std::sin(-2.0) - 0.5L),
      static_cast<float>(std::sin(2.0) - 0.5L)}},
};

TEST(Pattern, TwoByTwoValues) {
    for (const auto& [name, cells] : kTwoByTwo) {
        const DataGrid grid = GeneratePattern(PatternIndex(name), 2);
        ASSERT_EQ(grid.Size(), 2);
        for (size_t i = 0; i < cells.size(); ++i)
            EXPECT_EQ(grid.Cells()[i], cells[i]) << name << " cell " << i;
    }
}

TEST(Pattern, NearCancellationsKeepTheExtendedResidue) {
    // Evaluated in double, these cells give 0 or twice the residue.
    const std::tuple<const char*, int32_t, int32_t, int32_t, float> cases[] = {
        {"circle2", 10, 0, 3, 0x1.98p-57f},
        {"line3", 5, 3, 3, -0x1p-54f},
        {"line3", 6, 0, 2, -0x1p-56f},
        {"line2", 40, 19, 17, -0x1p-57f}};
    for (const auto& [name, size, r, c, value] : cases)
        EXPECT_EQ(PatternValue(PatternIndex(name), size, r, c), value) << name << " " << size;
}

TEST(Pattern, CoordinatesAreSymmetricForEvenAndOddSizes) {
    for (const int32_t size : {30, 31, 50}) {
        const DataGrid grid = GeneratePattern(PatternIndex("circle"), size);
        const int32_t last = size - 1;
        EXPECT_EQ(grid.At(0, 0), grid.At(last, last)) << size;
        EXPECT_EQ(grid.At(0, last), grid.At(last, 0)) << size;
    }
    // Odd sizes have a centre cell at u = v = 0.
    EXPECT_EQ(PatternValue(0, 31, 15, 15), -0.95f);
}

TEST(Pattern, CircleCorners) {
    // 5 (14.5 / 15)^2 - 0.95 and 5 (24.5 / 25)^2 - 0.95.
    EXPECT_NEAR(PatternValue(0, 30, 0, 0), 3.722222f, 1e-6f);
    EXPECT_NEAR(PatternValue(0, 50, 49, 0), 3.852f, 1e-6f);
}

TEST(Pattern, UnknownIndexGivesZeros) {
    for (const int32_t index : {-1, kPatternCount})
        EXPECT_EQ(GeneratePattern(index, 3), DataGrid(3));
    EXPECT_EQ(PatternIndex("Circle"), -1);
    EXPECT_EQ(PatternIndex(nullptr), -1);
}

} // namespace
