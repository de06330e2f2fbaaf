#include "cli/parse_arguments.h"

#include "cli/option_table.h"
#include "cli/output_file.h"
#include "cli/value_parsers.h"
#include "setup/messages.h"

#include <QCommandLineParser>
#include <QFile>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace quba {

namespace {

// Whether an option's value is a file name, to be taken as raw bytes.
bool NamesFiles(const OptionRow& entry) {
    return entry.valueName != nullptr && std::string_view(entry.valueName).ends_with("FILE");
}

// The raw bytes of every file name on the command line, by option, in the
// order given: "--name value" and "--name=value", as the parser reads them.
std::map<std::string, std::vector<std::string>> RawFileNames(const std::vector<std::string>& raw) {
    std::map<std::string, std::vector<std::string>> names;
    for (size_t i = 1; i < raw.size(); ++i) {
        const std::string& argument = raw[i];
        if (argument == "--")
            break;
        if (argument.rfind("--", 0) != 0)
            continue;
        const size_t equals = argument.find('=');
        const std::string name =
            argument.substr(2, equals == std::string::npos ? equals : equals - 2);
        const OptionRow* entry = FindOptionIfAny(name);
        if (entry == nullptr || entry->valueName == nullptr)
            continue;
        std::string value;
        if (equals != std::string::npos)
            value = argument.substr(equals + 1);
        else if (i + 1 < raw.size())
            value = raw[++i];
        if (NamesFiles(*entry))
            names[name].push_back(std::move(value));
    }
    return names;
}

class OptionReader {
public:
    OptionReader(const QCommandLineParser& parser, const std::vector<std::string>& raw)
        : parser_(parser), rawFileNames_(RawFileNames(raw)) {}

