#include "setup/start_check.h"

#include "core/decimal.h"
#include "engine/population.h"
#include "engine/problem.h"
#include "setup/labels.h"
#include "setup/messages.h"

#include <optional>
#include <unistd.h>

namespace quba {

namespace {

// Whether Start reads a setting's text at all.
bool IsRead(const SettingRow& setting, const PopulationSettings& settings) {
    if (setting.field == SettingField::TournamentSize)
        return settings.Selection() == SelectionMethod::Tournament;
    if (setting.field == SettingField::Elite)
        return settings.eliteChecked;
    return true;
}

// The sheet's values, or a refusal at its first text that is no number.
std::variant<PopulationValues, Refusal> ParsePopulation(const PopulationSettings& settings,
                                                        int32_t population) {
    PopulationValues values;
    for (const SettingRow& setting : PopulationSchema()) {
        if (!IsRead(setting, settings))
            continue;
        try {
            Store(setting, {.population = &values},
                  ParseSettingText(setting, settings.Text(setting.field)));
        } catch (const ConversionError& error) {
            return Refusal{population, setting.field, error.what()};
        }
    }
    return values;
}

// The problem panel's numbers, or a refusal at its first text that is no
// number; the range bounds as the extended values the range check compares.
struct ProblemNumbers {
    ProblemValues values;
    long double lower = 0;
    long double upper = 0;
};

std::variant<ProblemNumbers, Refusal> ParseProblem(const ProblemSettings& settings) {
    ProblemNumbers numbers;
    const std::pair<SettingField, const std::string*> texts[] = {
        {SettingField::ConstantCount, &settings.constantCountText},
        {SettingField::RangeLower, &settings.rangeLowerText},
        {SettingField::RangeUpper, &settings.rangeUpperText}};
    for (const auto& [field, text] : texts) {
        try {
            Store(RowOf(field), {.problem = &numbers.values},
                  ParseSettingText(RowOf(field), *text));
        } catch (const ConversionError& error) {
            return Refusal{-1, field, error.what()};
        }
    }
    numbers.lower = TextToExtended(settings.rangeLowerText);
    numbers.upper = TextToExtended(settings.rangeUpperText);
    return numbers;
}

void AttachProblemTexts(const ProblemSettings& settings, ProblemValues& values) {
    values.functionChecked = settings.functionChecked;
    values.horizontalName = settings.horizontalName;
    values.verticalName = settings.verticalName;
    values.training = *settings.training;
    values.useTrainingData = settings.useTrainingData;
    if (!settings.useTrainingData)
        values.validation = *settings.validation;
}

// What one individual takes: its node array, its record and the reference
// to it, each allocation with the allocator's own header.
long double IndividualMemory(int32_t maxLength) {
    constexpr long double kAllocationHeader = 16;
    return static_cast<long double>(maxLength) * sizeof(int32_t) + sizeof(Individual) +
           sizeof(std::unique_ptr<Individual>) + 2 * kAllocationHeader;
}

CheckedStart Checked(RunSettings settings) {
    CheckedStart start;
    start.settings = std::move(settings);
    start.plusChecked = EnsureOneFunction(start.settings.problem.functionChecked);
    return start;
}

} // namespace

PopulationValues ReadPopulationValues(const PopulationSettings& settings) {
    auto parsed = ParsePopulation(settings, 0);
    if (const auto* refusal = std::get_if<Refusal>(&parsed))
        throw ConversionError(refusal->message);
    return std::get<PopulationValues>(parsed);
}

std::optional<Refusal> CheckRunLimits(const RunSettings& settings, uint64_t physicalMemory) {
    const int32_t constantCount = settings.problem.constantCount;
    if (constantCount < 1)
        return Refusal{-1, SettingField::ConstantCount, "Number of constants must be at least 1."};
    // Every constant has a node table entry and a value in the problem record.
    const long double constantMemory =
        static_cast<long double>(constantCount) * (sizeof(NodeEntry) + sizeof(float));
    if (constantMemory > static_cast<long double>(physicalMemory))
        return Refusal{-1, SettingField::ConstantCount,
                       "Not enough memory for this number of constants."};
    long double memory = 0;
    for (size_t i = 0; i < settings.populations.size(); ++i) {
        const PopulationValues& v = settings.populations[i];
        auto refuse = [i](SettingField field, const char* message) {
            return Refusal{static_cast<int32_t>(i), field, message};
        };
        const bool tournament = v.selectionMethod == SelectionMethod::Tournament;
        if (v.populationSize < 2)
            return refuse(SettingField::PopulationSize, "Population size must be at least 2.");
        if (v.generations < 0)
            return refuse(SettingField::Generations, "Generation must not be negative.");
        if (tournament && v.tournamentSize < 1)
            return refuse(SettingField::TournamentSize, "Tournament size must be at least 1.");
        // Every draw of a tournament costs; beyond the population size they
        // would take minutes a generation for no purpose.
        if (tournament && v.tournamentSize > v.populationSize)
            return refuse(SettingField::TournamentSize,
                          "Tournament size must not be larger than the population size.");
        if (v.maxLength < 70)
            return refuse(SettingField::MaxLength, "Maximum length must be at least 70.");
        if (v.functionRatio >= 1)
            return refuse(SettingField::FunctionRatio, "Function ratio must be below 1.");
        memory += 2.0L * v.populationSize * IndividualMemory(v.maxLength);
    }
    if (memory > static_cast<long double>(physicalMemory))
        return Refusal{0, SettingField::Memory,
                       "Not enough memory for populations of this size and maximum length."};
    return std::nullopt;
}

StartOutcome CheckStart(const ProblemSettings& problem,
                        std::span<const PopulationSettings> populations, uint64_t physicalMemory) {
    if (problem.training == nullptr)
        return Refusal{-1, SettingField::TrainingData, kNoTrainingDataMessage};
    if (problem.validation == nullptr)
        return Refusal{-1, SettingField::ValidationData, kNoValidationDataMessage};
    const auto count = static_cast<int32_t>(populations.size());
    for (int32_t i = 0; i < count; ++i)
        if (LabelIsNegative(populations[i].reproductionLabelText))
            return Refusal{i, SettingField::RateSum, kRateSumMessage};
    for (int32_t i = 0; i < count; ++i)
        if (LabelIsNegative(populations[i].constantLabelText))
            return Refusal{i, SettingField::NodeRatioSum, kNodeRatioMessage};
    auto numbers = ParseProblem(problem);
    if (const auto* refusal = std::get_if<Refusal>(&numbers))
        return *refusal;
    const ProblemNumbers& parsed = std::get<ProblemNumbers>(numbers);
    if (parsed.lower >= parsed.upper)
        return Refusal{-1, SettingField::Range, kRangeMessage};

    RunSettings settings;
    settings.problem = parsed.values;
    settings.search = problem.search;
    AttachProblemTexts(problem, settings.problem);
    for (int32_t i = 0; i < count; ++i) {
        auto values = ParsePopulation(populations[i], i);
        if (const auto* refusal = std::get_if<Refusal>(&values))
            return *refusal;
        settings.populations.push_back(std::get<PopulationValues>(values));
    }
    if (auto refusal = CheckRunLimits(settings, physicalMemory))
        return *refusal;
    return Checked(std::move(settings));
}

StartOutcome CheckTypedStart(RunSettings settings, uint64_t physicalMemory) {
    const auto count = static_cast<int32_t>(settings.populations.size());
    for (int32_t i = 0; i < count; ++i)
        if (LabelIsNegative(ReproductionLabelText(settings.populations[i])))
            return Refusal{i, SettingField::RateSum, kRateSumMessage};
    for (int32_t i = 0; i < count; ++i)
        if (LabelIsNegative(ConstantLabelText(settings.populations[i])))
            return Refusal{i, SettingField::NodeRatioSum, kNodeRatioMessage};
    if (auto refusal = CheckRunLimits(settings, physicalMemory))
        return *refusal;
    return Checked(std::move(settings));
}

uint64_t PhysicalMemoryBytes() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0)
        return UINT64_MAX;
    return static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize);
}

} // namespace quba
