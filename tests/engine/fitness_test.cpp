#include "tests/engine/test_support.h"

#include "engine/fitness.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace quba;

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();

TEST(FitnessCases, FollowTheColumnForXAndTheRowForYWithTheIntegerHalf) {
    DataGrid grid = FilledGrid(30, 0);
    grid.At(1, 1) = 0.75f;
    ScopedProblem scope({0}, grid);
    const Problem& p = scope.problem();
    ASSERT_EQ(p.trainingCount, 900);
    EXPECT_EQ(p.trainingX[0], static_cast<float>(-14.5L / 15));
    EXPECT_EQ(p.trainingY[0], static_cast<float>(-14.5L / 15));
    EXPECT_EQ(p.trainingX[31], static_cast<float>(-13.5L / 15));
    EXPECT_EQ(p.trainingY[31], static_cast<float>(-13.5L / 15));
    EXPECT_EQ(p.trainingX[1], static_cast<float>(-13.5L / 15)); // column 1, row 0
    EXPECT_EQ(p.trainingY[1], static_cast<float>(-14.5L / 15));
    EXPECT_EQ(p.trainingTargets[31], 0.75f);
}

TEST(FitnessCases, OddSizesAreNotSymmetric) {
    ScopedProblem scope({0}, FilledGrid(31, 0));
    const Problem& p = scope.problem();
    EXPECT_EQ(p.trainingX[0], static_cast<float>(-14.5L / 15));
    EXPECT_EQ(p.trainingX[960], static_cast<float>(15.5L / 15));
    EXPECT_EQ(p.trainingY[960], static_cast<float>(15.5L / 15));
}

TEST(FitnessCases, ValidationFollowsTrainingOrItsOwnGrid) {
    const DataGrid training = FilledGrid(4, 0.5f);
    const DataGrid validation = FilledGrid(6, -0.5f);
    ProblemValues settings = ValuesWith({0}, training, 3, "0", "1");
    settings.validation = validation;

    ScopedProblem copied(settings);
    EXPECT_EQ(copied.problem().validationCount, 16);
    EXPECT_EQ(copied.problem().validationTargets, copied.problem().trainingTargets);
    EXPECT_EQ(copied.problem().validationX, copied.problem().trainingX);
    EXPECT_EQ(copied.problem().validationSide, 4);

    settings.useTrainingData = false;
    ScopedProblem separate(settings);
    EXPECT_EQ(separate.problem().validationCount, 36);
    EXPECT_EQ(separate.problem().validationSide, 6);
    EXPECT_EQ(separate.problem().validationTargets[35], -0.5f);
}

TEST(Fitness, MeanSquaredErrorOfAConstantProgram) {
    ScopedProblem scope({0, 1}, FilledGrid(2, 0.5f));
    const auto zero = scope.Program({"#0"}); // the constant 0
    EXPECT_EQ(static_cast<float>(TrainingFitness(scope.evaluators, scope.problem(), zero.data())),
              0.25f);
    EXPECT_EQ(static_cast<float>(ValidationFitness(scope.evaluators, scope.problem(), zero.data())),
              0.25f);
}

TEST(Fitness, ErrorSumIsRoundedToFloatAfterEveryCase) {
    // Targets 1, 2^-25, 2^-25, 2^-25 and the output 0: added in extended the
    // small squares would count, rounded after each addition they vanish.
    DataGrid grid = FilledGrid(2, 0x1p-25f);
    grid.At(0, 0) = 1;
    ScopedProblem scope({0}, grid);
    const auto zero = scope.Program({"#0"});
    EXPECT_EQ(TrainingFitness(scope.evaluators, scope.problem(), zero.data()), 1.0L / 4);
}

TEST(Fitness, ExactProgramScoresZeroAndOneForAdjusted) {
    // On a 2 x 2 grid X is -0.5 in column 0 and 0.5 in column 1.
    const DataGrid grid = GridOf(2, {-0.5f, 0.5f, -0.5f, 0.5f});
    ScopedProblem scope({0}, grid);
    Population population = [&] {
        Population p;
        p.settings.populationSize = 1;
        p.buffers[0].push_back(
            std::make_unique<Individual>(MakeIndividual(scope.Program({"X"}), 70)));
        return p;
    }();
    AssignFitness(population, scope.problem(), scope.evaluators);
    EXPECT_EQ(population.Current()[0]->rawFitness, 0.0f);
    EXPECT_EQ(population.Current()[0]->adjustedFitness, 1.0f);
    EXPECT_EQ(population.Current()[0]->normalizedFitness, 1.0f);
}

