#include "engine/evaluator_factory.h"

#include "engine/batch_evaluator.h"
#include "engine/fast_evaluator.h"
#include "engine/reference_evaluator.h"

namespace quba {

std::unique_ptr<Evaluator> MakeEvaluator(EvaluatorKind kind) {
    if (kind == EvaluatorKind::Reference)
        return std::make_unique<ReferenceEvaluator>();
    if (kind == EvaluatorKind::Fast)
        return std::make_unique<FastEvaluator>();
    return std::make_unique<BatchEvaluator>();
}

} // namespace quba
