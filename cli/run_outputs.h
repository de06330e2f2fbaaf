// What a finished (or interrupted) run leaves: the run record, the
// best-program text, the best picture and the best programs' code and redraw.
#pragma once

#include "cli/cli_config.h"
#include "cli/run_recorder.h"
#include "codec/compress.h"

#include <optional>
#include <ostream>

namespace quba {

// Writes the JSON record, then the best-program text (or the JSON) to `out`,
// then the PNG, the exports, the redraw and the saved output. Problems go to `messages`; false when
// a file could not be written.
// With the codec's file, --save-formula writes it, and --render,
// --save-output and --export (but front-...) take its formulas.
bool WriteRunOutputs(const CliConfig& config, const RunRecorder& recorder,
                     const std::optional<Compression>& compression, std::ostream& out,
                     std::ostream& messages);

} // namespace quba
