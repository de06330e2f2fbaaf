// What a formula takes in bytes, estimated from its symbols: each node a code
// of w bits, w the bits that number the run's functions, the two variables
// and the distinct constants the formula uses; 4 bytes for each of those
// constants' values and, with a linear scaling, for a and b; the whole
// rounded up to whole bytes.
#pragma once

#include "engine/problem.h"

#include <cstdint>

namespace quba {

int64_t FormulaBytes(const Problem& problem, const int32_t* nodes, int32_t length,
                     bool scaled = false);

} // namespace quba