    [[nodiscard]] bool IsSet(const char* name) const {
        return parser_.isSet(QString::fromUtf8(name));
    }
    [[nodiscard]] std::string Text(const char* name) const {
        return OptionValue(parser_, name).toStdString();
    }
    // The bytes of the file names an option was given, in order.
    [[nodiscard]] std::vector<std::string> FileNames(const char* name) const {
        const QStringList values = parser_.values(QString::fromUtf8(name));
        const auto raw = rawFileNames_.find(name);
        std::vector<std::string> names;
        for (qsizetype i = 0; i < values.size(); ++i) {
            // The raw bytes where they are what the parser read, else the
            // parser's text in the local encoding.
            const bool matches = raw != rawFileNames_.end() &&
                                 static_cast<qsizetype>(raw->second.size()) == values.size() &&
                                 QString::fromLocal8Bit(raw->second[i]) == values[i];
            names.push_back(matches ? raw->second[i] : QFile::encodeName(values[i]).toStdString());
        }
        return names;
    }
    // The file name of an option given once (the last one counts).
    [[nodiscard]] std::string FileName(const char* name) const {
        const std::vector<std::string> names = FileNames(name);
        return names.empty() ? std::string() : names.back();
    }

private:
    const QCommandLineParser& parser_;
    std::map<std::string, std::vector<std::string>> rawFileNames_;
};

// The options that name one grid's source, one of which it takes.
struct SourceOptions {
    const char* pattern;
    const char* data;
    const char* image;
    const char* size;
};

GridSource ReadGridSource(const OptionReader& options, const SourceOptions& names, PictureFit fit) {
    // Each source after the first given one is refused, naming the first.
    const char* given = nullptr;
    for (const char* name : {names.pattern, names.data, names.image}) {
        if (!options.IsSet(name))
            continue;
        if (given != nullptr)
            throw OptionError(name, "cannot be combined with --" + std::string(given));
        given = name;
    }
    GridSource source;
    source.size = IntegerInRange(names.size, options.Text(names.size), DataGrid::kMinSize,
                                 DataGrid::kLargestSize);
    source.fit = fit;
    if (options.IsSet(names.pattern))
        source.patternIndex = PatternIndexOf(names.pattern, options.Text(names.pattern));
    if (options.IsSet(names.data))
        source.dataFile = InputFileName(names.data, options.FileName(names.data));
    if (options.IsSet(names.image))
        source.imageFile = InputFileName(names.image, options.FileName(names.image));
    return source;
}

void ReadGrids(const OptionReader& options, CliConfig& config) {
    const PictureFit fit = PictureFitOf(Name(Cli::ImageFit), options.Text(Name(Cli::ImageFit)));
    config.training = ReadGridSource(
        options, {Name(Cli::Pattern), Name(Cli::Data), Name(Cli::Image), Name(Cli::Size)}, fit);
    config.validation = ReadGridSource(options,
                                       {Name(Cli::ValidationPattern), Name(Cli::ValidationData),
                                        Name(Cli::ValidationImage), Name(Cli::ValidationSize)},
                                       fit);
    if (options.IsSet(Name(Cli::Noise)))
        config.noise = DecimalValue(Name(Cli::Noise), options.Text(Name(Cli::Noise)));
    if (options.IsSet(Name(Cli::ValidationNoise))) {
        if (!config.validation.Given())
            throw OptionError(
                Name(Cli::ValidationNoise),
                "needs a validation grid of its own (" + Dashed(Cli::ValidationPattern) + ", " +
                    Dashed(Cli::ValidationData) + " or " + Dashed(Cli::ValidationImage) + ")");
        config.validationNoise =
            DecimalValue(Name(Cli::ValidationNoise), options.Text(Name(Cli::ValidationNoise)));
    }
    if (!config.training.Given())
        throw OptionError(std::string(Name(Cli::Pattern)) + "/" + Dashed(Cli::Data) + "/" +
                              Dashed(Cli::Image),
                          kNoTrainingDataMessage);
    if (options.IsSet(Name(Cli::TrainSize))) {
        if (config.training.imageFile.empty())
            throw OptionError(Name(Cli::TrainSize),
                              "applies to a picture: give " + Dashed(Cli::Image));
        if (config.noise)
            throw OptionError(Name(Cli::TrainSize),
                              "cannot be combined with " + Dashed(Cli::Noise));
        config.training.trainSize =
            IntegerInRange(Name(Cli::TrainSize), options.Text(Name(Cli::TrainSize)),
                           DataGrid::kMinSize, config.training.size);
    }
}

// The settings of the schema that quba-cli takes as options: one value, or
// one per population; each text parsed once into its typed value.
void ReadSchemaOptions(const OptionReader& options, CliConfig& config) {
    RunSettings& settings = config.settings;
    const auto count = static_cast<int32_t>(settings.populations.size());
    for (const SettingRow& setting : SettingSchema()) {
        if (setting.option == nullptr)
            continue;
        if (setting.kind == SettingKind::Switch) {
            Store(setting, {.search = &settings.search}, options.IsSet(setting.option) ? 1 : 0);
            continue;
        }
        const std::string text = options.Text(setting.option);
        if (setting.scope != SettingScope::Population) {
            Store(setting, {.problem = &settings.problem, .search = &settings.search},
                  SettingValue(setting, text));
            continue;
        }
        const auto items = PerPopulationItems(setting.option, text, count);
        for (int32_t i = 0; i < count; ++i)
            Store(setting, {.population = &settings.populations[i]},
                  SettingValue(setting, items[i]));
    }
}

void ReadProblem(const OptionReader& options, CliConfig& config) {
    ProblemValues& problem = config.settings.problem;
    problem.functionChecked =
        FunctionSetOf(Name(Cli::Functions), options.Text(Name(Cli::Functions)));
    const RangeValues range = RangeOf(Name(Cli::Range), options.Text(Name(Cli::Range)));
    problem.constantLower = range.lower;
    problem.constantUpper = range.upper;
    problem.horizontalName = options.Text(Name(Cli::XName));
    problem.verticalName = options.Text(Name(Cli::YName));
    config.outputName = options.Text(Name(Cli::OutputName));
}

void ReadPopulations(const OptionReader& options, CliConfig& config) {
    const int32_t count =
        IntegerInRange(Name(Cli::Populations), options.Text(Name(Cli::Populations)), 1, 4);
    config.settings.populations.assign(static_cast<size_t>(count), PopulationValues{});
    ReadSchemaOptions(options, config);
}

void ReadThreads(const OptionReader& options, CliConfig& config) {
    if (options.IsSet(Name(Cli::Threads)))
        config.settings.evaluation.threads =
            IntegerInRange(Name(Cli::Threads), options.Text(Name(Cli::Threads)), 1, 1024);
}

void ReadEvaluation(const OptionReader& options, CliConfig& config) {
    EvaluationOptions& evaluation = config.settings.evaluation;
    evaluation.evaluator = EvaluatorOf(Name(Cli::Evaluator), options.Text(Name(Cli::Evaluator)));
    if (ArithmeticIsFast(Name(Cli::Arithmetic), options.Text(Name(Cli::Arithmetic)))) {
        if (options.IsSet(Name(Cli::Evaluator)))
            throw OptionError(Name(Cli::Evaluator),
                              "chooses between the exact arithmetic's evaluators; " +
                                  Dashed(Cli::Arithmetic) + " fast has its own");
        evaluation.evaluator = EvaluatorKind::Fast;
    }
    config.settings.keepFronts = !options.IsSet(Name(Cli::NoFront));
    ReadThreads(options, config);
}

void ReadFormulaOutputs(const OptionReader& options, CliConfig& config) {
    for (const std::string& text : options.FileNames(Name(Cli::Export))) {
        config.exports.push_back(ExportTargetOf(Name(Cli::Export), text));
        if (config.exports.back().front && !config.settings.keepFronts)
            throw OptionError(Name(Cli::Export),
                              "the fronts are not kept with " + Dashed(Cli::NoFront) + ": " + text);
    }
    if (options.IsSet(Name(Cli::Render)))
        config.renderPath = OutputFileName(Name(Cli::Render), options.FileName(Name(Cli::Render)));
    config.renderSize =
        IntegerInRange(Name(Cli::RenderSize), options.Text(Name(Cli::RenderSize)), 1, 8192);
    config.renderStyle =
        RedrawStyleOf(Name(Cli::RenderStyle), options.Text(Name(Cli::RenderStyle)));
    if (options.IsSet(Name(Cli::SaveOutput)))
        config.saveOutputPath =
            OutputFileName(Name(Cli::SaveOutput), options.FileName(Name(Cli::SaveOutput)));
    if (options.IsSet(Name(Cli::SaveFormula)))
        config.saveFormulaPath =
            OutputFileName(Name(Cli::SaveFormula), options.FileName(Name(Cli::SaveFormula)));
    if (options.IsSet(Name(Cli::Pick))) {
        if (config.renderPath.empty() && config.saveOutputPath.empty() &&
            config.saveFormulaPath.empty())
            throw OptionError(Name(Cli::Pick), "chooses the program of " + Dashed(Cli::Render) +
                                                   ", " + Dashed(Cli::SaveOutput) + " and " +
                                                   Dashed(Cli::SaveFormula) + "; give one of them");
        config.pick = IntegerInRange(Name(Cli::Pick), options.Text(Name(Cli::Pick)), 1,
                                     config.PopulationCount()) -
                      1;
    }
}

// Two outputs naming one file are refused; one to standard output takes it.
void CheckOutputs(CliConfig& config) {
    const std::vector<NamedOutput> outputs = config.Outputs();
    const std::string clash = OutputClash(outputs);
    if (!clash.empty())
        throw OptionError(clash);
    config.standardOutputTaken =
        std::any_of(outputs.begin(), outputs.end(),
                    [](const NamedOutput& output) { return IsStandardOutput(output.path); });
}

void ReadOutputs(const OptionReader& options, CliConfig& config) {
    if (options.IsSet(Name(Cli::Seed)))
        config.seed = SeedValue(Name(Cli::Seed), options.Text(Name(Cli::Seed)));
    if (options.IsSet(Name(Cli::Json)))
        config.jsonPath = OutputFileName(Name(Cli::Json), options.FileName(Name(Cli::Json)));
    if (options.IsSet(Name(Cli::BestImage)))
        config.bestImagePath =
            OutputFileName(Name(Cli::BestImage), options.FileName(Name(Cli::BestImage)));
    config.imageSize =
        IntegerInRange(Name(Cli::ImageSize), options.Text(Name(Cli::ImageSize)), 1, 4096);
    if (options.IsSet(Name(Cli::SaveTraining)))
        config.saveTrainingPath =
            OutputFileName(Name(Cli::SaveTraining), options.FileName(Name(Cli::SaveTraining)));
    ReadFormulaOutputs(options, config);
    CheckOutputs(config);
    config.quiet = options.IsSet(Name(Cli::Quiet));
    config.timing = options.IsSet(Name(Cli::Timing));
}

// Whether an option that is auto or off is auto.
bool IsAuto(const OptionReader& options, Cli option) {
    const std::string mode = options.Text(Name(option));
    if (mode != "off" && mode != "auto")
        throw OptionError(Name(option), "must be auto or off: " + mode);
    return mode == "auto";
}

// Tiles and stages need a goal to choose the file by.
void ReadCodec(const OptionReader& options, CliConfig& config) {
    CodecSettings& codec = config.codec;
    if (options.IsSet(Name(Cli::Budget))) {
        if (options.IsSet(Name(Cli::TargetPsnr)))
            throw OptionError(Name(Cli::TargetPsnr),
                              "cannot be combined with " + Dashed(Cli::Budget));
        codec.budget = IntegerInRange(Name(Cli::Budget), options.Text(Name(Cli::Budget)), 1,
                                      std::numeric_limits<int32_t>::max());
    }
    if (options.IsSet(Name(Cli::TargetPsnr))) {
        const std::string text = options.Text(Name(Cli::TargetPsnr));
        const float target = DecimalValue(Name(Cli::TargetPsnr), text);
        if (!(target > 0) || !std::isfinite(target))
            throw OptionError(Name(Cli::TargetPsnr), "must be above 0 dB: " + text);
        codec.targetPsnr = target;
    }
    const std::string tiles = options.Text(Name(Cli::Tiles));
    if (tiles != "off" && tiles != "auto")
        throw OptionError(Name(Cli::Tiles), "must be off or auto: " + tiles);
    codec.tiles = tiles == "auto";
    if (options.IsSet(Name(Cli::MinBlock))) {
        if (!codec.tiles)
            throw OptionError(Name(Cli::MinBlock), "applies to " + Dashed(Cli::Tiles) + " auto");
        codec.minBlock = IntegerInRange(Name(Cli::MinBlock), options.Text(Name(Cli::MinBlock)), 2,
                                        DataGrid::kLargestSize / 2);
    }
    codec.samples = IsAuto(options, Cli::SampleGrid);
    codec.cosines = IsAuto(options, Cli::CosineSeries);
    codec.stages =
        IntegerInRange(Name(Cli::Stages), options.Text(Name(Cli::Stages)), 1, kMostStages);
    if ((codec.tiles || codec.stages > 1) && !codec.Chooses())
        throw OptionError(codec.tiles ? Name(Cli::Tiles) : Name(Cli::Stages),
                          "needs " + Dashed(Cli::Budget) + " or " + Dashed(Cli::TargetPsnr) +
                              ", by which the file is chosen");
    if (config.training.trainSize && (codec.tiles || codec.stages > 1))
        throw OptionError(Name(Cli::TrainSize), "cannot be combined with " + Dashed(Cli::Tiles) +
                                                    " or " + Dashed(Cli::Stages) +
                                                    ": blocks are evolved at full size");
    if (codec.Chooses() && config.pick)
        throw OptionError(Name(Cli::Pick), "the codec chooses from every population's fronts");
}

// With --open-formula quba-cli runs nothing: only the options that say
// what to make of the file's formulas apply.
void ReadOpenFormula(const OptionReader& options, CliConfig& config) {
    constexpr std::array kTaken = {Cli::OpenFormula, Cli::Render,     Cli::RenderSize,
                                   Cli::RenderStyle, Cli::SaveOutput, Cli::Export,
                                   Cli::OutputName,  Cli::Threads,    Cli::Quiet};
    for (const OptionRow& entry : OptionTable()) {
        const bool taken = std::any_of(kTaken.begin(), kTaken.end(), [&](Cli option) {
            return std::string_view(Name(option)) == entry.name;
        });
        if (!taken && options.IsSet(entry.name))
            throw OptionError(entry.name, "does not apply to " + Dashed(Cli::OpenFormula) +
                                              ", which runs nothing");
    }
    config.openFormulaPath =
        InputFileName(Name(Cli::OpenFormula), options.FileName(Name(Cli::OpenFormula)));
    config.outputName = options.Text(Name(Cli::OutputName));
    ReadThreads(options, config);
    ReadFormulaOutputs(options, config);
    for (const ExportTarget& target : config.exports)
        if (target.front)
            throw OptionError(Name(Cli::Export), "a formula file has no fronts: " + target.path);
    CheckOutputs(config);
    config.quiet = options.IsSet(Name(Cli::Quiet));
}

ParseOutcome Refused(const std::string& line) {
    ParseOutcome outcome;
    outcome.action = ParseOutcome::Action::Refuse;
    outcome.text = line;
    return outcome;
}

} // namespace

