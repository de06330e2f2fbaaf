#include "engine/reference_evaluator.h"

#include "engine/evaluation.h"
#include "engine/primitive_rules.h"

#include <limits>

namespace quba {

long double ReferenceEvaluator::MeanSquaredError(const Problem& problem, const int32_t* program,
                                                 const CaseSet& cases) {
    // Any floating-point error, or a not-a-number difference, ends in +inf.
    EvaluationContext context(problem);
    float sum = 0;
    for (int32_t k = 0; k < cases.count; ++k) {
        SetVariables(context, cases.xs[k], cases.ys[k]);
        int32_t position = 0;
        const long double out = Evaluate(context, program, position);
        if (context.evaluationError || !rules::AddSquaredError(sum, cases.targets[k], out))
            return std::numeric_limits<long double>::infinity();
    }
    return static_cast<long double>(sum) / cases.count;
}

void ReferenceEvaluator::Outputs(const Problem& problem, const int32_t* program,
                                 const CaseSet& cases, float* out) {
    EvaluationContext context(problem);
    for (int32_t k = 0; k < cases.count; ++k) {
        context.evaluationError = false;
        SetVariables(context, cases.xs[k], cases.ys[k]);
        int32_t position = 0;
        const float value = StoreFloat(context, Evaluate(context, program, position));
        out[k] = context.evaluationError ? std::numeric_limits<float>::quiet_NaN() : value;
    }
}

} // namespace quba
