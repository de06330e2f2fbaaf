// Fitness: a program's error over the training and the validation cases, and
// the three fitness values of every individual. The evaluators, one per worker
// thread, belong to the run.
#pragma once

#include "engine/evaluator.h"
#include "engine/linear_scaling.h"
#include "engine/population.h"
#include "engine/problem.h"
#include "engine/worker_pool.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace quba {

// Worker threads with these options.
int32_t WorkerThreads(const EvaluationOptions& options);

// One evaluator of the chosen kind per worker thread, and the threads.
class FitnessEvaluators {
public:
    explicit FitnessEvaluators(const EvaluationOptions& options);

    [[nodiscard]] int32_t Threads() const { return static_cast<int32_t>(evaluators_.size()); }
    Evaluator& ForThread(int32_t thread) { return *evaluators_[thread]; }

    // Calls body(index, evaluator) for every index below `count` on the
    // worker threads, `chunk` indices at a time, each with its thread's
    // evaluator.
    void ForEach(int32_t count, int32_t chunk,
                 const std::function<void(int32_t index, Evaluator& evaluator)>& body);
    // The same, with the thread's number for scratch kept per thread.
    void ForEachOnThread(int32_t count, int32_t chunk, const WorkerPool::Body& body) {
        pool_.ForEach(count, chunk, body);
    }
    // A thread's buffer of at least `size` floats, kept from call to call.
    float* Scratch(int32_t thread, size_t size);

private:
    std::vector<std::unique_ptr<Evaluator>> evaluators_;
    std::vector<std::vector<float>> scratch_;
    WorkerPool pool_;
};

// A program's error over a case set: the mean squared error of its output,
// or with a scaling, of the scaled output (its outputs computed first).
long double ProgramError(FitnessEvaluators& evaluators, int32_t thread, const Problem& problem,
                         const int32_t* program, const CaseSet& cases,
                         const std::optional<Scaling>& scaling);

// Mean squared error over the training (validation) cases; +infinity when the
// evaluation meets a floating-point error. The caller rounds it to 32 bits.
// With a scaling, of the scaled output (the validation error with the
// training cases' fit).
long double TrainingFitness(FitnessEvaluators& evaluators, const Problem& problem,
                            const int32_t* program,
                            const std::optional<Scaling>& scaling = std::nullopt);
long double ValidationFitness(FitnessEvaluators& evaluators, const Problem& problem,
                              const int32_t* program,
                              const std::optional<Scaling>& scaling = std::nullopt);

// The program's value at every case of a set rounded to float, a
// not-a-number where the evaluation fails; `out` holds the case count. With
// a scaling, the scaled value.
void CaseOutputs(FitnessEvaluators& evaluators, const Problem& problem, const int32_t* program,
                 const CaseSet& cases, float* out,
                 const std::optional<Scaling>& scaling = std::nullopt);

// The scaling that fits a program's output to the cases, and the error of
// the scaled output.
struct ScaledFit {
    Scaling scaling;
    long double error = 0;
};
ScaledFit FitProgram(FitnessEvaluators& evaluators, int32_t thread, const Problem& problem,
                     const int32_t* program, const CaseSet& cases);

// rawFitness, adjustedFitness and normalizedFitness of the current buffer,
// with `linearScaling` each program's fit to the training cases too. The
// programs are spread over the worker threads; the rawFitness of a program
// copied unchanged from the generation before is kept.
void AssignFitness(Population& population, const Problem& problem, FitnessEvaluators& evaluators,
                   bool linearScaling = false);

} // namespace quba
