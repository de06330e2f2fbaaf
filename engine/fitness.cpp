#include "engine/fitness.h"

#include "engine/evaluator_factory.h"

#include <algorithm>

namespace quba {

int32_t WorkerThreads(const EvaluationOptions& options) {
    return options.threads > 0 ? options.threads : AvailableCores();
}

FitnessEvaluators::FitnessEvaluators(const EvaluationOptions& options)
    : scratch_(static_cast<size_t>(WorkerThreads(options))), pool_(WorkerThreads(options)) {
    for (int32_t i = 0; i < pool_.Threads(); ++i)
        evaluators_.push_back(MakeEvaluator(options.evaluator));
}

void FitnessEvaluators::ForEach(int32_t count, int32_t chunk,
                                const std::function<void(int32_t, Evaluator&)>& body) {
    pool_.ForEach(count, chunk,
                  [&](int32_t index, int32_t thread) { body(index, *evaluators_[thread]); });
}

float* FitnessEvaluators::Scratch(int32_t thread, size_t size) {
    std::vector<float>& buffer = scratch_[static_cast<size_t>(thread)];
    if (buffer.size() < size)
        buffer.resize(size);
    return buffer.data();
}

long double ProgramError(FitnessEvaluators& evaluators, int32_t thread, const Problem& problem,
                         const int32_t* program, const CaseSet& cases,
                         const std::optional<Scaling>& scaling) {
    Evaluator& evaluator = evaluators.ForThread(thread);
    if (!scaling)
        return evaluator.MeanSquaredError(problem, program, cases);
    float* outputs = evaluators.Scratch(thread, static_cast<size_t>(cases.count));
    evaluator.Outputs(problem, program, cases, outputs);
    return ScaledMeanSquaredError(*scaling, outputs, cases.targets, cases.count);
}

ScaledFit FitProgram(FitnessEvaluators& evaluators, int32_t thread, const Problem& problem,
                     const int32_t* program, const CaseSet& cases) {
    float* outputs = evaluators.Scratch(thread, static_cast<size_t>(cases.count));
    evaluators.ForThread(thread).Outputs(problem, program, cases, outputs);
    ScaledFit fit;
    fit.scaling = FitScaling(outputs, cases.targets, cases.count);
    fit.error = ScaledMeanSquaredError(fit.scaling, outputs, cases.targets, cases.count);
    return fit;
}

long double TrainingFitness(FitnessEvaluators& evaluators, const Problem& problem,
                            const int32_t* program, const std::optional<Scaling>& scaling) {
    return ProgramError(evaluators, 0, problem, program, problem.TrainingCases(), scaling);
}

long double ValidationFitness(FitnessEvaluators& evaluators, const Problem& problem,
                              const int32_t* program, const std::optional<Scaling>& scaling) {
    return ProgramError(evaluators, 0, problem, program, problem.ValidationCases(), scaling);
}

void CaseOutputs(FitnessEvaluators& evaluators, const Problem& problem, const int32_t* program,
                 const CaseSet& cases, float* out, const std::optional<Scaling>& scaling) {
    evaluators.ForThread(0).Outputs(problem, program, cases, out);
    if (scaling)
        for (int32_t k = 0; k < cases.count; ++k)
            out[k] = Scaled(*scaling, out[k]);
}

namespace {

// Every program's rawFitness, spread over the worker threads. Each program's
// error depends on nothing but the program and the cases, so the thread count
// cannot change a result.
void AssignRawFitness(Generation& buffer, const Problem& problem, FitnessEvaluators& evaluators,
                      bool linearScaling) {
    const auto count = static_cast<int32_t>(buffer.size());
    const CaseSet cases = problem.TrainingCases();
    evaluators.ForEachOnThread(count, 16, [&](int32_t i, int32_t thread) {
        Individual& individual = *buffer[i];
        if (individual.rawFitnessKnown)
            return;
        if (linearScaling) {
            const ScaledFit fit =
                FitProgram(evaluators, thread, problem, individual.nodes.data(), cases);
            individual.scaling = fit.scaling;
            individual.rawFitness = static_cast<float>(fit.error);
        } else {
            individual.rawFitness =
                static_cast<float>(evaluators.ForThread(thread).MeanSquaredError(
                    problem, individual.nodes.data(), cases));
        }
        individual.rawFitnessKnown = true;
    });
}

} // namespace

void AssignFitness(Population& population, const Problem& problem, FitnessEvaluators& evaluators,
                   bool linearScaling) {
    Generation& buffer = population.Current();
    AssignRawFitness(buffer, problem, evaluators, linearScaling);
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
