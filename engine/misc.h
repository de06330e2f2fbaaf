// The ranking sort and program text.
#pragma once

#include "engine/linear_scaling.h"
#include "engine/population.h"
#include "engine/problem.h"

#include <cstdint>
#include <optional>
#include <string>

namespace quba {

// Orders the current buffer by normalizedFitness, largest first.
void SortByFitness(Population& population);

// Infix text of the subtree rooted at `position`; on return `position` is the
// subtree's last node.
std::string ProgramText(const NodeEntry* nodeTable, const int32_t* nodes, int32_t& position);

// What a best program shows: the output name, "=", and the program's text;
// with a linear scaling "a+b*" before it ("C=0.1234+2.5* (X*Y) ").
std::string OutputText(const std::string& outputName, const Problem& problem, const int32_t* nodes,
                       const std::optional<Scaling>& scaling);
// The same text with every constant, and the scaling's a and b, written as
// the shortest decimal that reads back as the same float ("0.392", "1e-05").
std::string ExactOutputText(const std::string& outputName, const Problem& problem,
                            const int32_t* nodes, const std::optional<Scaling>& scaling);

} // namespace quba
