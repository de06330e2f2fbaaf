// A formula file decoded: its grid, each block's stages added in float in
// stage order, with the exact arithmetic, so that the values are those the
// encoder measured; and redrawn at any size.
#pragma once

#include "codec/formula_file.h"
#include "core/grid.h"
#include "engine/best_program.h"
#include "engine/fitness.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace quba {

// Every cell of the file's grid; a not-a-number where an evaluation fails.
// Blocks are spread over the evaluators' threads; the result never depends
// on how many.
DataGrid DecodeFormulaFile(const FormulaFile& file, FitnessEvaluators& evaluators);

// The rows of a pixels x pixels picture of the file's formulas, as
// RenderRows gives a program's: pixel p's centre lies at grid position
// u = (p + 0.5) N / pixels, in the block that holds cell floor(u), at that
// block's own coordinate. `take` is called once a row, from one thread.
void RenderFormulaFile(const FormulaFile& file, int32_t pixels, FitnessEvaluators& evaluators,
                       const std::function<void(int32_t row, const float* values)>& take);

// A file of one block and one stage as the program it holds, over the
// file's whole grid (targets zero), for the exports; none for any other file.
std::optional<BestProgram> SingleProgram(const FormulaFile& file, const std::string& outputName);

} // namespace quba
