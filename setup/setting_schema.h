// Every setting of a run that the user types or picks, declared once: its
// id, quba-cli's option, help and value name, its first text, its kind, the
// desktop program's control and where its typed value lives. quba-cli's
// option table, Start's checks, the desktop program's field lookups and the
// run record iterate this table.
//
// A new setting is one row here and its use: a field in the typed values
// (engine/run_settings.h) and the code that reads it.
#pragma once

#include "engine/run_settings.h"

#include <array>
#include <climits>
#include <cstdint>
#include <span>
#include <string>
#include <variant>

namespace quba {

// What a setting is, and what a refusal of Start is about.
enum class SettingField {
    // One value per population.
    PopulationSize,
    Generations,
    Selection,
    TournamentSize,
    Crossover,
    Mutation,
    OnePoint,
    Elite,
    MaxLength,
    MaxInitialDepth,
    FunctionRatio,
    VariableRatio,
    // The problem panel.
    ConstantCount,
    RangeLower,
    RangeUpper,
    // The search, for every population.
    LinearScaling,
    TuneConstants,
    TunePrograms,
    // What Start refuses besides a setting's value.
    TrainingData,
    ValidationData,
    RateSum,      // the Reproduction label is negative
    NodeRatioSum, // the Constant label is negative
    Range,        // the lower bound is not below the upper one
    Memory,
};

enum class SettingScope : uint8_t {
    Population, // one value for each population
    Problem,    // one for the run, on the problem panel
    Search,     // one for the run, in the desktop program's Search menu
};

enum class SettingKind : uint8_t {
    Integer, // "[+-]digits" within 32 bits
    Decimal, // C's decimal form, to the nearest 32-bit float
    Percent, // a decimal percentage, held as a share; "off" when not ticked
    Choice,  // one of `choices`
    Switch,  // on or off: an option without a value, a check item
};

// Where a setting's typed value lives.
using SettingPlace =
    std::variant<int32_t PopulationValues::*, float PopulationValues::*,
                 SelectionMethod PopulationValues::*, int32_t ProblemValues::*,
                 float ProblemValues::*, bool SearchValues::*, int32_t SearchValues::*>;

struct SettingRow {
    SettingField field;
    SettingScope scope;
    const char* option;      // quba-cli's option; nullptr when another option holds it
    const char* help;        // quba-cli's help text
    const char* defaultText; // the first text of the desktop program's field
    SettingKind kind;
    SettingPlace place;
    // The desktop program's control: one per population sheet, No1 to No4,
    // or the problem panel's or the check item's in the first place.
    std::array<const char*, 4> controls;
    std::span<const char* const> choices = {};
    // The values quba-cli takes for an integer beyond the original settings
    // (those take any and Start judges them).
    int32_t lowest = INT32_MIN;
    int32_t highest = INT32_MAX;
    // A search setting's check item: its caption, and the text its value
    // takes while ticked (0 while not).
    const char* caption = nullptr;
    const char* tickedText = nullptr;
};

inline constexpr size_t kPopulationSettingCount = 12;

inline constexpr std::array<const char*, 3> kSelectionNames = {"proportional", "tournament",
                                                               "random"};

std::span<const SettingRow> SettingSchema();
// The rows of one scope, in table order.
std::span<const SettingRow> PopulationSchema();
const SettingRow& RowOf(SettingField field);
// The position of a population setting among PopulationSchema().
size_t PopulationIndex(SettingField field);

// The typed value of a setting's text, widened: an integer, the nearest
// float, a percentage times 0.01 in extended, or a choice's index. Throws
// ConversionError with the platform's message when the text holds none.
long double ParseSettingText(const SettingRow& setting, const std::string& text);

// The typed values a setting's place may be in.
struct SettingTarget {
    PopulationValues* population = nullptr;
    ProblemValues* problem = nullptr;
    SearchValues* search = nullptr;
};
struct SettingSource {
    const PopulationValues* population = nullptr;
    const ProblemValues* problem = nullptr;
    const SearchValues* search = nullptr;
};

// Writes a typed value into its place.
void Store(const SettingRow& setting, const SettingTarget& target, long double value);
// A typed value read back from its place, widened.
long double Load(const SettingRow& setting, const SettingSource& source);

} // namespace quba
