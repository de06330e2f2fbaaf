// Runs the built quba-cli and collects what it printed, and checks a parsed
// configuration as its Start does.
#pragma once

#include "cli/cli_config.h"

#include <QStringList>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct CliResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// What the child process is held to besides its arguments.
struct ChildLimits {
    uint64_t dataBytes = 0;    // its data segment and anonymous mappings; 0 for no limit
    bool unprivileged = false; // runs as user "nobody" when the tests run as root
};

CliResult RunCli(const QStringList& arguments, const ChildLimits& limits = {});
// Arguments of a small, seeded, quiet run.
QStringList SmallRun();
// The numbers of a data file quba-cli wrote, "nan" included, row after row.
std::vector<float> ReadFloats(const QString& path);

// The line quba-cli prints when Start refuses `config` (its grids built from
// their sources), or nothing when the run may start.
std::optional<std::string> FirstRefusal(quba::CliConfig config, uint64_t physicalMemory);
