// Fitness cases, program evaluation and the three fitness values.
#pragma once

#include <cstdint>

struct Population;
struct Problem;
struct GridView;
struct CaseSet;
struct EvaluationOptions;

// Fills the problem's fitness cases from the grids. Case k = r * N + c holds
// X = (c - h + 0.5) / h, Y = (r - h + 0.5) / h with h = N / 2 in integers.
void BuildFitnessCases(Problem& problem, GridView training, GridView validation,
                       bool useTrainingData);

void SetVariables(float x, float y);
// Value of the subtree at `position`, through the node table's routines.
long double Evaluate(const int32_t* program, int32_t& position);

// Rounds a value to the 32-bit float it is held as; a value beyond the float
// range marks the evaluation as failed.
float StoreFloat(long double value);
// Records that the evaluation in progress met a floating-point error.
void MarkEvaluationError();

// Mean squared error over the training (validation) cases; +infinity when the
// evaluation meets a floating-point error. The caller rounds it to 32 bits.
long double TrainingFitness(const int32_t* program);
long double ValidationFitness(const int32_t* program);

// The program's value at every case of a set rounded to float, a
// not-a-number where the evaluation fails; `out` holds the case count.
void CaseOutputs(const int32_t* program, const CaseSet& cases, float* out);

// Worker threads that AssignFitness uses with these options.
int32_t WorkerThreads(const EvaluationOptions& options);

// rawFitness, adjustedFitness and normalizedFitness of the current buffer. The
// batch evaluator spreads the programs over the worker threads and keeps the
// rawFitness of a program copied unchanged from the generation before.
void AssignFitness(Population& population);
