// The generator: its worked values, the interleaving of its two draws and
// the two derived draws.
#include "core/random.h"
#include "tests/core/random_states.h"

#include <gtest/gtest.h>

using namespace quba;

namespace {

class RandomTest : public ::testing::Test {
protected:
    RandomGenerator random;
};

TEST_F(RandomTest, Rand15AfterSeedOneGivesTheWorkedValues) {
    random.SeedRandom(1);
    EXPECT_EQ(random.Rand15(), 130);
    EXPECT_EQ(random.Rand15(), 10982);
    EXPECT_EQ(random.Rand15(), 1090);
}

TEST_F(RandomTest, Rand31AfterSeedOneGivesTheWorkedValues) {
    random.SeedRandom(1);
    EXPECT_EQ(random.Rand31(), 1410184549);
    EXPECT_EQ(random.Rand31(), 672584604);
    EXPECT_EQ(random.Rand31(), 1915668986);
}

TEST_F(RandomTest, Rand15TouchesOnlyTheLowWordWhileRand31AdvancesBoth) {
    random.SeedRandom(1);
    const RandomState seeded = random.State();
    EXPECT_EQ(seeded.high, 0u);
    random.Rand15();
    EXPECT_EQ(random.State().high, 0u);
    random.Rand31();
    EXPECT_NE(random.State().high, 0u);

    // The interleaved sequence differs from either pure one.
    random.SeedRandom(1);
    random.Rand15();
    const int32_t mixed = random.Rand31();
    random.SeedRandom(1);
    random.Rand31();
    EXPECT_NE(mixed, random.Rand31());
}

TEST(RandomStart, ANewGeneratorIsInTheStateOfSeedOne) {
    const RandomGenerator start;
    RandomGenerator seeded;
    seeded.SeedRandom(7);
    seeded.SeedRandom(1);
    EXPECT_EQ(start.State(), seeded.State());
}

TEST_F(RandomTest, RandomUnitReachesExactlyZeroAndOne) {
    random.SetState(StateBeforeRand15(32767));
    EXPECT_EQ(random.RandomUnit(), 1.0L);
    random.SetState(StateBeforeRand15(0));
    EXPECT_EQ(random.RandomUnit(), 0.0L);
    random.SetState(StateBeforeRand15(1));
    EXPECT_EQ(random.RandomUnit(), 1.0L / 32767.0L);
}

TEST_F(RandomTest, RandomIntOfZeroMakesNoDraw) {
    random.SeedRandom(7);
    const RandomState before = random.State();
    EXPECT_EQ(random.RandomInt(0), 0);
    EXPECT_EQ(random.State().low, before.low);
    EXPECT_EQ(random.State().high, before.high);
    random.SetState(StateBeforeRand31(1000 + 7 * 13));
    EXPECT_EQ(random.RandomInt(13), (1000 + 7 * 13) % 13);
}

} // namespace
