// The plain recursive walk through the node table's routines, case by case:
// the evaluator every faster one is compared with.
#pragma once

#include "engine/evaluator.h"

namespace quba {

class ReferenceEvaluator final : public Evaluator {
public:
    long double MeanSquaredError(const Problem& problem, const int32_t* program,
                                 const CaseSet& cases) override;
    void Outputs(const Problem& problem, const int32_t* program, const CaseSet& cases,
                 float* out) override;
};

} // namespace quba
