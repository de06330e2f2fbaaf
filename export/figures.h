// How much a formula compresses its picture, and how well it redraws it.
#pragma once

#include "engine/best_program.h"

#include <cstdint>
#include <vector>

namespace quba {

// The formula's size in bytes: that of the formula file holding it exactly
// (codec/program_file.h).
int64_t FormulaBytes(const BestProgram& program);
// The picture as 8-bit grey: one byte a cell.
int64_t RawBytes(int32_t side);
// 10 log10(4 / mse) in dB: the grid's range of 2 is the peak. +inf for an
// exact fit, -inf for a failed one.
double Psnr(float meanSquaredError);

struct FormulaFigures {
    int64_t formulaBytes = 0;
    int64_t rawBytes = 0;
    double compressionRatio = 0; // raw bytes over formula bytes
    double psnr = 0;             // against the training grid
    double validationPsnr = 0;   // against the validation grid
};
FormulaFigures FiguresOf(const BestProgram& program);

} // namespace quba
