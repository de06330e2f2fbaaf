#include "setup/start_check.h"

#include "core/decimal.h"
#include "engine/population.h"
#include "engine/problem.h"
#include "setup/labels.h"
#include "setup/messages.h"

#include <functional>
#include <initializer_list>
#include <unistd.h>

namespace quba {

PopulationValues ReadPopulationValues(const PopulationSettings& settings) {
    PopulationValues values;
    values.populationSize = TextToInteger(settings.populationSizeText);
    values.generations = TextToInteger(settings.generationsText);
    values.selectionMethod = settings.selectionMethod;
    if (settings.selectionMethod == SelectionMethod::Tournament)
        values.tournamentSize = TextToInteger(settings.tournamentSizeText);
    values.crossoverRate = TextToFloat(settings.crossoverText);
    values.mutationRate = TextToFloat(settings.mutationText);
    values.onePointMutationRate = TextToFloat(settings.onePointText);
    values.eliteFraction =
        settings.eliteChecked ? static_cast<float>(TextToExtended(settings.eliteText) * 0.01L) : 0;
    values.maxLength = TextToInteger(settings.maxLengthText);
    values.maxInitialDepth = TextToInteger(settings.maxInitialDepthText);
    values.functionRatio = TextToFloat(settings.functionRatioText);
    values.variableRatio = TextToFloat(settings.variableRatioText);
    return values;
}

namespace {

std::optional<Refusal>
FirstFailure(int32_t population,
             std::initializer_list<std::pair<SettingField, std::function<void()>>> reads) {
    for (const auto& [field, read] : reads) {
        try {
            read();
        } catch (const ConversionError& error) {
            return Refusal{population, field, error.what()};
        }
    }
    return std::nullopt;
}

// Texts of one sheet that are not numbers, in the order of its fields.
std::optional<Refusal> CheckPopulationTexts(const PopulationSettings& s, int32_t population) {
    const bool tournament = s.selectionMethod == SelectionMethod::Tournament;
    return FirstFailure(
        population, {{SettingField::PopulationSize, [&] { TextToInteger(s.populationSizeText); }},
                     {SettingField::Generations, [&] { TextToInteger(s.generationsText); }},
                     {SettingField::TournamentSize,
                      [&] {
                          if (tournament)
                              TextToInteger(s.tournamentSizeText);
                      }},
                     {SettingField::Crossover, [&] { TextToFloat(s.crossoverText); }},
                     {SettingField::Mutation, [&] { TextToFloat(s.mutationText); }},
                     {SettingField::OnePoint, [&] { TextToFloat(s.onePointText); }},
                     {SettingField::Elite,
                      [&] {
                          if (s.eliteChecked)
                              TextToExtended(s.eliteText);
                      }},
                     {SettingField::MaxLength, [&] { TextToInteger(s.maxLengthText); }},
                     {SettingField::MaxInitialDepth, [&] { TextToInteger(s.maxInitialDepthText); }},
                     {SettingField::FunctionRatio, [&] { TextToFloat(s.functionRatioText); }},
                     {SettingField::VariableRatio, [&] { TextToFloat(s.variableRatioText); }}});
}

// Texts of the problem panel that are not numbers.
std::optional<Refusal> CheckProblemTexts(const ProblemSettings& s) {
    return FirstFailure(-1,
                        {{SettingField::ConstantCount, [&] { TextToInteger(s.constantCountText); }},
                         {SettingField::RangeLower, [&] { TextToFloat(s.rangeLowerText); }},
                         {SettingField::RangeUpper, [&] { TextToFloat(s.rangeUpperText); }}});
}

// What one individual takes: its node array, its record and the reference
// to it, each allocation with the allocator's own header.
long double IndividualMemory(int32_t maxLength) {
    constexpr long double kAllocationHeader = 16;
    return static_cast<long double>(maxLength) * sizeof(int32_t) + sizeof(Individual) +
           sizeof(std::unique_ptr<Individual>) + 2 * kAllocationHeader;
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
        if (v.populationSize < 2)
            return refuse(SettingField::PopulationSize, "Population size must be at least 2.");
        if (v.generations < 0)
            return refuse(SettingField::Generations, "Generation must not be negative.");
        if (v.selectionMethod == SelectionMethod::Tournament && v.tournamentSize < 1)
            return refuse(SettingField::TournamentSize, "Tournament size must be at least 1.");
        // Every draw of a tournament costs; beyond the population size they
        // would take minutes a generation for no purpose.
        if (v.selectionMethod == SelectionMethod::Tournament && v.tournamentSize > v.populationSize)
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

ProblemValues ReadProblemValues(const ProblemSettings& settings) {
    ProblemValues values;
    values.functionChecked = settings.functionChecked;
    values.constantCount = TextToInteger(settings.constantCountText);
    values.constantLower = TextToFloat(settings.rangeLowerText);
    values.constantUpper = TextToFloat(settings.rangeUpperText);
    values.horizontalName = settings.horizontalName;
    values.verticalName = settings.verticalName;
    values.training = *settings.training;
    values.useTrainingData = settings.useTrainingData;
    if (!settings.useTrainingData)
        values.validation = *settings.validation;
    return values;
}

} // namespace

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
    if (auto refusal = CheckProblemTexts(problem))
        return *refusal;
    if (TextToExtended(problem.rangeLowerText) >= TextToExtended(problem.rangeUpperText))
        return Refusal{-1, SettingField::Range, kRangeMessage};
    for (int32_t i = 0; i < count; ++i)
        if (auto refusal = CheckPopulationTexts(populations[i], i))
            return *refusal;

    CheckedStart start;
    start.settings.problem = ReadProblemValues(problem);
    for (const PopulationSettings& population : populations)
        start.settings.populations.push_back(ReadPopulationValues(population));
    if (auto refusal = CheckRunLimits(start.settings, physicalMemory))
        return *refusal;
    start.plusChecked = EnsureOneFunction(start.settings.problem.functionChecked);
    return start;
}

uint64_t PhysicalMemoryBytes() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0)
        return UINT64_MAX;
    return static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize);
}

} // namespace quba
