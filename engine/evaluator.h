// The seam between fitness and the arithmetic: an evaluator scores a program
// on a case set and gives its value at every case. One instance serves one
// thread at a time; the problem it reads is never written.
#pragma once

#include "engine/problem.h"
#include "engine/run_settings.h"

#include <cstdint>
#include <memory>

namespace quba {

class Evaluator {
public:
    virtual ~Evaluator() = default;

    // The mean squared error with the error sum formed case by case in float;
    // +infinity when any case meets a floating-point error. The caller rounds
    // it to 32 bits.
    virtual long double MeanSquaredError(const Problem& problem, const int32_t* program,
                                         const CaseSet& cases) = 0;
    // The program's value at every case rounded to float, a not-a-number where
    // the evaluation fails; `out` holds the case count.
    virtual void Outputs(const Problem& problem, const int32_t* program, const CaseSet& cases,
                         float* out) = 0;
};

} // namespace quba
