// The training and validation grids of a run, built as the GUI's problem
// panel builds them: training first, then validation, then the noise.
#pragma once

#include "cli/cli_config.h"
#include "core/grid.h"
#include "core/outcome.h"
#include "core/random.h"
#include "data/grid_pair.h"

#include <optional>
#include <string>

namespace quba {

// Both grids from their sources; a data file or picture that is refused or
// unreadable gives its reader's message, prefixed with its option.
Outcome<GridPair> BuildRunGrids(const CliConfig& config);
// With --train-size, the picture at its full --size, on which the run's
// programs are scored once it has ended.
Outcome<DataGrid> BuildScoringGrid(const CliConfig& config);
// Training noise (copied into validation while it follows training), then
// validation noise, drawn from `random`.
void AddRunNoise(GridPair& grids, const CliConfig& config, RandomGenerator& random);
// Puts the grids, which must both be there, into the problem's values.
void AttachGrids(ProblemValues& problem, const GridPair& grids);

} // namespace quba
