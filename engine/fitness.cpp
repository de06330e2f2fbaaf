#include "engine/fitness.h"

#include "engine/gp_pop.h"
#include "engine/primitive_rules.h"
#include "engine/problem.h"

#include <cmath>
#include <limits>

namespace {

constexpr long double kInfinity = std::numeric_limits<long double>::infinity();

void FillCases(int32_t size, const float* cells, std::vector<float>& xs, std::vector<float>& ys,
               std::vector<float>& targets) {
    const int32_t count = size * size;
    xs.resize(count);
    ys.resize(count);
    targets.resize(count);
    const float h = static_cast<float>(size / 2);
    for (int32_t r = 0; r < size; ++r) {
        for (int32_t c = 0; c < size; ++c) {
            const int32_t k = r * size + c;
            xs[k] = static_cast<float>((static_cast<long double>(c) - h + 0.5L) / h);
            ys[k] = static_cast<float>((static_cast<long double>(r) - h + 0.5L) / h);
            targets[k] = cells[k];
        }
    }
}

// The error sum of one case set, kept as a 32-bit float and formed case by
// case. Any floating-point error, or a not-a-number difference, ends in +inf.
long double MeanSquaredError(const int32_t* program, const std::vector<float>& xs,
                             const std::vector<float>& ys, const std::vector<float>& targets) {
    Problem& problem = CurrentProblem();
    problem.evaluationError = false;
    const auto count = static_cast<int32_t>(targets.size());
    float sum = 0;
    for (int32_t k = 0; k < count; ++k) {
        SetVariables(xs[k], ys[k]);
        int32_t position = 0;
        const long double out = Evaluate(program, position);
        if (problem.evaluationError) return kInfinity;
        const auto diff = static_cast<double>(targets[k] - out);
        if (std::isnan(diff) || std::isinf(diff)) return kInfinity;
        const double square = diff * diff;
        if (std::isinf(square)) return kInfinity;
        sum = static_cast<float>(static_cast<long double>(sum) + square);
        if (std::isinf(sum)) return kInfinity;
    }
    return static_cast<long double>(sum) / count;
}

} // namespace

void BuildFitnessCases(Problem& problem, GridView training, GridView validation,
                       bool useTrainingData) {
    FillCases(training.size, training.cells, problem.trainingX, problem.trainingY,
              problem.trainingTargets);
    problem.trainingCount = training.size * training.size;
    problem.trainingSide = training.size;
    if (useTrainingData) {
        problem.validationX = problem.trainingX;
        problem.validationY = problem.trainingY;
        problem.validationTargets = problem.trainingTargets;
        problem.validationCount = problem.trainingCount;
        problem.validationSide = training.size;
    } else {
        FillCases(validation.size, validation.cells, problem.validationX, problem.validationY,
                  problem.validationTargets);
        problem.validationCount = validation.size * validation.size;
        problem.validationSide = validation.size;
    }
}

void SetVariables(float x, float y) {
    CurrentProblem().variableValues = {x, y};
}

long double Evaluate(const int32_t* program, int32_t& position) {
    return CurrentProblem().nodeTable[program[position]].evaluate(program, position);
}

float StoreFloat(long double value) {
    const auto stored = static_cast<float>(value);
    if (std::isinf(stored)) MarkEvaluationError();
    return stored;
}

void MarkEvaluationError() {
    CurrentProblem().evaluationError = true;
}

long double TrainingFitness(const int32_t* program) {
    const Problem& problem = CurrentProblem();
    return MeanSquaredError(program, problem.trainingX, problem.trainingY, problem.trainingTargets);
}

long double ValidationFitness(const int32_t* program) {
    const Problem& problem = CurrentProblem();
    return MeanSquaredError(program, problem.validationX, problem.validationY,
                            problem.validationTargets);
}

void AssignFitness(Population& population) {
    auto& buffer = population.Current();
    for (auto& individual : buffer)
        individual->rawFitness = static_cast<float>(TrainingFitness(individual->nodes.data()));

    float total = 0;
    for (auto& individual : buffer) {
        individual->adjustedFitness =
            static_cast<float>(1.0L / (1.0L + static_cast<long double>(individual->rawFitness)));
        total = static_cast<float>(static_cast<long double>(total) + individual->adjustedFitness);
    }

    // Every program scored +infinity: share the selection evenly.
    const float even = static_cast<float>(1.0L / static_cast<long double>(buffer.size()));
    for (auto& individual : buffer) {
        individual->normalizedFitness =
            total == 0
                ? even
                : static_cast<float>(static_cast<long double>(individual->adjustedFitness) / total);
    }
}
