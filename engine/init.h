// The random node choice and the initial programs.
#pragma once

#include "core/random.h"
#include "engine/population.h"
#include "engine/problem.h"

#include <cstdint>

namespace quba {

// Kinds of node draw: free, function only, terminal only, and the free draw
// that mutation uses.
enum class NodeKind : int32_t { Any = 0, Function = 1, Terminal = 2, Mutation = 3 };

// A random node code of `problem`, by the population's function and variable
// ratios. One unit draw is made whatever the kind.
int32_t ChooseNode(RandomGenerator& random, const Problem& problem, const Population& population,
                   NodeKind kind);

// Longest program the initial growth keeps; a longer one is begun again.
inline constexpr int32_t kMaxInitialNodes = 70;

// A fresh random program for every individual of the current buffer.
void InitializePopulation(RandomGenerator& random, const Problem& problem, Population& population);

} // namespace quba
