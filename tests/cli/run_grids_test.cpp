#include "cli/parse_arguments.h"
#include "cli/run_grids.h"
#include "core/random.h"
#include "data/noise.h"
#include "data/patterns.h"

#include <gtest/gtest.h>

using namespace quba;

namespace {

// Grids with noise, drawn from a generator as SeedRandom(1) leaves it.
RunGrids NoisyGrids(const QStringList& arguments) {
    const ParseOutcome parsed = ParseArguments(QStringList{"quba-cli"} + arguments);
    EXPECT_EQ(parsed.action, ParseOutcome::Action::Run) << parsed.text;
    RunGridsOutcome built = BuildRunGrids(parsed.config);
    EXPECT_TRUE(built.grids) << built.message;
    RandomGenerator random;
    AddRunNoise(*built.grids, parsed.config, random);
    return *built.grids;
}

} // namespace

TEST(RunGrids, TrainingNoiseReachesTheValidationCopy) {
    const RunGrids grids =
        NoisyGrids({"--pattern", "cup", "--size", "5", "--noise", "0.6", "--validation-size", "9"});
    EXPECT_TRUE(grids.useTrainingData);
    EXPECT_EQ(grids.validation, grids.training);
    EXPECT_NE(grids.training, GeneratePattern(PatternIndex("cup"), 5));
}

TEST(RunGrids, ValidationNoiseIsDrawnAfterTrainingNoise) {
    const RunGrids grids =
        NoisyGrids({"--pattern", "cup", "--size", "5", "--noise", "0.6", "--validation-pattern",
                    "line", "--validation-size", "4", "--validation-noise", "7"});
    RandomGenerator random;
    DataGrid training = GeneratePattern(PatternIndex("cup"), 5);
    DataGrid validation = GeneratePattern(PatternIndex("line"), 4);
    AddNoise(training, 0.6f, random);
    AddNoise(validation, 1.0f, random); // 7 is clamped to 1
    EXPECT_FALSE(grids.useTrainingData);
    EXPECT_EQ(grids.training, training);
    EXPECT_EQ(grids.validation, validation);
}
