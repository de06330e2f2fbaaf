#include "engine/fitness.h"

#include "engine/batch_evaluator.h"
#include "engine/gp_pop.h"
#include "engine/primitive_rules.h"
#include "engine/problem.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <omp.h>

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
        if (problem.evaluationError || !rules::AddSquaredError(sum, targets[k], out))
            return kInfinity;
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
    if (std::isinf(stored))
        MarkEvaluationError();
    return stored;
}

void MarkEvaluationError() {
    CurrentProblem().evaluationError = true;
}

namespace {

// The recursive evaluator's picture value at one case.
float ReferenceOutput(const int32_t* program, float x, float y) {
    Problem& problem = CurrentProblem();
    problem.evaluationError = false;
    SetVariables(x, y);
    int32_t position = 0;
    const float value = StoreFloat(Evaluate(program, position));
    return problem.evaluationError ? std::numeric_limits<float>::quiet_NaN() : value;
}

bool UsesReference(const Problem& problem) {
    return problem.evaluation.evaluator == EvaluatorKind::Reference;
}

} // namespace

int32_t WorkerThreads(const EvaluationOptions& options) {
    if (options.evaluator == EvaluatorKind::Reference)
        return 1;
    return options.threads > 0 ? options.threads : std::max(1, omp_get_max_threads());
}

long double TrainingFitness(const int32_t* program) {
    Problem& problem = CurrentProblem();
    if (UsesReference(problem))
        return MeanSquaredError(program, problem.trainingX, problem.trainingY,
                                problem.trainingTargets);
    return problem.evaluators[0].MeanSquaredError(problem, program, problem.TrainingCases());
}

long double ValidationFitness(const int32_t* program) {
    Problem& problem = CurrentProblem();
    if (UsesReference(problem))
        return MeanSquaredError(program, problem.validationX, problem.validationY,
                                problem.validationTargets);
    return problem.evaluators[0].MeanSquaredError(problem, program, problem.ValidationCases());
}

void CaseOutputs(const int32_t* program, const CaseSet& cases, float* out) {
    Problem& problem = CurrentProblem();
    if (!UsesReference(problem)) {
        problem.evaluators[0].Outputs(problem, program, cases, out);
        return;
    }
    for (int32_t k = 0; k < cases.count; ++k)
        out[k] = ReferenceOutput(program, cases.xs[k], cases.ys[k]);
}

namespace {

// Every program's rawFitness, spread over the worker threads. Each program's
// error depends on nothing but the program and the cases, so the thread count
// cannot change a result.
void AssignRawFitness(std::vector<std::unique_ptr<Individual>>& buffer) {
    Problem& problem = CurrentProblem();
    const auto count = static_cast<int32_t>(buffer.size());
    if (UsesReference(problem)) {
        for (auto& individual : buffer)
            individual->rawFitness = static_cast<float>(TrainingFitness(individual->nodes.data()));
        return;
    }
    const CaseSet cases = problem.TrainingCases();
    const auto threads = static_cast<int32_t>(problem.evaluators.size());
#pragma omp parallel for schedule(dynamic, 16) num_threads(threads)
    for (int32_t i = 0; i < count; ++i) {
        Individual& individual = *buffer[i];
        if (individual.rawFitnessKnown)
            continue;
        BatchEvaluator& evaluator = problem.evaluators[omp_get_thread_num()];
        individual.rawFitness =
            static_cast<float>(evaluator.MeanSquaredError(problem, individual.nodes.data(), cases));
        individual.rawFitnessKnown = true;
    }
}

} // namespace

void AssignFitness(Population& population) {
    auto& buffer = population.Current();
    AssignRawFitness(buffer);
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
