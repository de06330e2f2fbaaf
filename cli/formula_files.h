// quba-cli's formula files: the codec run after the evolution (--budget,
// --target-psnr, --tiles, --stages), the file --save-formula writes, and
// --open-formula, which reads a file and runs nothing.
#pragma once

#include "cli/cli_config.h"
#include "cli/progress_reporter.h"
#include "cli/run_recorder.h"
#include "codec/compress.h"
#include "codec/formula_file_load.h"
#include "core/outcome.h"

#include <optional>
#include <ostream>
#include <string>

namespace quba {

// The codec on the grid the run was scored on, from the run's fronts and
// best programs; `seed` seeds the blocks' runs.
Outcome<Compression> CompressRun(const CliConfig& config, const RunRecorder& recorder,
                                 const DataGrid& grid, uint32_t seed, ProgressReporter& progress,
                                 const std::function<bool()>& keepGoing);

// The file --save-formula writes without the codec: the picked best
// program as it is. None when no population stepped.
std::optional<FormulaFile> RunFormulaFile(const CliConfig& config, const RunRecorder& recorder);

// --render, --save-output and --export (but front-...) from a file.
bool WriteFileOutputs(const FormulaFile& file, const CliConfig& config, std::ostream& out,
                      std::ostream& messages);

// --open-formula: reads the file and writes what was asked of it; the exit status.
int OpenFormulaFile(const CliConfig& config, std::ostream& out, std::ostream& messages);

} // namespace quba
