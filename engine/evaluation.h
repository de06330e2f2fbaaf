// The recursive walk of a program through its node table's routines, and the
// scratch one evaluation writes: the two variable values and whether a
// floating-point error was met. The scratch lives in the caller's context, not
// in the problem record, so evaluations may run side by side.
#pragma once

#include "engine/problem.h"

#include <array>
#include <cstdint>

namespace quba {

struct EvaluationContext {
    explicit EvaluationContext(const Problem& p) : problem(p) {}

    const Problem& problem;
    std::array<float, 2> variableValues{};
    bool evaluationError = false; // set when the evaluation met a floating-point error
};

void SetVariables(EvaluationContext& context, float x, float y);
// Value of the subtree at `position`, through the node table's routines.
long double Evaluate(EvaluationContext& context, const int32_t* program, int32_t& position);

// Rounds a value to the 32-bit float it is held as; a value beyond the float
// range marks the evaluation as failed.
float StoreFloat(EvaluationContext& context, long double value);
// Records that the evaluation in progress met a floating-point error.
void MarkEvaluationError(EvaluationContext& context);

} // namespace quba
