#include "engine/fitness.h"

#include "engine/evaluator_factory.h"

#include <algorithm>

namespace quba {

int32_t WorkerThreads(const EvaluationOptions& options) {
    return options.threads > 0 ? options.threads : AvailableCores();
}

FitnessEvaluators::FitnessEvaluators(const EvaluationOptions& options)
    : pool_(WorkerThreads(options)) {
    for (int32_t i = 0; i < pool_.Threads(); ++i)
        evaluators_.push_back(MakeEvaluator(options.evaluator));
}

void FitnessEvaluators::ForEach(int32_t count, int32_t chunk,
                                const std::function<void(int32_t, Evaluator&)>& body) {
    pool_.ForEach(count, chunk,
                  [&](int32_t index, int32_t thread) { body(index, *evaluators_[thread]); });
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
    evaluators.ForEach(count, 16, [&](int32_t i, Evaluator& evaluator) {
        Individual& individual = *buffer[i];
        if (individual.rawFitnessKnown)
            return;
        individual.rawFitness =
            static_cast<float>(evaluator.MeanSquaredError(problem, individual.nodes.data(), cases));
        individual.rawFitnessKnown = true;
    });
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
