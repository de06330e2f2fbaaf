// One reader per kind of option value. Each returns the value in the form the
// engine takes (texts stay texts, so that they convert exactly as the GUI's
// fields do) or throws OptionError naming the option and what it accepts.
#pragma once

#include "cli/cli_config.h"
#include "data/area_average.h"
#include "engine/primitives.h"
#include "engine/run_settings.h"
#include "setup/setting_schema.h"

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace quba {

// What() is the whole line to print: "--option: description".
class OptionError : public std::runtime_error {
public:
    OptionError(const std::string& option, const std::string& description)
        : std::runtime_error("--" + option + ": " + description) {}
    // A line that names its options itself.
    explicit OptionError(const std::string& line) : std::runtime_error(line) {}
};

int32_t IntegerInRange(const std::string& option, const std::string& text, int32_t lowest,
                       int32_t highest);
// C's decimal form within the 32-bit float range.
float DecimalValue(const std::string& option, const std::string& text);
uint32_t SeedValue(const std::string& option, const std::string& text);
// Index in the pattern list.
int32_t PatternIndexOf(const std::string& option, const std::string& text);
// The typed value of a setting of the schema, widened, as the desktop
// program's field converts the same text: an integer within 32 bits, the
// nearest float, a percentage times 0.01 ("off": 0), or a choice's index.
long double SettingValue(const SettingRow& setting, const std::string& text);

// "crop" or "stretch".
PictureFit PictureFitOf(const std::string& option, const std::string& text);

// "grey" or "map".
RedrawStyle RedrawStyleOf(const std::string& option, const std::string& text);

// "FORMAT:FILE", FORMAT one of the export formats, or one with "front-"
// before it, and FILE writable.
ExportTarget ExportTargetOf(const std::string& option, const std::string& text);

// "exact" (false) or "fast" (true).
bool ArithmeticIsFast(const std::string& option, const std::string& text);

// "batch" or "reference".
EvaluatorKind EvaluatorOf(const std::string& option, const std::string& text);

// Check states of the function list; an empty list checks nothing.
std::array<bool, kFunctionCount> FunctionSetOf(const std::string& option, const std::string& text);

// "LO,HI": the two bounds as floats; refused unless LO is below HI read in
// extended.
struct RangeValues {
    float lower = 0;
    float upper = 0;
};
RangeValues RangeOf(const std::string& option, const std::string& text);

// A file name to read from: not empty.
std::string InputFileName(const std::string& option, const std::string& text);
// A file name that can be written (see OutputProblem), or "-" for standard
// output.
std::string OutputFileName(const std::string& option, const std::string& text);

// One item for every population, or exactly `count` comma-separated items.
std::vector<std::string> PerPopulationItems(const std::string& option, const std::string& text,
                                            int32_t count);

} // namespace quba
