// The search beyond the plain one: linear scaling's closed-form fit and the
// tuning of constants by Levenberg-Marquardt, and runs that use both.
#include "tests/engine/test_support.h"

#include "engine/constant_tuning.h"
#include "engine/functions.h"
#include "engine/gp.h"
#include "engine/linear_scaling.h"

#include <Eigen/Dense>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

using namespace quba;

namespace {

TEST(LinearScaling, TheClosedFormIsTheLeastSquaresFit) {
    std::mt19937 random(11);
    std::uniform_real_distribution<float> uniform(-2, 2);
    for (int trial = 0; trial < 50; ++trial) {
        const int n = 5 + trial * 7;
        std::vector<float> f(static_cast<size_t>(n));
        std::vector<float> t(static_cast<size_t>(n));
        Eigen::MatrixXd design(n, 2);
        Eigen::VectorXd targets(n);
        for (int k = 0; k < n; ++k) {
            f[static_cast<size_t>(k)] = uniform(random) * (trial + 1);
            t[static_cast<size_t>(k)] = 0.3f * f[static_cast<size_t>(k)] + uniform(random);
            design(k, 0) = 1;
            design(k, 1) = f[static_cast<size_t>(k)];
            targets[k] = t[static_cast<size_t>(k)];
        }
        const Eigen::Vector2d direct = design.colPivHouseholderQr().solve(targets);
        const Scaling fit = FitScaling(f.data(), t.data(), n);
        EXPECT_NEAR(fit.offset, direct[0], 1e-5 * (1 + std::fabs(direct[0]))) << trial;
        EXPECT_NEAR(fit.factor, direct[1], 1e-5 * (1 + std::fabs(direct[1]))) << trial;
    }
    // No slope to fit: a constant output, or one that is not finite somewhere.
    const std::vector<float> targets = {1, 2, 3, 6};
    for (const std::vector<float>& outputs :
         {std::vector<float>{5, 5, 5, 5},
          std::vector<float>{1, std::numeric_limits<float>::quiet_NaN(), 3, 4},
          std::vector<float>{1, std::numeric_limits<float>::infinity(), 3, 4}}) {
        const Scaling fit = FitScaling(outputs.data(), targets.data(), 4);
        EXPECT_EQ(fit, (Scaling{3, 0}));
        EXPECT_EQ(Scaled(fit, outputs[1]), 3.0f);
        EXPECT_EQ(ScaledMeanSquaredError(fit, outputs.data(), targets.data(), 4), 3.5L);
    }
}

// A problem over a 10 x 10 grid whose targets a program of known constants
// computes, and the program's codes with its constants perturbed.
struct KnownProgram {
    const char* what;
    std::vector<int> functions;
    std::vector<std::string> names; // "#k" for a constant
    std::vector<float> truth;       // the values of its constants, in order
};

TEST(TuneConstants, LevenbergMarquardtRecoversTheConstantsOfAKnownProgram) {
    const std::vector<KnownProgram> programs = {
        {"a line", {0, 2}, {"+", "*", "#0", "X", "#1"}, {0.731f, -0.25f}},
        {"a product and a sine",
         {0, 2, 4},
         {"+", "*", "#0", "X", "sin", "*", "#1", "Y"},
         {1.7f, 2.3f}},
        {"a quotient", {0, 2, 3}, {"/", "+", "#0", "X", "+", "#1", "*", "Y", "Y"}, {0.4f, 1.5f}},
    };
    for (const KnownProgram& known : programs) {
        ScopedProblem scope(ValuesOf(Workload{known.functions, "0", "1"}, FilledGrid(10, 0), 4));
        // The true constants as own constants, and the targets they give.
        std::vector<int32_t> truth;
        std::vector<int32_t> start;
        std::mt19937 random(3);
        std::uniform_real_distribution<float> shift(-0.3f, 0.3f);
        for (const std::string& name : known.names) {
            if (name[0] != '#') {
                truth.push_back(scope.Code(name));
                start.push_back(scope.Code(name));
                continue;
            }
            const float value = known.truth[static_cast<size_t>(std::stoi(name.substr(1)))];
            truth.push_back(AddOwnConstant(scope.problem(), value));
            start.push_back(AddOwnConstant(scope.problem(), value * (1 + shift(random))));
        }
        Problem& problem = scope.problem();
        CaseOutputs(scope.evaluators, problem, truth.data(), problem.TrainingCases(),
                    problem.trainingTargets.data());
        const TunedConstants tuned =
            TuneConstants(problem, start.data(), static_cast<int32_t>(start.size()),
                          problem.TrainingCases(), 30, false);
        ASSERT_TRUE(tuned.changed) << known.what;
        ASSERT_EQ(tuned.values.size(), known.truth.size()) << known.what;
        for (size_t j = 0; j < known.truth.size(); ++j)
            EXPECT_NEAR(tuned.values[j], known.truth[j], 1e-4) << known.what << " " << j;

        // With the linear scaling a and b take part: the scaled fit becomes
        // exact, whatever share of the work the constants keep.
        const TunedConstants scaled =
            TuneConstants(problem, start.data(), static_cast<int32_t>(start.size()),
                          problem.TrainingCases(), 30, true);
        std::vector<int32_t> program = start;
        for (size_t j = 0; j < scaled.positions.size(); ++j)
            program[static_cast<size_t>(scaled.positions[j])] =
                AddOwnConstant(problem, scaled.values[j]);
        EXPECT_LT(
            FitProgram(scope.evaluators, 0, problem, program.data(), problem.TrainingCases()).error,
            1e-9L)
            << known.what;
    }
}

// A run of two populations with both search options, on `threads` threads.
std::vector<RecordingOutlet::Published> SearchRun(int32_t threads, EvaluatorKind evaluator) {
    DataGrid grid(8);
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c)
            grid.At(r, c) = std::sin(0.7f * static_cast<float>(r)) * 0.5f - 0.1f * c;
    RunSettings settings = DefaultRunSettings(grid, 2);
    for (PopulationValues& population : settings.populations) {
        population.populationSize = 60;
        population.generations = 6;
    }
    settings.search = {true, 5, 3};
    settings.evaluation = {evaluator, threads};
    RecordingOutlet outlet;
    RandomGenerator random;
    auto run = BuildRun(settings, BuildFunctionTable(), random);
    RunEvolution(*run, outlet, [] { return 21u; });
    return outlet.published;
}

TEST(SearchRun, TheSameOnAnyNumberOfThreadsInBothArithmetics) {
    for (EvaluatorKind evaluator : {EvaluatorKind::Batch, EvaluatorKind::Fast}) {
        const auto one = SearchRun(1, evaluator);
        const auto two = SearchRun(2, evaluator);
        ASSERT_EQ(one.size(), two.size());
        for (size_t k = 0; k < one.size(); ++k) {
            EXPECT_EQ(one[k].training, two[k].training) << k;
            EXPECT_EQ(one[k].validation, two[k].validation) << k;
            EXPECT_EQ(one[k].bestLength, two[k].bestLength) << k;
        }
        // Tuning never makes the best worse from one step to the next.
        for (size_t k = 2; k < one.size(); k += 2)
            EXPECT_LE(one[k].training, one[k - 2].training) << k;
    }
}

} // namespace
