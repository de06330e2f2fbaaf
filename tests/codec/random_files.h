// Random formula files that a writer must take: any grid, quadtree, stage
// count, function set, scaling and constant coding, every constant on the
// coding's grid.
#pragma once

#include "codec/formula_file.h"

#include <random>
#include <string>

namespace quba {

FormulaFile RandomFormulaFile(std::mt19937& random);

// Magic, the given bits and a valid CRC: a file whose content alone decides.
std::string SealedFile(const std::string& bits);

} // namespace quba
