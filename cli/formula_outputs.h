// What quba-cli writes of the best programs themselves: their code, a redraw
// at any size and their output on the training grid.
#pragma once

#include "cli/cli_config.h"
#include "cli/run_recorder.h"
#include "export/export.h"

#include <cstdint>
#include <optional>
#include <ostream>
#include <vector>

namespace quba {

// The population --render and --save-output use: --pick, else the one whose
// best program has the lowest training error (the lowest number on a tie).
// None when that population never stepped.
std::optional<int32_t> PickedPopulation(const CliConfig& config, const RunRecorder& recorder);

// Whether what quba-cli writes holds the fronts' members, whose validation
// errors and texts are then computed once the run is over.
bool WritesFronts(const CliConfig& config);

// Writes the front-... exports, and with `bestToo` the other exports,
// --render and --save-output from the best programs. Problems go to
// `messages`; false when a file could not be written.
bool WriteFormulaOutputs(const CliConfig& config, const RunRecorder& recorder, bool bestToo,
                         std::ostream& out, std::ostream& messages);

} // namespace quba
