#include "cli/start_checks.h"

#include "setup/labels.h"

#include <vector>

namespace quba {

namespace {

const char* OptionOf(SettingField field) {
    switch (field) {
    case SettingField::TrainingData:
        return "--pattern/--data";
    case SettingField::ValidationData:
        return "--validation-pattern/--validation-data";
    case SettingField::RateSum:
        return "--crossover";
    case SettingField::NodeRatioSum:
        return "--function-ratio";
    case SettingField::Range:
        return "--range";
    case SettingField::PopulationSize:
        return "--population-size";
    case SettingField::Generations:
        return "--generations";
    case SettingField::TournamentSize:
        return "--tournament-size";
    case SettingField::Crossover:
        return "--crossover";
    case SettingField::Mutation:
        return "--mutation";
    case SettingField::OnePoint:
        return "--one-point";
    case SettingField::Elite:
        return "--elite";
    case SettingField::MaxLength:
        return "--max-length";
    case SettingField::MaxInitialDepth:
        return "--max-depth";
    case SettingField::FunctionRatio:
        return "--function-ratio";
    case SettingField::VariableRatio:
        return "--variable-ratio";
    case SettingField::ConstantCount:
        return "--constants";
    case SettingField::RangeLower:
    case SettingField::RangeUpper:
        return "--range";
    case SettingField::Memory:
        return "--population-size/--max-length";
    }
    return "--populations";
}

// With several populations the line also says which one is refused.
std::string RefusalLine(const CliConfig& config, const char* option, int32_t population,
                        const std::string& message) {
    std::string line = std::string(option) + ": ";
    if (config.populationCount > 1 && population >= 0)
        line += "population " + std::to_string(population + 1) + ": ";
    return line + message;
}

} // namespace

std::variant<CheckedStart, std::string> CheckCliStart(const CliConfig& config,
                                                      uint64_t physicalMemory) {
    // The command line has no labels to show: they are what the fields give.
    std::vector<PopulationSettings> populations;
    for (int32_t i = 0; i < config.populationCount; ++i)
        populations.push_back(WithDerivedLabels(config.populations[i]));
    StartOutcome outcome = CheckStart(config.problem, populations, physicalMemory);
    if (const auto* refusal = std::get_if<Refusal>(&outcome))
        return RefusalLine(config, OptionOf(refusal->field),
                           refusal->field == SettingField::Memory ? -1 : refusal->population,
                           refusal->message);
    auto& start = std::get<CheckedStart>(outcome);
    start.settings.evaluation = config.evaluation;
    start.settings.keepFronts = config.keepFronts;
    return std::move(start);
}

} // namespace quba
