#include "cli/parse_arguments.h"
#include "cli/run_grids.h"
#include "core/random.h"
#include "data/noise.h"
#include "data/patterns.h"

#include <gtest/gtest.h>

using namespace quba;

namespace {

// Grids with noise, drawn from a generator as SeedRandom(1) leaves it.
GridPair NoisyGrids(const QStringList& arguments) {
    const ParseOutcome parsed = ParseArguments(QStringList{"quba-cli"} + arguments);
    EXPECT_EQ(parsed.action, ParseOutcome::Action::Run) << parsed.text;
    Outcome<GridPair> built = BuildRunGrids(parsed.config);
    EXPECT_TRUE(built.value) << built.message;
    RandomGenerator random;
    AddRunNoise(*built.value, parsed.config, random);
    return *built.value;
}

} // namespace

TEST(GridPair, TrainingNoiseReachesTheValidationCopy) {
    const GridPair grids =
        NoisyGrids({"--pattern", "cup", "--size", "5", "--noise", "0.6", "--validation-size", "9"});
    EXPECT_TRUE(grids.FollowsTraining());
    EXPECT_EQ(*grids.Validation(), *grids.Training());
    EXPECT_NE(*grids.Training(), GeneratePattern(PatternIndex("cup"), 5));
}

TEST(GridPair, ValidationNoiseIsDrawnAfterTrainingNoise) {
    const GridPair grids =
        NoisyGrids({"--pattern", "cup", "--size", "5", "--noise", "0.6", "--validation-pattern",
                    "line", "--validation-size", "4", "--validation-noise", "7"});
    RandomGenerator random;
    DataGrid training = GeneratePattern(PatternIndex("cup"), 5);
    DataGrid validation = GeneratePattern(PatternIndex("line"), 4);
    AddNoise(training, 0.6f, random);
    AddNoise(validation, 1.0f, random); // 7 is clamped to 1
    EXPECT_FALSE(grids.FollowsTraining());
    EXPECT_EQ(*grids.Training(), training);
    EXPECT_EQ(*grids.Validation(), validation);
}
