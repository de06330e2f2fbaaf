// Fitness: a program's error over the training and the validation cases, and
// the three fitness values of every individual. The evaluators, one per worker
// thread, belong to the run.
#pragma once

#include "engine/evaluator.h"
#include "engine/population.h"
#include "engine/problem.h"
#include "engine/worker_pool.h"

#include <cstdint>
#include <functional>
#include <memory>
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

private:
    std::vector<std::unique_ptr<Evaluator>> evaluators_;
    WorkerPool pool_;
};

// Mean squared error over the training (validation) cases; +infinity when the
// evaluation meets a floating-point error. The caller rounds it to 32 bits.
long double TrainingFitness(FitnessEvaluators& evaluators, const Problem& problem,
                            const int32_t* program);
long double ValidationFitness(FitnessEvaluators& evaluators, const Problem& problem,
                              const int32_t* program);

// The program's value at every case of a set rounded to float, a
// not-a-number where the evaluation fails; `out` holds the case count.
void CaseOutputs(FitnessEvaluators& evaluators, const Problem& problem, const int32_t* program,
                 const CaseSet& cases, float* out);

// rawFitness, adjustedFitness and normalizedFitness of the current buffer. The
// programs are spread over the worker threads; the rawFitness of a program
// copied unchanged from the generation before is kept.
void AssignFitness(Population& population, const Problem& problem, FitnessEvaluators& evaluators);

} // namespace quba
