// The command line turned into a run configuration, or what to print instead.
#pragma once

#include "cli/cli_config.h"

#include <QStringList>

#include <string>
#include <vector>

namespace quba {

struct ParseOutcome {
    enum class Action { Run, ShowHelp, ShowVersion, Refuse };
    Action action = Action::Run;
    CliConfig config;
    std::string text; // the help or version text, or the line saying what was refused
};

inline constexpr const char* kVersion = "1.0.0";

// `arguments` starts with the program name. `raw` are the same arguments as
// the bytes the process was given, from which file names are taken as they
// are (a name need not be valid in any encoding); without them, names are
// the arguments' bytes in the local encoding.
ParseOutcome ParseArguments(const QStringList& arguments, const std::vector<std::string>& raw = {});

} // namespace quba
