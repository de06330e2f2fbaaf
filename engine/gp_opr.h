// The variation operators. Each writes into an existing child whose node array
// has the population's capacity and never makes a child longer than maxLength.
#pragma once

#include "core/random.h"
#include "engine/population.h"
#include "engine/problem.h"

#include <cstdint>

namespace quba {

// Last position of the subtree starting at `start`, or -1 when the program
// ends before the subtree does.
int32_t SubtreeEnd(const NodeEntry* nodeTable, const int32_t* nodes, int32_t start, int32_t length);

// Receiver with one of its subtrees replaced by a subtree of the donor.
void Crossover(RandomGenerator& random, const Problem& problem, Individual& child,
               const Individual& receiver, const Individual& donor, int32_t maxLength);
// Parent with one of its subtrees replaced by a new random subtree of at most
// maxSubtree nodes, drawn by the population's node ratios.
void Mutation(RandomGenerator& random, const Problem& problem, const Population& population,
              Individual& child, const Individual& parent, int32_t maxLength, int32_t maxSubtree);
// A prefix of `first` followed by a suffix of `second`, joined where both have
// the same number of open argument slots.
void OnePointCrossover(RandomGenerator& random, const Problem& problem, Individual& child,
                       const Individual& first, const Individual& second, int32_t maxLength);
// An exact copy, fitness values included.
void CopyIndividual(Individual& child, const Individual& parent, int32_t maxLength);

} // namespace quba
