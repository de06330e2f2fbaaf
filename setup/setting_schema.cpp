#include "setup/setting_schema.h"

#include "core/decimal.h"

#include <stdexcept>

namespace quba {

namespace {

using P = PopulationValues;

constexpr SettingRow Row(SettingField field, const char* option, const char* help,
                         const char* defaultText, SettingKind kind, SettingPlace place,
                         std::array<const char*, 4> controls) {
    return {field, SettingScope::Population, option, help, defaultText, kind, place, controls};
}

const std::array<SettingRow, 18> kSchema = {{
    Row(SettingField::PopulationSize, "population-size", "Programs per population.", "1000",
        SettingKind::Integer, &P::populationSize, {"Edit1", "Edit18", "Edit30", "Edit42"}),
    Row(SettingField::Generations, "generations", "Generations per population.", "50",
        SettingKind::Integer, &P::generations, {"Edit2", "Edit19", "Edit31", "Edit43"}),
    {SettingField::Selection,
     SettingScope::Population,
     "selection",
     "Selection method: proportional, tournament or random.",
     "proportional",
     SettingKind::Choice,
     &P::selectionMethod,
     {"RadioGroup1", "RadioGroup2", "RadioGroup3", "RadioGroup4"},
     kSelectionNames},
    Row(SettingField::TournamentSize, "tournament-size",
        "Candidates per tournament (tournament selection).", "6", SettingKind::Integer,
        &P::tournamentSize, {"Edit3", "Edit20", "Edit32", "Edit44"}),
    Row(SettingField::Crossover, "crossover", "Crossover rate.", "0.70", SettingKind::Decimal,
        &P::crossoverRate, {"Edit4", "Edit24", "Edit36", "Edit48"}),
    Row(SettingField::Mutation, "mutation", "Mutation rate.", "0.20", SettingKind::Decimal,
        &P::mutationRate, {"Edit5", "Edit25", "Edit37", "Edit49"}),
    Row(SettingField::OnePoint, "one-point", "One-point mutation rate.", "0.00",
        SettingKind::Decimal, &P::onePointMutationRate, {"Edit6", "Edit26", "Edit38", "Edit50"}),
    Row(SettingField::Elite, "elite", "Elite share in percent, or off.", "10", SettingKind::Percent,
        &P::eliteFraction, {"Edit7", "Edit21", "Edit33", "Edit45"}),
    Row(SettingField::MaxLength, "max-length", "Maximum program length.", "100",
        SettingKind::Integer, &P::maxLength, {"Edit8", "Edit22", "Edit34", "Edit46"}),
    Row(SettingField::MaxInitialDepth, "max-depth", "Maximum initial depth.", "5",
        SettingKind::Integer, &P::maxInitialDepth, {"Edit9", "Edit23", "Edit35", "Edit47"}),
    Row(SettingField::FunctionRatio, "function-ratio", "Initial ratio of function nodes.", "0.50",
        SettingKind::Decimal, &P::functionRatio, {"Edit13", "Edit27", "Edit39", "Edit51"}),
    Row(SettingField::VariableRatio, "variable-ratio", "Initial ratio of variable nodes.", "0.20",
        SettingKind::Decimal, &P::variableRatio, {"Edit14", "Edit28", "Edit40", "Edit52"}),
    {SettingField::ConstantCount,
     SettingScope::Problem,
     "constants",
     "Number of constants.",
     "1000",
     SettingKind::Integer,
     &ProblemValues::constantCount,
     {"Edit12"}},
    // Both bounds are quba-cli's --range LO,HI.
    {SettingField::RangeLower,
     SettingScope::Problem,
     nullptr,
     "",
     "-1",
     SettingKind::Decimal,
     &ProblemValues::constantLower,
     {"Edit10"}},
    {SettingField::RangeUpper,
     SettingScope::Problem,
     nullptr,
     "",
     "1",
     SettingKind::Decimal,
     &ProblemValues::constantUpper,
     {"Edit11"}},
    {SettingField::LinearScaling,
     SettingScope::Search,
     "linear-scaling",
     "Score every program as a + b f, a and b fitted by least squares over the training cases; "
     "the fit is part of the formula.",
     "0",
     SettingKind::Switch,
     &SearchValues::linearScaling,
     {"LinearScaling"},
     {},
     0,
     1,
     "Linear scaling",
     "1"},
    {SettingField::TuneConstants,
     SettingScope::Search,
     "tune-constants",
     "Levenberg-Marquardt iterations on the constants of the best programs after every "
     "generation, 0 to 1000 (0: none).",
     "0",
     SettingKind::Integer,
     &SearchValues::tuneIterations,
     {"TuneConstants"},
     {},
     0,
     1000,
     "Tune constants",
     "10"},
    {SettingField::TunePrograms,
     SettingScope::Search,
     "tune-programs",
     "How many of the best programs --tune-constants tunes after every generation, 0 to "
     "1000000 (0: as many as the elite, at least one).",
     "1",
     SettingKind::Integer,
     &SearchValues::tunePrograms,
     {nullptr},
     {},
     0,
     1000000},
}};

constexpr size_t kPopulationRows = kPopulationSettingCount;

} // namespace

std::span<const SettingRow> SettingSchema() {
    return kSchema;
}

std::span<const SettingRow> PopulationSchema() {
    return std::span(kSchema).first(kPopulationRows);
}

const SettingRow& RowOf(SettingField field) {
    for (const SettingRow& setting : kSchema)
        if (setting.field == field)
            return setting;
    throw std::logic_error("no setting of that field");
}

size_t PopulationIndex(SettingField field) {
    for (size_t i = 0; i < kPopulationRows; ++i)
        if (kSchema[i].field == field)
            return i;
    throw std::logic_error("no population setting of that field");
}

long double ParseSettingText(const SettingRow& setting, const std::string& text) {
    switch (setting.kind) {
    case SettingKind::Integer:
        return TextToInteger(text);
    case SettingKind::Decimal:
        return TextToFloat(text);
    case SettingKind::Percent:
        return TextToExtended(text) * 0.01L;
    case SettingKind::Switch:
        if (text == "0" || text == "1")
            return text == "1";
        break;
    case SettingKind::Choice:
        for (size_t i = 0; i < setting.choices.size(); ++i)
            if (text == setting.choices[i])
                return static_cast<long double>(i);
        break;
    }
    throw ConversionError("'" + text + "' is not one of the choices");
}

void Store(const SettingRow& setting, const SettingTarget& target, long double value) {
    std::visit(
        [&](auto place) {
            using Place = decltype(place);
            if constexpr (std::is_same_v<Place, int32_t PopulationValues::*>)
                target.population->*place = static_cast<int32_t>(value);
            else if constexpr (std::is_same_v<Place, float PopulationValues::*>)
                target.population->*place = static_cast<float>(value);
            else if constexpr (std::is_same_v<Place, SelectionMethod PopulationValues::*>)
                target.population->*place =
                    static_cast<SelectionMethod>(static_cast<int32_t>(value));
            else if constexpr (std::is_same_v<Place, int32_t ProblemValues::*>)
                target.problem->*place = static_cast<int32_t>(value);
            else if constexpr (std::is_same_v<Place, float ProblemValues::*>)
                target.problem->*place = static_cast<float>(value);
            else if constexpr (std::is_same_v<Place, bool SearchValues::*>)
                target.search->*place = value != 0;
            else
                target.search->*place = static_cast<int32_t>(value);
        },
        setting.place);
}

long double Load(const SettingRow& setting, const SettingSource& source) {
    return std::visit(
        [&](auto place) -> long double {
            using Place = decltype(place);
            if constexpr (std::is_same_v<Place, SelectionMethod PopulationValues::*>)
                return static_cast<int32_t>(source.population->*place);
            else if constexpr (std::is_same_v<Place, int32_t PopulationValues::*> ||
                               std::is_same_v<Place, float PopulationValues::*>)
                return static_cast<long double>(source.population->*place);
            else if constexpr (std::is_same_v<Place, int32_t ProblemValues::*> ||
                               std::is_same_v<Place, float ProblemValues::*>)
                return static_cast<long double>(source.problem->*place);
            else
                return static_cast<long double>(source.search->*place);
        },
        setting.place);
}

} // namespace quba
