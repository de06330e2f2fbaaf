#include "engine/evaluation.h"

#include <cmath>

namespace quba {

void SetVariables(EvaluationContext& context, float x, float y) {
    context.variableValues = {x, y};
}

long double Evaluate(EvaluationContext& context, const int32_t* program, int32_t& position) {
    return context.problem.nodeTable[program[position]].evaluate(context, program, position);
}

float StoreFloat(EvaluationContext& context, long double value) {
    const auto stored = static_cast<float>(value);
    if (std::isinf(stored))
        MarkEvaluationError(context);
    return stored;
}

void MarkEvaluationError(EvaluationContext& context) {
    context.evaluationError = true;
}

} // namespace quba
