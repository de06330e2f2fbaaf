// What a finished (or interrupted) run leaves: the run record, the
// best-program text and the best picture.
#pragma once

#include "cli/cli_config.h"
#include "cli/run_recorder.h"

#include <ostream>

namespace quba {

// Writes the JSON record, then the best-program text (or the JSON) to `out`,
// then the PNG. Problems go to `messages`; false when a file could not be written.
bool WriteRunOutputs(const CliConfig& config, const RunRecorder& recorder, std::ostream& out,
                     std::ostream& messages);

} // namespace quba
