#include "cli/start_checks.h"

#include "engine/settings.h"

namespace {

const char* OptionOf(SettingField field) {
    switch (field) {
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

std::optional<std::string> FirstRefusal(const CliConfig& config, uint64_t physicalMemory) {
    const int32_t count = config.populationCount;
    for (int32_t i = 0; i < count; ++i)
        if (LabelIsNegative(ReproductionLabelText(config.populations[i])))
            return RefusalLine(config, "--crossover", i, kRateSumMessage);
    for (int32_t i = 0; i < count; ++i)
        if (LabelIsNegative(ConstantLabelText(config.populations[i])))
            return RefusalLine(config, "--function-ratio", i, kNodeRatioMessage);
    const auto refusal =
        CheckRunLimits(config.problem, config.populations.data(), count, physicalMemory);
    if (refusal)
        return RefusalLine(config, OptionOf(refusal->field),
                           refusal->field == SettingField::Memory ? -1 : refusal->population,
                           refusal->message);
    return std::nullopt;
}
