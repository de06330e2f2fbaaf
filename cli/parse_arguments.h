// The command line turned into a run configuration, or what to print instead.
#pragma once

#include "cli/cli_config.h"

#include <QStringList>

#include <string>

namespace quba {

struct ParseOutcome {
    enum class Action { Run, ShowHelp, ShowVersion, Refuse };
    Action action = Action::Run;
    CliConfig config;
    std::string text; // the help or version text, or the line saying what was refused
};

inline constexpr const char* kVersion = "1.0.0";

// `arguments` starts with the program name.
ParseOutcome ParseArguments(const QStringList& arguments);

} // namespace quba
