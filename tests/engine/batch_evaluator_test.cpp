#include "tests/engine/test_support.h"

#include "engine/batch_evaluator.h"
#include "engine/fitness.h"
#include "engine/gp_opr.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

namespace {

// Random well-formed prefix programs of at most `maxLength` nodes over the
// whole node table, from a generator of the test's own.
std::vector<int32_t> RandomProgram(const Problem& problem, std::mt19937& random, int32_t maxLength,
                                   double functionShare) {
    const int32_t functions = problem.functionCount;
    const auto tableSize = static_cast<int32_t>(problem.nodeTable.size());
    std::uniform_real_distribution<double> unit(0, 1);
    for (;;) {
        std::vector<int32_t> program;
        int32_t open = 1;
        while (open > 0 && static_cast<int32_t>(program.size()) < maxLength) {
            const bool function = unit(random) < functionShare;
            const int32_t code =
                function ? std::uniform_int_distribution<int32_t>(0, functions - 1)(random)
                         : std::uniform_int_distribution<int32_t>(functions, tableSize - 1)(random);
            program.push_back(code);
            open += problem.nodeTable[code].arityMinus1;
        }
        if (open == 0)
            return program;
    }
}

bool SameBits(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}
bool SameBits(long double a, long double b) {
    return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, 10) == 0;
}

// The recursive evaluator's picture value: the stored float, or a
// not-a-number where the evaluation fails.
float ReferenceOutput(const std::vector<int32_t>& program, float x, float y) {
    const long double value = EvaluateAt(program, x, y);
    const float stored = StoreFloat(value);
    return runTable.problem->evaluationError ? std::numeric_limits<float>::quiet_NaN() : stored;
}

struct Workload {
    std::vector<int> functions;
    const char* lower;
    const char* upper;
    bool expectFailures = false;
};

class BatchEvaluatorTest : public ::testing::TestWithParam<Workload> {};

TEST_P(BatchEvaluatorTest, GivesTheRecursiveEvaluatorsBitsOnRandomPrograms) {
    const Workload& w = GetParam();
    std::mt19937 random(1234);
    TestGrid grid{30, {}};
    std::uniform_real_distribution<float> cell(-1, 1);
    for (int i = 0; i < 900; ++i)
        grid.cells.push_back(cell(random));
    ProblemSettings settings = SettingsWith({}, grid, 200, w.lower, w.upper);
    for (int k : w.functions)
        settings.functionChecked[k] = true;
    TestGrid validation{7, std::vector<float>(grid.cells.begin(), grid.cells.begin() + 49)};
    settings.validation = validation.View();
    settings.useTrainingData = false;
    ScopedProblem scope(settings);
    const Problem& p = scope.problem();
    const CaseSet training{p.trainingX.data(), p.trainingY.data(), p.trainingTargets.data(),
                           p.trainingCount};
    const CaseSet checking{p.validationX.data(), p.validationY.data(), p.validationTargets.data(),
                           p.validationCount};

    BatchEvaluator batch;
    int failures = 0;
    std::vector<float> outputs(p.validationCount);
    for (int trial = 0; trial < 300; ++trial) {
        const auto program = RandomProgram(p, random, 100, trial % 3 == 0 ? 0.6 : 0.5);
        const long double expected = TrainingFitness(program.data());
        const long double actual = batch.MeanSquaredError(p, program.data(), training);
        ASSERT_TRUE(SameBits(expected, actual)) << "trial " << trial;
        failures += std::isinf(expected) ? 1 : 0;
        ASSERT_TRUE(SameBits(ValidationFitness(program.data()),
                             batch.MeanSquaredError(p, program.data(), checking)));

        batch.Outputs(p, program.data(), checking, outputs.data());
        for (int32_t k = 0; k < p.validationCount; ++k) {
            const float reference = ReferenceOutput(program, p.validationX[k], p.validationY[k]);
            ASSERT_TRUE(SameBits(reference, outputs[k]) ||
                        (std::isnan(reference) && std::isnan(outputs[k])))
                << "trial " << trial << " case " << k;
        }
    }
    // Huge constants must really exercise the failing paths.
    if (w.expectFailures) {
        EXPECT_GT(failures, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    FunctionSets, BatchEvaluatorTest,
    ::testing::Values(Workload{{0, 1, 2, 3}, "-1", "1"},
                      Workload{{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, "-10", "10"},
                      Workload{{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, "-1e12", "1e12", true},
                      Workload{{2, 3, 4, 7, 10}, "-1e30", "1e30", true},
                      Workload{{2, 6, 9, 11}, "-10", "10"}, Workload{{0, 2, 8}, "-3", "3"}));

TEST(BatchEvaluator, TerminalProgramsAndTheIfFormsLazyThirdArgument) {
    // Constants 1e30 and 2e30: their product fits extended but not a float.
    ScopedProblem scope({2, 10}, TestGrid::Filled(2, 0.5f), 2, "1e30", "3e30");
    const Problem& p = scope.problem();
    const CaseSet cases{p.trainingX.data(), p.trainingY.data(), p.trainingTargets.data(), 4};
    BatchEvaluator batch;
    auto agree = [&](const std::vector<int32_t>& program) {
        const long double expected = TrainingFitness(program.data());
        EXPECT_TRUE(SameBits(expected, batch.MeanSquaredError(p, program.data(), cases)));
        return expected;
    };
    EXPECT_EQ(agree(scope.Program({"X"})), 0.5L); // X is -0.5 or 0.5 against 0.5
    agree(scope.Program({"#0"}));
    // c is never returned (1e30 > 2e30 is false), so its overflow does not count.
    EXPECT_FALSE(std::isinf(agree(scope.Program({"if >", "#0", "#1", "*", "#0", "#1", "X"}))));
    // Returned where the column exceeds the row, so it counts there.
    EXPECT_TRUE(std::isinf(agree(scope.Program({"if >", "X", "Y", "*", "#0", "#1", "X"}))));
}

} // namespace
