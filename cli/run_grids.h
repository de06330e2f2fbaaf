// The training and validation grids of a run, built as the GUI's problem
// panel builds them: training first, then validation, then the noise.
#pragma once

#include "cli/cli_config.h"
#include "core/grid.h"
#include "core/random.h"

#include <optional>
#include <string>

namespace quba {

struct RunGrids {
    DataGrid training;
    DataGrid validation; // a copy of training while useTrainingData holds
    bool useTrainingData = true;
};

struct RunGridsOutcome {
    std::optional<RunGrids> grids;
    std::string message; // the line saying which data file was refused, and why
};

// Both grids from their sources; a data file or picture that is refused or
// unreadable gives its reader's message, prefixed with its option.
RunGridsOutcome BuildRunGrids(const CliConfig& config);
// Training noise (copied into validation while it follows training), then
// validation noise, drawn from `random`.
void AddRunNoise(RunGrids& grids, const CliConfig& config, RandomGenerator& random);
// Points the problem settings at the grids, which must outlive the run.
void AttachGrids(ProblemSettings& problem, const RunGrids& grids);

} // namespace quba
