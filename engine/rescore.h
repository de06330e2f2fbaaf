// Formulas found on one grid scored on another: a run evolved on a coarse
// version of a picture, its best programs and fronts measured on the picture
// at its full size (and the codec's blocks likewise).
#pragma once

#include "engine/best_program.h"
#include "engine/fitness.h"

#include <memory>
#include <string>
#include <vector>

namespace quba {

// The program with the errors it has on `problem`'s cases, its text (output
// name, "=", program text) made anew; with a linear scaling the scaling is
// fitted anew to those cases, since it is the formula's to choose.
BestProgram Rescored(const BestProgram& program, const std::shared_ptr<const Problem>& problem,
                     const std::string& outputName, FitnessEvaluators& evaluators);

// Every member rescored, then kept only where its error is below that of
// every smaller member before it, so that it stays a front.
std::vector<BestProgram> RescoredFront(const std::vector<BestProgram>& front,
                                       const std::shared_ptr<const Problem>& problem,
                                       const std::string& outputName,
                                       FitnessEvaluators& evaluators);

} // namespace quba
