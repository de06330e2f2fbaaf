#include "tests/engine/test_support.h"

#include "engine/batch_evaluator.h"
#include "engine/reference_evaluator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

using namespace quba;

namespace {

bool SameBits(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}
bool SameBits(long double a, long double b) {
    return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, 10) == 0;
}

// The recursive walk's picture value: the stored float, or a not-a-number
// where the evaluation fails.
float ReferenceOutput(const ScopedProblem& scope, const std::vector<int32_t>& program, float x,
                      float y) {
    bool failed = false;
    const auto stored = static_cast<float>(scope.EvaluateAt(program, x, y, &failed));
    return failed || std::isinf(stored) ? std::numeric_limits<float>::quiet_NaN() : stored;
}

class BatchEvaluatorTest : public ::testing::TestWithParam<Workload> {};

TEST_P(BatchEvaluatorTest, GivesTheRecursiveEvaluatorsBitsOnRandomPrograms) {
    const Workload& w = GetParam();
    std::mt19937 random(1234);
    std::vector<float> cells;
    std::uniform_real_distribution<float> cell(-1, 1);
    for (int i = 0; i < 900; ++i)
        cells.push_back(cell(random));
    ProblemValues values = ValuesOf(w, GridOf(30, cells), 200);
    values.validation = GridOf(7, std::vector<float>(cells.begin(), cells.begin() + 49));
    values.useTrainingData = false;
    ScopedProblem scope(values);
    const Problem& p = scope.problem();
    const CaseSet training{p.trainingX.data(), p.trainingY.data(), p.trainingTargets.data(),
                           p.trainingCount};
    const CaseSet checking{p.validationX.data(), p.validationY.data(), p.validationTargets.data(),
                           p.validationCount};

    ReferenceEvaluator reference;
    BatchEvaluator batch;
    int failures = 0;
    std::vector<float> outputs(p.validationCount);
    for (int trial = 0; trial < 300; ++trial) {
        const auto program = RandomProgram(p, random, 100, trial % 3 == 0 ? 0.6 : 0.5);
        const long double expected = reference.MeanSquaredError(p, program.data(), training);
        const long double actual = batch.MeanSquaredError(p, program.data(), training);
        ASSERT_TRUE(SameBits(expected, actual)) << "trial " << trial;
        failures += std::isinf(expected) ? 1 : 0;
        ASSERT_TRUE(SameBits(reference.MeanSquaredError(p, program.data(), checking),
                             batch.MeanSquaredError(p, program.data(), checking)));

        batch.Outputs(p, program.data(), checking, outputs.data());
        for (int32_t k = 0; k < p.validationCount; ++k) {
            const float walked =
                ReferenceOutput(scope, program, p.validationX[k], p.validationY[k]);
            ASSERT_TRUE(SameBits(walked, outputs[k]) ||
                        (std::isnan(walked) && std::isnan(outputs[k])))
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
    ScopedProblem scope({2, 10}, FilledGrid(2, 0.5f), 2, "1e30", "3e30");
    const Problem& p = scope.problem();
    const CaseSet cases{p.trainingX.data(), p.trainingY.data(), p.trainingTargets.data(), 4};
    ReferenceEvaluator reference;
    BatchEvaluator batch;
    auto agree = [&](const std::vector<int32_t>& program) {
        const long double expected = reference.MeanSquaredError(p, program.data(), cases);
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
