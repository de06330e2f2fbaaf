// The one table of quba-cli's options: name, value, help and default.
#pragma once

#include <QString>

#include <optional>
#include <span>
#include <string>
#include <string_view>

class QCommandLineParser;

namespace quba {

// quba-cli's options besides the settings of the schema, each named once, in
// the option table; everything else refers to them by these.
enum class Cli {
    Pattern,
    Data,
    Image,
    ImageFit,
    Size,
    TrainSize,
    ValidationPattern,
    ValidationData,
    ValidationImage,
    ValidationSize,
    Noise,
    ValidationNoise,
    Functions,
    Range,
    XName,
    YName,
    OutputName,
    Populations,
    Seed,
    Threads,
    Arithmetic,
    Evaluator,
    Json,
    BestImage,
    ImageSize,
    SaveTraining,
    Export,
    Render,
    RenderSize,
    RenderStyle,
    SaveOutput,
    Pick,
    SaveFormula,
    OpenFormula,
    Budget,
    TargetPsnr,
    Tiles,
    MinBlock,
    Stages,
    SampleGrid,
    CosineSeries,
    NoFront,
    Quiet,
    Timing,
    Help,
    Version,
};

// The option's name as the command line spells it, without the dashes.
const char* Name(Cli option);
// "--" and the name, for messages.
std::string Dashed(Cli option);

struct OptionRow {
    const char* name;
    const char* valueName; // nullptr for a switch
    std::string help;
    std::optional<std::string> defaultValue;
    bool perPopulation;    // takes one value, or one per population
    const char* shortName; // nullptr when there is none
};

std::span<const OptionRow> OptionTable();
// The entry of `name`; the name must be in the table.
const OptionRow& FindOption(std::string_view name);
// The entry of `name`, or null when there is none.
const OptionRow* FindOptionIfAny(std::string_view name);

// Registers every option of the table, the defaults shown in the help text.
void AddOptions(QCommandLineParser& parser);
// The value given on the command line, or the table's default.
QString OptionValue(const QCommandLineParser& parser, const char* name);
QString OptionValue(const QCommandLineParser& parser, Cli option);

} // namespace quba