// Each floating-point error condition gives the program +infinity and the
// evaluation carries on with the next program.
TEST(Fitness, AnyFloatingPointErrorScoresPlusInfinity) {
    ScopedProblem scope({0, 1, 2, 3, 4}, FilledGrid(2, 0.5f), 3, "1e20", "3e20");
    // The constants are 1e20, 1.67e20 and 2.33e20.
    auto chain = [&](int count) {
        std::vector<int32_t> program;
        for (int i = 1; i < count; ++i) {
            program.push_back(scope.Code("*"));
            program.push_back(scope.Code("#0"));
        }
        program.push_back(scope.Code("#0"));
        return program;
    };
    struct Case {
        const char* what;
        std::vector<int32_t> program;
    };
    const std::vector<Case> cases = {
        {"float store overflow", scope.Program({"+", "*", "#0", "#0", "X"})},
        {"not-a-number output", scope.Program({"sin", "*", "#0", "#0"})},
        {"difference beyond double range", chain(17)},
        {"square beyond double range", chain(11)},
        {"error sum beyond float range", chain(1)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(static_cast<float>(
                      TrainingFitness(scope.evaluators, scope.problem(), c.program.data())),
                  kInf)
            << c.what;
        EXPECT_EQ(static_cast<float>(
                      ValidationFitness(scope.evaluators, scope.problem(), c.program.data())),
                  kInf)
            << c.what;
    }
    // A later program is not affected by an earlier failure.
    const auto fine = scope.Program({"X"});
    EXPECT_EQ(static_cast<float>(TrainingFitness(scope.evaluators, scope.problem(), fine.data())),
              0.5f);
}

Population PopulationOf(ScopedProblem& scope, const std::vector<std::vector<int32_t>>& programs) {
    Population p;
    p.settings.populationSize = static_cast<int32_t>(programs.size());
    for (const auto& program : programs)
        p.buffers[0].push_back(std::make_unique<Individual>(MakeIndividual(program, 70)));
    (void)scope;
    return p;
}

TEST(AssignFitness, NormalizesByTheFloatTotal) {
    // Grid of 1s: the program 1 (constant #1 of [0, 2) with 2 constants) fits,
    // the constant 0 has error 1.
    ScopedProblem scope({0}, FilledGrid(2, 1), 2, "0", "2");
    Population population = PopulationOf(scope, {scope.Program({"#1"}), scope.Program({"#0"})});
    AssignFitness(population, scope.problem(), scope.evaluators);
    const auto& b = population.Current();
    EXPECT_EQ(b[0]->rawFitness, 0.0f);
    EXPECT_EQ(b[1]->rawFitness, 1.0f);
    EXPECT_EQ(b[0]->adjustedFitness, 1.0f);
    EXPECT_EQ(b[1]->adjustedFitness, 0.5f);
    EXPECT_EQ(b[0]->normalizedFitness, static_cast<float>(1.0L / 1.5L));
    EXPECT_EQ(b[1]->normalizedFitness, static_cast<float>(0.5L / 1.5L));
}

TEST(AssignFitness, SharesEvenlyWhenEveryProgramFailed) {
    ScopedProblem scope({0, 4}, FilledGrid(2, 0.5f), 3, "1e20", "3e20");
    const auto failing = scope.Program({"+", "sin", "#0", "#0"}); // +inf error sum
    Population population = PopulationOf(scope, {failing, failing, failing});
    AssignFitness(population, scope.problem(), scope.evaluators);
    for (const auto& individual : population.Current()) {
        EXPECT_EQ(individual->rawFitness, kInf);
        EXPECT_EQ(individual->adjustedFitness, 0.0f);
        EXPECT_EQ(individual->normalizedFitness, static_cast<float>(1.0L / 3));
    }
}

} // namespace
