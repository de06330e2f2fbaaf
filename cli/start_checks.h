// The checks the GUI's Start makes before it builds a run, for the
// populations in the run: operator rates of every population, then initial
// node ratios, then the limits the engine needs.
#pragma once

#include "cli/cli_config.h"

#include <cstdint>
#include <optional>
#include <string>

// The line naming the option of the first refused setting, or nothing.
std::optional<std::string> FirstRefusal(const CliConfig& config, uint64_t physicalMemory);
