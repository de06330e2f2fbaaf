#include "cli/start_checks.h"

#include "cli/option_table.h"
#include "setup/labels.h"

#include <string>

namespace quba {

namespace {

// The option a refusal is about: the setting's own, or the one that leads to it.
std::string OptionOf(SettingField field) {
    switch (field) {
    case SettingField::TrainingData:
        return Dashed(Cli::Pattern) + "/" + Dashed(Cli::Data);
    case SettingField::ValidationData:
        return Dashed(Cli::ValidationPattern) + "/" + Dashed(Cli::ValidationData);
    case SettingField::RateSum:
        return std::string("--") + RowOf(SettingField::Crossover).option;
    case SettingField::NodeRatioSum:
        return std::string("--") + RowOf(SettingField::FunctionRatio).option;
    case SettingField::Range:
    case SettingField::RangeLower:
    case SettingField::RangeUpper:
        return Dashed(Cli::Range);
    case SettingField::Memory:
        return std::string("--") + RowOf(SettingField::PopulationSize).option + "/--" +
               RowOf(SettingField::MaxLength).option;
    default:
        return std::string("--") + RowOf(field).option;
    }
}

// With several populations the line also says which one is refused.
std::string RefusalLine(const CliConfig& config, const std::string& option, int32_t population,
                        const std::string& message) {
    std::string line = option + ": ";
    if (config.PopulationCount() > 1 && population >= 0)
        line += "population " + std::to_string(population + 1) + ": ";
    return line + message;
}

} // namespace

std::variant<CheckedStart, std::string> CheckCliStart(const CliConfig& config,
                                                      uint64_t physicalMemory) {
    // The command line has no labels to show: they are what the values give.
    StartOutcome outcome = CheckTypedStart(config.settings, physicalMemory);
    if (const auto* refusal = std::get_if<Refusal>(&outcome))
        return RefusalLine(config, OptionOf(refusal->field),
                           refusal->field == SettingField::Memory ? -1 : refusal->population,
                           refusal->message);
    return std::move(std::get<CheckedStart>(outcome));
}

} // namespace quba