ParseOutcome ParseArguments(const QStringList& arguments, const std::vector<std::string>& raw) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Runs one evolution of QUBA for Image Compression headless: the best "
                       "formulas go to standard output, the progress to standard error.\n"
                       "A LIST takes one value for every population, or one per population, "
                       "comma-separated."));
    AddOptions(parser);
    if (!parser.parse(arguments))
        return Refused(parser.errorText().toStdString());

    ParseOutcome outcome;
    if (parser.isSet(QString::fromUtf8(Name(Cli::Help)))) {
        outcome.action = ParseOutcome::Action::ShowHelp;
        outcome.text = parser.helpText().toStdString();
        return outcome;
    }
    if (parser.isSet(QString::fromUtf8(Name(Cli::Version)))) {
        outcome.action = ParseOutcome::Action::ShowVersion;
        outcome.text = std::string("quba-cli ") + kVersion + "\n";
        return outcome;
    }
    if (!parser.positionalArguments().isEmpty())
        return Refused("unexpected argument '" +
                       parser.positionalArguments().first().toStdString() + "'");
    try {
        const OptionReader options(parser, raw);
        if (options.IsSet(Name(Cli::OpenFormula))) {
            ReadOpenFormula(options, outcome.config);
            return outcome;
        }
        ReadGrids(options, outcome.config);
        ReadProblem(options, outcome.config);
        ReadPopulations(options, outcome.config);
        ReadEvaluation(options, outcome.config);
        ReadOutputs(options, outcome.config);
        ReadCodec(options, outcome.config);
    } catch (const OptionError& error) {
        return Refused(error.what());
    }
    return outcome;
}

} // namespace quba
