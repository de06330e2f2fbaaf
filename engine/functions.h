// The recursive evaluator's routines: one per primitive, made from the
// primitive table, and the readers of the two terminal kinds.
#pragma once

#include "engine/problem.h"

namespace quba {

// The master table, in check-list order.
FunctionTable BuildFunctionTable();

// The current variable value, and the constant value, named by the node's
// terminalIndex.
long double VariableNode(EvaluationContext& context, const int32_t* program, int32_t& position);
long double ConstantNode(EvaluationContext& context, const int32_t* program, int32_t& position);

} // namespace quba
