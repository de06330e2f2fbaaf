// The ranking sort and program text.
#pragma once

#include "engine/population.h"
#include "engine/problem.h"

#include <cstdint>
#include <string>

namespace quba {

// Orders the current buffer by normalizedFitness, largest first.
void SortByFitness(Population& population);

// Infix text of the subtree rooted at `position`; on return `position` is the
// subtree's last node.
std::string ProgramText(const NodeEntry* nodeTable, const int32_t* nodes, int32_t& position);

} // namespace quba
