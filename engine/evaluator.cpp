#include "engine/evaluator.h"

#include "engine/batch_evaluator.h"
#include "engine/reference_evaluator.h"

namespace quba {

std::unique_ptr<Evaluator> MakeEvaluator(EvaluatorKind kind) {
    if (kind == EvaluatorKind::Reference)
        return std::make_unique<ReferenceEvaluator>();
    return std::make_unique<BatchEvaluator>();
}

} // namespace quba
