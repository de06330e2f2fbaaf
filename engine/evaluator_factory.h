// Makes the evaluator of a kind: the one place that knows every evaluator.
#pragma once

#include "engine/evaluator.h"
#include "engine/run_settings.h"

#include <memory>

namespace quba {

std::unique_ptr<Evaluator> MakeEvaluator(EvaluatorKind kind);

} // namespace quba
