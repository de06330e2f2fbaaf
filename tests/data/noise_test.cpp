#include "data/noise.h"
#include "data/patterns.h"

#include "core/random.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace quba;

namespace {

class Noise : public testing::Test {
protected:
    // Generator state after `draws` more Rand15 draws from `state`.
    static RandomState After(RandomState state, int draws) {
        RandomGenerator other;
        other.SetState(state);
        for (int i = 0; i < draws; ++i)
            other.Rand15();
        return other.State();
    }

    RandomGenerator random; // as seeded with 1
};

bool Same(RandomState a, RandomState b) {
    return a.low == b.low && a.high == b.high;
}

int32_t ChangedCells(const DataGrid& a, const DataGrid& b) {
    int32_t changed = 0;
    for (size_t i = 0; i < a.Cells().size(); ++i)
        changed += a.Cells()[i] != b.Cells()[i] ? 1 : 0;
    return changed;
}

TEST_F(Noise, RatioIsClampedToTheUnitInterval) {
    const std::pair<float, float> cases[] = {{-0.3f, 0},     {7, 1},        {std::nanf(""), 0},
                                             {-INFINITY, 0}, {INFINITY, 1}, {0.05f, 0.05f},
                                             {1, 1}};
    for (const auto& [ratio, clamped] : cases)
        EXPECT_EQ(ClampNoiseRatio(ratio), clamped) << ratio;
}

TEST_F(Noise, CountTruncatesWithTheFloatRatio) {
    // 0.29f lies just below 0.29, so 100 cells give 28 draws.
    const std::tuple<int32_t, float, int32_t> cases[] = {{30, 0.05f, 45}, {30, 0.0011f, 0},
                                                         {30, 1, 900},    {10, 0.29f, 28},
                                                         {30, 7, 900},    {30, NAN, 0}};
    for (const auto& [size, ratio, count] : cases)
        EXPECT_EQ(NoiseCount(size, ratio), count) << size << " " << ratio;
}

TEST_F(Noise, RatioZeroDrawsNothing) {
    const DataGrid original = GeneratePattern(0, 30);
    DataGrid grid = original;
    const RandomState before = random.State();
    AddNoise(grid, 0, random);
    EXPECT_EQ(grid, original);
    EXPECT_TRUE(Same(random.State(), before));
}

TEST_F(Noise, EachDrawIsRowColumnValue) {
    const RandomState start = random.State();
    DataGrid grid = GeneratePattern(0, 30);
    AddNoise(grid, 0.05f, random);
    EXPECT_TRUE(Same(random.State(), After(start, 45 * 3)));

    DataGrid expected = GeneratePattern(0, 30);
    random.SetState(start);
    for (int i = 0; i < 45; ++i) {
        const auto r = static_cast<int32_t>(random.RandomUnit() * 30);
        const auto c = static_cast<int32_t>(random.RandomUnit() * 30);
        expected.At(r, c) = static_cast<float>(random.RandomUnit() * 2 - 1);
    }
    EXPECT_EQ(grid, expected);
}

TEST_F(Noise, CopyReceivesTheSameCells) {
    const DataGrid original = GeneratePattern(6, 30);
    DataGrid grid = original;
    DataGrid copy = original;
    AddNoise(grid, 1, random, &copy);
    EXPECT_EQ(copy, grid);
    // Draws with replacement: about 1 - 1/e of the cells change.
    const int32_t changed = ChangedCells(grid, original);
    EXPECT_GT(changed, 500);
    EXPECT_LT(changed, 640);
}

TEST_F(Noise, FractionOfOneGivesTheLastIndex) {
    // Find generator states just before a draw of 32767 and one draw earlier.
    RandomState previous = random.State();
    RandomState current = previous;
    random.SetState(current);
    while (random.Rand15() != 32767) {
        previous = current;
        current = random.State();
    }
    ASSERT_TRUE(Same(After(current, 1), random.State()));
    // The row draw is 1 from `current`, the column draw is 1 from `previous`.
    for (const auto& [state, lastRow] : {std::pair{current, true}, std::pair{previous, false}}) {
        const DataGrid original = GeneratePattern(0, 2);
        DataGrid grid = original;
        random.SetState(state);
        AddNoise(grid, 0.25f, random);
        EXPECT_TRUE(Same(random.State(), After(state, 3)));
        ASSERT_EQ(ChangedCells(grid, original), 1);
        const int32_t row =
            grid.At(1, 0) != original.At(1, 0) || grid.At(1, 1) != original.At(1, 1);
        const int32_t column =
            grid.At(0, 1) != original.At(0, 1) || grid.At(1, 1) != original.At(1, 1);
        EXPECT_EQ(lastRow ? row : column, 1);
    }
}

} // namespace
