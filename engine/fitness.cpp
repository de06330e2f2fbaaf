#include "engine/fitness.h"

#include <algorithm>
#include <omp.h>

namespace quba {

int32_t WorkerThreads(const EvaluationOptions& options) {
    return options.threads > 0 ? options.threads : std::max(1, omp_get_max_threads());
}

FitnessEvaluators::FitnessEvaluators(const EvaluationOptions& options) {
    const int32_t threads = WorkerThreads(options);
    for (int32_t i = 0; i < threads; ++i)
        evaluators_.push_back(MakeEvaluator(options.evaluator));
}

long double TrainingFitness(FitnessEvaluators& evaluators, const Problem& problem,
                            const int32_t* program) {
    return evaluators.ForThread(0).MeanSquaredError(problem, program, problem.TrainingCases());
}

long double ValidationFitness(FitnessEvaluators& evaluators, const Problem& problem,
                              const int32_t* program) {
    return evaluators.ForThread(0).MeanSquaredError(problem, program, problem.ValidationCases());
}

void CaseOutputs(FitnessEvaluators& evaluators, const Problem& problem, const int32_t* program,
                 const CaseSet& cases, float* out) {
    evaluators.ForThread(0).Outputs(problem, program, cases, out);
}

namespace {

// Every program's rawFitness, spread over the worker threads. Each program's
// error depends on nothing but the program and the cases, so the thread count
// cannot change a result.
void AssignRawFitness(Generation& buffer, const Problem& problem, FitnessEvaluators& evaluators) {
    const auto count = static_cast<int32_t>(buffer.size());
    const CaseSet cases = problem.TrainingCases();
#pragma omp parallel for schedule(dynamic, 16) num_threads(evaluators.Threads())
    for (int32_t i = 0; i < count; ++i) {
        Individual& individual = *buffer[i];
        if (individual.rawFitnessKnown)
            continue;
        Evaluator& evaluator = evaluators.ForThread(omp_get_thread_num());
        individual.rawFitness =
            static_cast<float>(evaluator.MeanSquaredError(problem, individual.nodes.data(), cases));
        individual.rawFitnessKnown = true;
    }
}

} // namespace

void AssignFitness(Population& population, const Problem& problem, FitnessEvaluators& evaluators) {
    Generation& buffer = population.Current();
    AssignRawFitness(buffer, problem, evaluators);
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

} // namespace quba
