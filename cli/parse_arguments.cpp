#include "cli/parse_arguments.h"

#include "cli/option_table.h"
#include "cli/output_file.h"
#include "cli/value_parsers.h"
#include "setup/messages.h"

#include <QCommandLineParser>
#include <QFile>

#include <algorithm>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace quba {

namespace {

// Whether an option's value is a file name, to be taken as raw bytes.
bool NamesFiles(const OptionSpec& entry) {
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
        const OptionSpec* entry = FindOptionIfAny(name);
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
                                 raw->second.size() == values.size() &&
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
            throw OptionError(name, std::string("cannot be combined with --") + given);
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
    const PictureFit fit = PictureFitOf("image-fit", options.Text("image-fit"));
    config.training = ReadGridSource(options, {"pattern", "data", "image", "size"}, fit);
    config.validation = ReadGridSource(
        options, {"validation-pattern", "validation-data", "validation-image", "validation-size"},
        fit);
    if (options.IsSet("noise"))
        config.noise = DecimalValue("noise", options.Text("noise"));
    if (options.IsSet("validation-noise")) {
        if (!config.validation.Given())
            throw OptionError("validation-noise",
                              "needs a validation grid of its own (--validation-pattern, "
                              "--validation-data or --validation-image)");
        config.validationNoise = DecimalValue("validation-noise", options.Text("validation-noise"));
    }
    if (!config.training.Given())
        throw OptionError("pattern/--data/--image", kNoTrainingDataMessage);
}

// The settings of the schema that quba-cli takes as options: one value, or
// one per population; each text parsed once into its typed value.
void ReadSchemaOptions(const OptionReader& options, CliConfig& config) {
    RunSettings& settings = config.settings;
    const auto count = static_cast<int32_t>(settings.populations.size());
    for (const SettingSpec& spec : SettingSchema()) {
        if (spec.option == nullptr)
            continue;
        const std::string text = options.Text(spec.option);
        if (spec.scope != SettingScope::Population) {
            Store(spec, settings.populations[0], settings.problem, SettingValue(spec, text));
            continue;
        }
        const auto items = PerPopulationItems(spec.option, text, count);
        for (int32_t i = 0; i < count; ++i)
            Store(spec, settings.populations[i], settings.problem, SettingValue(spec, items[i]));
    }
}

void ReadProblem(const OptionReader& options, CliConfig& config) {
    ProblemValues& problem = config.settings.problem;
    problem.functionChecked = FunctionSetOf("functions", options.Text("functions"));
    const RangeValues range = RangeOf("range", options.Text("range"));
    problem.constantLower = range.lower;
    problem.constantUpper = range.upper;
    problem.horizontalName = options.Text("x-name");
    problem.verticalName = options.Text("y-name");
    config.outputName = options.Text("output-name");
}

void ReadPopulations(const OptionReader& options, CliConfig& config) {
    const int32_t count = IntegerInRange("populations", options.Text("populations"), 1, 4);
    config.settings.populations.assign(static_cast<size_t>(count), PopulationValues{});
    ReadSchemaOptions(options, config);
}

void ReadEvaluation(const OptionReader& options, CliConfig& config) {
    EvaluationOptions& evaluation = config.settings.evaluation;
    evaluation.evaluator = EvaluatorOf("evaluator", options.Text("evaluator"));
    if (ArithmeticIsFast("arithmetic", options.Text("arithmetic"))) {
        if (options.IsSet("evaluator"))
            throw OptionError("evaluator", "chooses between the exact arithmetic's evaluators; "
                                           "--arithmetic fast has its own");
        evaluation.evaluator = EvaluatorKind::Fast;
    }
    config.settings.keepFronts = !options.IsSet("no-front");
    if (options.IsSet("threads"))
        evaluation.threads = IntegerInRange("threads", options.Text("threads"), 1, 1024);
}

void ReadFormulaOutputs(const OptionReader& options, CliConfig& config) {
    for (const std::string& text : options.FileNames("export")) {
        config.exports.push_back(ExportTargetOf("export", text));
        if (config.exports.back().front && !config.settings.keepFronts)
            throw OptionError("export", "the fronts are not kept with --no-front: " + text);
    }
    if (options.IsSet("render"))
        config.renderPath = OutputFileName("render", options.FileName("render"));
    config.renderSize = IntegerInRange("render-size", options.Text("render-size"), 1, 8192);
    config.renderStyle = RedrawStyleOf("render-style", options.Text("render-style"));
    if (options.IsSet("save-output"))
        config.saveOutputPath = OutputFileName("save-output", options.FileName("save-output"));
    if (options.IsSet("pick")) {
        if (config.renderPath.empty() && config.saveOutputPath.empty())
            throw OptionError("pick", "chooses the program of --render and --save-output; give "
                                      "one of them");
        config.pick = IntegerInRange("pick", options.Text("pick"), 1, config.PopulationCount()) - 1;
    }
}

void ReadOutputs(const OptionReader& options, CliConfig& config) {
    if (options.IsSet("seed"))
        config.seed = SeedValue("seed", options.Text("seed"));
    if (options.IsSet("json"))
        config.jsonPath = OutputFileName("json", options.FileName("json"));
    if (options.IsSet("best-image"))
        config.bestImagePath = OutputFileName("best-image", options.FileName("best-image"));
    config.imageSize = IntegerInRange("image-size", options.Text("image-size"), 1, 4096);
    if (options.IsSet("save-training"))
        config.saveTrainingPath =
            OutputFileName("save-training", options.FileName("save-training"));
    ReadFormulaOutputs(options, config);
    const std::vector<NamedOutput> outputs = config.Outputs();
    const std::string clash = OutputClash(outputs);
    if (!clash.empty())
        throw OptionError(clash);
    config.standardOutputTaken =
        std::any_of(outputs.begin(), outputs.end(),
                    [](const NamedOutput& output) { return IsStandardOutput(output.path); });
    config.quiet = options.IsSet("quiet");
    config.timing = options.IsSet("timing");
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
    if (parser.isSet(QStringLiteral("help"))) {
        outcome.action = ParseOutcome::Action::ShowHelp;
        outcome.text = parser.helpText().toStdString();
        return outcome;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        outcome.action = ParseOutcome::Action::ShowVersion;
        outcome.text = std::string("quba-cli ") + kVersion + "\n";
        return outcome;
    }
    if (!parser.positionalArguments().isEmpty())
        return Refused("unexpected argument '" +
                       parser.positionalArguments().first().toStdString() + "'");
    try {
        const OptionReader options(parser, raw);
        ReadGrids(options, outcome.config);
        ReadProblem(options, outcome.config);
        ReadPopulations(options, outcome.config);
        ReadEvaluation(options, outcome.config);
        ReadOutputs(options, outcome.config);
    } catch (const OptionError& error) {
        return Refused(error.what());
    }
    return outcome;
}

} // namespace quba
