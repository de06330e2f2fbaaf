#include "cli/cli_config.h"

namespace quba {

std::vector<NamedOutput> CliConfig::Outputs() const {
    std::vector<NamedOutput> outputs;
    auto add = [&](const char* option, const std::string& path) {
        if (!path.empty())
            outputs.push_back({option, path});
    };
    add("save-training", saveTrainingPath);
    add("json", jsonPath);
    add("best-image", bestImagePath);
    for (const ExportTarget& target : exports)
        add("export", target.path);
    add("render", renderPath);
    add("save-output", saveOutputPath);
    return outputs;
}

} // namespace quba
