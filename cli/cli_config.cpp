#include "cli/cli_config.h"

#include "cli/option_table.h"

namespace quba {

std::vector<NamedOutput> CliConfig::Outputs() const {
    std::vector<NamedOutput> outputs;
    auto add = [&](Cli option, const std::string& path) {
        if (!path.empty())
            outputs.push_back({Name(option), path});
    };
    add(Cli::SaveTraining, saveTrainingPath);
    add(Cli::Json, jsonPath);
    add(Cli::BestImage, bestImagePath);
    for (const ExportTarget& target : exports)
        add(Cli::Export, target.path);
    add(Cli::Render, renderPath);
    add(Cli::SaveOutput, saveOutputPath);
    add(Cli::SaveFormula, saveFormulaPath);
    return outputs;
}

} // namespace quba
