// Chaotic runs: every function, constants over -10 to 10, four small
// populations with every selection method and operator, many generations.
// They must complete, show only finite or +infinity errors, and be the same
// whichever evaluator scores them. A grid with one cell far beyond the others,
// as a data file may hold, makes the error sum of every program overflow.
#include "tests/engine/test_support.h"

#include "engine/functions.h"
#include "engine/gp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

using namespace quba;

namespace {

constexpr int kGenerations = 80;
constexpr int kSteps = 4 * kGenerations - 60; // the populations run 80, 70, 60 and 50

struct ChaoticRun {
    RecordingOutlet outlet;
    int32_t failedPrograms = 0; // programs scored +infinity, over the whole run
    int32_t evenShares = 0;     // programs whose selection share is 1 / 30
};

DataGrid ChaoticGrid(bool hostileCell) {
    DataGrid grid(8);
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c)
            grid.At(r, c) = std::sin(0.7f * static_cast<float>(c)) - 0.1f * static_cast<float>(r);
    // Its squared error alone leaves the float range unless a program
    // outputs more than about 1e18 there.
    if (hostileCell)
        grid.At(3, 3) = 2e19f;
    return grid;
}

ChaoticRun RunChaos(EvaluatorKind evaluator, int32_t threads, bool hostileCell = false) {
    RunSettings settings = DefaultRunSettings(ChaoticGrid(hostileCell), 4);
    settings.problem.functionChecked.fill(true);
    settings.problem.constantLower = -10;
    settings.problem.constantUpper = 10;
    settings.evaluation = {evaluator, threads};
    for (int i = 0; i < 4; ++i) {
        PopulationValues& population = settings.populations[i];
        population.populationSize = 30;
        population.generations = kGenerations - 10 * i;
        population.selectionMethod = static_cast<SelectionMethod>(i % 3);
        population.tournamentSize = 3;
        population.crossoverRate = 0.5f;
        population.mutationRate = 0.2f;
        population.onePointMutationRate = 0.2f;
        population.functionRatio = 0.7f;
        population.maxInitialDepth = i + 3;
    }
    settings.populations[3].eliteFraction = 0;

    ChaoticRun chaos;
    RandomGenerator random;
    const std::unique_ptr<Run> run = BuildRun(settings, BuildFunctionTable(), random);
    // After a step of population i, its evaluated generation is the buffer
    // that breeding read.
    chaos.outlet.onProcess = [&chaos, &run] {
        const auto& steps = chaos.outlet.published;
        Population& stepped = *run->runTable.populations[steps.back().population];
        const auto even = static_cast<float>(1.0L / 30);
        for (const auto& individual : stepped.Next()) {
            chaos.failedPrograms += std::isinf(individual->rawFitness) ? 1 : 0;
            chaos.evenShares += individual->normalizedFitness == even ? 1 : 0;
        }
    };
    RunEvolution(*run, chaos.outlet, [] { return 20261209u; });
    EXPECT_FALSE(run->runTable.problem);
    chaos.outlet.onProcess = nullptr; // it points into this frame
    return chaos;
}

bool IsErrorValue(float value) {
    return !std::isnan(value) && value >= 0;
}

bool SameFloat(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

void ExpectSameRun(const ChaoticRun& a, const ChaoticRun& b) {
    const auto& x = a.outlet.published;
    const auto& y = b.outlet.published;
    ASSERT_EQ(x.size(), y.size());
    for (size_t k = 0; k < x.size(); ++k) {
        EXPECT_TRUE(SameFloat(x[k].training, y[k].training)) << k;
        EXPECT_TRUE(SameFloat(x[k].validation, y[k].validation)) << k;
        EXPECT_EQ(x[k].bestLength, y[k].bestLength) << k;
        EXPECT_EQ(x[k].averageLength, y[k].averageLength) << k;
    }
    EXPECT_EQ(a.outlet.bestTexts, b.outlet.bestTexts);
    EXPECT_EQ(a.failedPrograms, b.failedPrograms);
}

TEST(ChaoticRun, CompletesWithFiniteOrInfiniteErrorsOnly) {
    const ChaoticRun run = RunChaos(EvaluatorKind::Batch, 2);
    const RecordingOutlet& outlet = run.outlet;
    EXPECT_EQ(outlet.calls, (std::vector<std::string>{"running", "beep", "idle"}));
    ASSERT_EQ(outlet.published.size(), static_cast<size_t>(kSteps));
    for (const auto& step : outlet.published) {
        EXPECT_TRUE(IsErrorValue(step.training)) << step.population << "/" << step.generation;
        EXPECT_TRUE(IsErrorValue(step.validation)) << step.population << "/" << step.generation;
        EXPECT_GE(step.bestLength, 1);
        EXPECT_LE(step.bestLength, 100);
        EXPECT_GE(step.averageLength, 1);
        EXPECT_LE(step.averageLength, 100);
    }
    // A picture cell is a value held as a float, or a not-a-number where the
    // evaluation failed: never an infinity.
    for (float cell : outlet.lastTrainingPicture.Cells())
        EXPECT_FALSE(std::isinf(cell));
}

TEST(ChaoticRun, EveryEvaluatorGivesTheSameRun) {
    ExpectSameRun(RunChaos(EvaluatorKind::Reference, 1), RunChaos(EvaluatorKind::Batch, 2));
}

TEST(ChaoticRun, ProgramsThatAllFailStillEvolveEvenly) {
    const ChaoticRun run = RunChaos(EvaluatorKind::Batch, 2, true);
    ASSERT_EQ(run.outlet.published.size(), static_cast<size_t>(kSteps));
    EXPECT_EQ(run.failedPrograms, 30 * kSteps);
    EXPECT_EQ(run.evenShares, 30 * kSteps);
    for (const auto& step : run.outlet.published) {
        EXPECT_EQ(step.training, INFINITY);
        EXPECT_EQ(step.validation, INFINITY);
    }
    EXPECT_EQ(run.outlet.calls.back(), "idle");
    ExpectSameRun(run, RunChaos(EvaluatorKind::Reference, 1, true));
}

} // namespace
