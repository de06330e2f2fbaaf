// The fast arithmetic against the exact one: equal where floats must agree
// with extended values (small integer-valued programs, the protections),
// close elsewhere, and the same figures on any number of threads.
#include "tests/engine/test_support.h"

#include "engine/batch_evaluator.h"
#include "engine/fast_evaluator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

using namespace quba;

namespace {

bool SameOutput(float a, float b) {
    return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(FastEvaluator, EqualsTheExactArithmeticWhereEveryValueIsAFloat) {
    // Quarters on a 4 x 4 grid and small integer constants: sums, differences,
    // products and choices of such values are floats, whatever the precision.
    ProblemValues values = ValuesWith({0, 1, 2, 10, 11}, RandomGrid(4, 2), 7, "0", "1");
    ScopedProblem scope(values);
    Problem& p = scope.problem();
    for (size_t k = 0; k < p.constants.size(); ++k)
        p.constants[k] = static_cast<float>(static_cast<int>(k) - 3);
    std::mt19937 random(11);
    FastEvaluator fast;
    BatchEvaluator exact;
    std::vector<float> a(p.trainingCount);
    std::vector<float> b(p.trainingCount);
    for (int trial = 0; trial < 300; ++trial) {
        const std::vector<int32_t> program = RandomProgram(p, random, 15, 0.5);
        fast.Outputs(p, program.data(), p.TrainingCases(), a.data());
        exact.Outputs(p, program.data(), p.TrainingCases(), b.data());
        for (int32_t k = 0; k < p.trainingCount; ++k)
            ASSERT_TRUE(SameOutput(a[k], b[k])) << "trial " << trial << " case " << k;
        // The squared errors are added in another order: equal up to float rounding.
        const auto e =
            static_cast<double>(exact.MeanSquaredError(p, program.data(), p.TrainingCases()));
        EXPECT_NEAR(
            static_cast<double>(fast.MeanSquaredError(p, program.data(), p.TrainingCases())), e,
            1e-6 * std::max(1.0, e));
    }
}

TEST(FastEvaluator, KeepsTheProtectionsOfThePrimitives) {
    ProblemValues values = ValuesWith({}, RandomGrid(4, 5), 2, "0", "1");
    values.functionChecked.fill(true);
    ScopedProblem scope(values);
    Problem& p = scope.problem();
    p.constants = {4.0f, 4.0f};
    FastEvaluator fast;
    BatchEvaluator exact;
    std::vector<float> a(p.trainingCount);
    std::vector<float> b(p.trainingCount);
    for (const std::vector<std::string>& names : std::vector<std::vector<std::string>>{
             {"/", "X", "-", "Y", "Y"}, // a zero divisor gives 1
             {"ln", "-", "X", "X"},     // a zero magnitude gives 0
             {"log10", "-", "X", "X"},
             {"sqrt", "*", "#0", "#1"},               // sqrt 16 = 4
             {"sqrt", "-", "#0", "X"},                // trunc(3.25...) = 3
             {"if >", "X", "Y", "#0", "-", "X", "Y"}, // the same branch is taken
             {"if <", "X", "Y", "Y", "X"}}) {
        std::vector<int32_t> program;
        for (const std::string& name : names)
            program.push_back(scope.Code(name));
        fast.Outputs(p, program.data(), p.TrainingCases(), a.data());
        exact.Outputs(p, program.data(), p.TrainingCases(), b.data());
        for (int32_t k = 0; k < p.trainingCount; ++k)
            EXPECT_TRUE(SameOutput(a[k], b[k])) << names.front() << " case " << k;
    }
    // sin beyond the accurate range is a not-a-number, which scores +infinity.
    p.constants[0] = 1e6f;
    const std::vector<int32_t> far = scope.Program({"sin", "#0"});
    EXPECT_TRUE(std::isinf(fast.MeanSquaredError(p, far.data(), p.TrainingCases())));
    fast.Outputs(p, far.data(), p.TrainingCases(), a.data());
    EXPECT_TRUE(std::isnan(a[0]));
}

class FastAgainstExactTest : public ::testing::TestWithParam<Workload> {};

// Every node rounds to a float where the exact arithmetic keeps up to 64
// bits, an error of at most 2^-24 of its value; along programs of up to 40
// nodes over values near 1 these stay far below 1e-4, which leaves room for
// the cancellations that magnify them.
TEST_P(FastAgainstExactTest, CloseOnRandomProgramsOfEveryFunctionSet) {
    const Workload& w = GetParam();
    ProblemValues values = ValuesOf(w, RandomGrid(12, 3), 60);
    ScopedProblem scope(values);
    const Problem& p = scope.problem();
    std::mt19937 random(5);
    FastEvaluator fast;
    BatchEvaluator exact;
    std::vector<float> a(p.trainingCount);
    std::vector<float> b(p.trainingCount);
    for (int trial = 0; trial < 200; ++trial) {
        const std::vector<int32_t> program = RandomProgram(p, random, 40, 0.5);
        fast.Outputs(p, program.data(), p.TrainingCases(), a.data());
        exact.Outputs(p, program.data(), p.TrainingCases(), b.data());
        for (int32_t k = 0; k < p.trainingCount; ++k) {
            ASSERT_EQ(std::isnan(a[k]), std::isnan(b[k])) << "trial " << trial << " case " << k;
            if (!std::isnan(b[k])) {
                ASSERT_NEAR(a[k], b[k], 1e-4 * std::max(1.0f, std::fabs(b[k])))
                    << "trial " << trial << " case " << k;
            }
        }
        const long double f = fast.MeanSquaredError(p, program.data(), p.TrainingCases());
        const long double e = exact.MeanSquaredError(p, program.data(), p.TrainingCases());
        if (!std::isinf(e)) {
            ASSERT_NEAR(static_cast<double>(f), static_cast<double>(e),
                        1e-4 * std::max(1.0, static_cast<double>(e)));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(FunctionSets, FastAgainstExactTest,
                         ::testing::Values(Workload{{0, 1, 2, 3}, "-1", "1"},
                                           Workload{
                                               {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, "-1", "1"},
                                           Workload{{0, 2, 10, 11}, "-1", "1"},
                                           Workload{{4, 5, 6, 7, 8, 9}, "-10", "10"}));

TEST(FastEvaluator, GivesTheSameFiguresOnAnyNumberOfThreads) {
    ProblemValues values = ValuesWith({}, RandomGrid(40, 9), 100, "-2", "2");
    values.functionChecked.fill(true);
    ScopedProblem scope(values);
    std::mt19937 random(3);
    auto population = [&] {
        Population population;
        for (int k = 0; k < 300; ++k)
            population.Current().push_back(std::make_unique<Individual>(
                MakeIndividual(RandomProgram(scope.problem(), random, 60, 0.5), 60)));
        return population;
    };
    Population one = population();
    Population many;
    for (const auto& individual : one.Current())
        many.Current().push_back(std::make_unique<Individual>(*individual));
    FitnessEvaluators single{EvaluationOptions{EvaluatorKind::Fast, 1}};
    FitnessEvaluators several{EvaluationOptions{EvaluatorKind::Fast, 3}};
    AssignFitness(one, scope.problem(), single);
    AssignFitness(many, scope.problem(), several);
    for (size_t k = 0; k < one.Current().size(); ++k) {
        ASSERT_TRUE(one.Current()[k]->rawFitnessKnown);
        EXPECT_TRUE(SameOutput(one.Current()[k]->rawFitness, many.Current()[k]->rawFitness));
    }
    EXPECT_FALSE(FastArithmeticTarget().empty());
}

} // namespace
