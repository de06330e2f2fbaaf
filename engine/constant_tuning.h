// Tuning a program's constants: Levenberg-Marquardt on the values of its
// constant leaves against the training cases, the derivatives by automatic
// differentiation through the program in double (not finite differences). Each leaf is a parameter
// of its own, even where two leaves hold the same constant; with linear scaling the fit's a and b
// are tuned alongside.
#pragma once

#include "engine/problem.h"

#include <cstdint>
#include <vector>

namespace quba {

struct TunedConstants {
    std::vector<int32_t> positions; // the constant leaves, in program order
    std::vector<float> values;      // the values found for them
    bool changed = false;           // some value differs from the program's
};

// `iterations` Levenberg-Marquardt steps from the program's own values. A
// program without constants, or whose output is not finite at some case, is
// left as it is. Deterministic: the same program and cases give the same
// values on any thread.
TunedConstants TuneConstants(const Problem& problem, const int32_t* program, int32_t length,
                             const CaseSet& cases, int32_t iterations, bool linearScaling);

} // namespace quba
