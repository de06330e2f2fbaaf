// Population settings as the settings sheets hold them, the conversions of
// their texts, the derived-label display format and the checks made before a
// run is built.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

struct ProblemSettings;

// A text that does not hold a number of the asked kind.
class ConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "[+-]digits" within 32 bits.
int32_t TextToInteger(const std::string& text);
// C's decimal form to the nearest 32-bit float: a sign, digits with a point
// that has a digit on at least one side ("5", "5.", ".5"), then an exponent
// "e[+-]digits".
float TextToFloat(const std::string& text);
// The same grammar read in extended precision.
long double TextToExtended(const std::string& text);
// Whether `text` is a decimal number of that grammar.
bool IsDecimalText(const std::string& text);
// Length of the decimal number that `text` starts with, 0 when none; an
// exponent mark without digits ends the number before it.
size_t DecimalPrefixLength(std::string_view text);
// Whether `text` is no decimal yet but the start of one that typing may
// complete: "-", ".", "-.", "1e", "2.5E-". The empty text is not.
bool IsIncompleteDecimal(std::string_view text);

// The first two digits of a magnitude's exact decimal expansion and the power
// of ten of the first: 0.0347 gives {3, 4, -2}. The value must be a nonzero
// multiple of 2^-149 (any float, or a sum of a few floats in extended).
struct LeadingDigits {
    int first = 0;
    int next = 0;
    int exponent = 0;
};
LeadingDigits LeadingDigitsOf(long double magnitude);

// One population's settings sheet, texts as typed.
struct PopulationSettings {
    std::string populationSizeText = "1000";
    std::string generationsText = "50";
    int32_t selectionMethod = 0; // 0 proportional, 1 tournament, 2 random
    std::string tournamentSizeText = "6";
    std::string crossoverText = "0.70";
    std::string mutationText = "0.20";
    std::string onePointText = "0.00";
    bool eliteChecked = true;
    std::string eliteText = "10";
    std::string maxLengthText = "100";
    std::string maxInitialDepthText = "5";
    std::string functionRatioText = "0.50";
    std::string variableRatioText = "0.20";
};

// The converted values that a population is created from.
struct PopulationValues {
    int32_t populationSize = 0;
    int32_t generations = 0;
    int32_t selectionMethod = 0;
    int32_t tournamentSize = 0; // read only with tournament selection
    float crossoverRate = 0;
    float mutationRate = 0;
    float onePointMutationRate = 0;
    float eliteFraction = 0;
    int32_t maxLength = 0;
    int32_t maxInitialDepth = 0;
    float functionRatio = 0;
    float variableRatio = 0;
};

// Converts a sheet in the order of its fields; throws ConversionError.
PopulationValues ReadPopulationValues(const PopulationSettings& settings);

// The display format of the derived Reproduction and Constant labels: rounded
// half up to one significant digit (or to four decimals when that keeps fewer
// digits), printed with four decimals.
std::string DerivedLabelText(long double value);
// 1 - crossover - mutation - one-point, in the label format.
std::string ReproductionLabelText(const PopulationSettings& settings);
// 1 - function - variable, in the label format.
std::string ConstantLabelText(const PopulationSettings& settings);
// Whether a derived label's text reads as a number below 0.
bool LabelIsNegative(const std::string& labelText);

inline constexpr const char* kRateSumMessage = "The sum of operation rate must be 1.0";
inline constexpr const char* kNodeRatioMessage = "The sum of initial node ratio must be 1.0";
inline constexpr const char* kRangeMessage = "Please set the range of constants proparly";
inline constexpr const char* kMemoryMessage = "Memory Allocation Error";
inline constexpr const char* kRunMemoryMessage = "Memory Allocation Error!!!!";

// The setting that a refusal is about, so that a front end can point at it.
enum class SettingField {
    PopulationSize,
    Generations,
    TournamentSize,
    Crossover,
    Mutation,
    OnePoint,
    Elite,
    MaxLength,
    MaxInitialDepth,
    FunctionRatio,
    VariableRatio,
    ConstantCount,
    RangeLower,
    RangeUpper,
    Memory,
};

// Why a run cannot be built from the settings. `population` is the 0-based
// sheet, or -1 for the problem panel.
struct Refusal {
    int32_t population = -1;
    SettingField field = SettingField::PopulationSize;
    std::string message;
};

// Texts of one sheet that are not numbers, in the order of its fields.
std::optional<Refusal> CheckPopulationTexts(const PopulationSettings& settings, int32_t population);
// Texts of the problem panel that are not numbers.
std::optional<Refusal> CheckProblemTexts(const ProblemSettings& settings);

// Settings the engine cannot run with: population size below 2, tournament
// size below 1 with tournament selection, maximum length below 70, fewer than
// 1 constant or more than physical memory holds, a function ratio of 1 or
// more, negative generations, and populations that would not fit into
// physical memory. Texts must convert.
std::optional<Refusal> CheckRunLimits(const ProblemSettings& problem,
                                      const PopulationSettings* populations,
                                      int32_t populationCount, uint64_t physicalMemory);

// Physical memory of the machine in bytes.
uint64_t PhysicalMemoryBytes();
