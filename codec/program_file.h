// A run's program as a formula file of its own: one block, one stage, its
// constants exact. Its size is the program's formula bytes.
#pragma once

#include "codec/formula_file.h"
#include "engine/best_program.h"

#include <cstdint>
#include <optional>

namespace quba {

FormulaFile ExactFormulaFile(const BestProgram& program, int32_t side, PictureFit fit);

// The bytes of that file, for any program of a problem.
int64_t ProgramFileBytes(const Problem& problem, const int32_t* nodes, int32_t length,
                         const std::optional<Scaling>& scaling);

} // namespace quba
