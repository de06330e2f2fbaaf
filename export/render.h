// A program redrawn at any size: its value at the centre of every pixel,
// mapped into the frame of the training grid's cells, so that a pixel centre
// on a cell centre gives exactly that cell's value. Pixel rows follow the
// grid's rows (Y) and pixel columns its columns (X), so a redrawn picture
// stands as the picture it was made from.
#pragma once

#include "core/grid.h"
#include "engine/best_program.h"
#include "engine/fitness.h"

#include <cstdint>
#include <functional>

namespace quba {

// The rows of a pixels x pixels picture, each handed to `take` with one value
// a pixel, left to right; a not-a-number where the evaluation fails. Rows are
// spread over the evaluators' threads, so `take` is called from several
// threads at once, each time for another row.
void RenderRows(const BestProgram& program, int32_t pixels, FitnessEvaluators& evaluators,
                const std::function<void(int32_t row, const float* values)>& take);

// The program's output on every cell of the training grid.
DataGrid TrainingOutput(const BestProgram& program, FitnessEvaluators& evaluators);

} // namespace quba
