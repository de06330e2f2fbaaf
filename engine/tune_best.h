// After a generation's evaluation, the best programs' constants are tuned
// (constant_tuning.h) and written back where the tuned program is better.
#pragma once

#include "engine/fitness.h"
#include "engine/population.h"
#include "engine/problem.h"

namespace quba {

// Tunes the first programs of the ranked current buffer that were not tuned
// as they are: `search.tunePrograms` of them, or as many as the elite (at
// least one) when that is 0. A tuned
// program replaces its original, its constants held as the problem's own
// constants (AddOwnConstant), when its training error, computed as the run
// computes it, is lower. The same on any number of threads.
void TuneBestPrograms(Population& population, Problem& problem, FitnessEvaluators& evaluators,
                      const SearchValues& search);

} // namespace quba
