// quba-cli's side of Start's checks: the configuration goes through the same
// sequence as the desktop program's Start, and a refusal becomes one line
// naming the option.
#pragma once

#include "cli/cli_config.h"
#include "setup/start_check.h"

#include <cstdint>
#include <string>
#include <variant>

namespace quba {

// The checked run settings, or the line naming the option of the first
// refused setting. The grids must be attached to the configuration's problem.
std::variant<CheckedStart, std::string> CheckCliStart(const CliConfig& config,
                                                      uint64_t physicalMemory);

} // namespace quba
