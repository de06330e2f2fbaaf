// Fitness: a program's error over the training and the validation cases, and
// the three fitness values of every individual. The evaluators, one per worker
// thread, belong to the run.
#pragma once

#include "engine/evaluator.h"
#include "engine/population.h"
#include "engine/problem.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace quba {

// Worker threads with these options.
int32_t WorkerThreads(const EvaluationOptions& options);

// One evaluator of the chosen kind per worker thread.
class FitnessEvaluators {
public:
    explicit FitnessEvaluators(const EvaluationOptions& options);

    [[nodiscard]] int32_t Threads() const { return static_cast<int32_t>(evaluators_.size()); }
    Evaluator& ForThread(int32_t thread) { return *evaluators_[thread]; }

private:
    std::vector<std::unique_ptr<Evaluator>> evaluators_;
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
