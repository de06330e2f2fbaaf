#include "cli/option_table.h"

#include "codec/compress.h"
#include "core/grid.h"
#include "engine/primitives.h"
#include "picture/picture_grid.h"
#include "setup/setting_schema.h"
#include "setup/settings.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QStringList>

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace quba {

namespace {

constexpr std::array<const char*, 46> kNames = {
    "pattern",
    "data",
    "image",
    "image-fit",
    "size",
    "train-size",
    "validation-pattern",
    "validation-data",
    "validation-image",
    "validation-size",
    "noise",
    "validation-noise",
    "functions",
    "range",
    "x-name",
    "y-name",
    "output-name",
    "populations",
    "seed",
    "threads",
    "arithmetic",
    "evaluator",
    "json",
    "best-image",
    "image-size",
    "save-training",
    "export",
    "render",
    "render-size",
    "render-style",
    "save-output",
    "pick",
    "save-formula",
    "open-formula",
    "budget",
    "target-psnr",
    "tiles",
    "min-block",
    "stages",
    "sample-grid",
    "cosine-series",
    "no-front",
    "quiet",
    "timing",
    "help",
    "version",
};

OptionRow Value(Cli option, const char* valueName, std::string help,
                std::optional<std::string> defaultValue = std::nullopt) {
    return {Name(option), valueName, std::move(help), std::move(defaultValue), false, nullptr};
}

// A setting of the schema: one value for every population, or a list of
// one per population.
OptionRow Setting(const SettingRow& setting) {
    if (setting.kind == SettingKind::Switch)
        return {setting.option, nullptr, setting.help, std::nullopt, false, nullptr};
    const bool perPopulation = setting.scope == SettingScope::Population;
    const char* valueName = perPopulation ? "LIST" : "N";
    return {setting.option, valueName, setting.help, std::string(setting.defaultText),
            perPopulation,  nullptr};
}

OptionRow Switch(Cli option, std::string help, const char* shortName = nullptr) {
    return {Name(option), nullptr, std::move(help), std::nullopt, false, shortName};
}

// The primitives' quba-cli names, joined by `separator`; only the checked ones
// when `checked` is given.
std::string FunctionNames(const char* separator, const std::array<bool, kFunctionCount>* checked) {
    std::string names;
    for (size_t k = 0; k < kPrimitives.size(); ++k) {
        if (checked != nullptr && !(*checked)[k])
            continue;
        names += (names.empty() ? "" : separator) + std::string(kPrimitives[k].cliName);
    }
    return names;
}

std::vector<OptionRow> MakeOptions() {
    namespace d = defaults;
    const std::string sizes =
        std::to_string(DataGrid::kMinSize) + " to " + std::to_string(DataGrid::kLargestSize) + ".";
    const std::string gridSize = std::to_string(DataGrid::kDefaultSize);
    return {
        Value(Cli::Pattern, "NAME",
              "Training grid from a built-in pattern: circle, circle2, cup, line, line2, line3, "
              "\"S curve\"."),
        Value(Cli::Data, "FILE",
              "Training grid from a data file: size x size decimal numbers, row after row, "
              "separated by white space."),
        Value(Cli::Image, "FILE",
              "Training grid from a picture, made grey and area-averaged to size x size (black "
              "-1, white 1). Formats: " +
                  PictureFormats().join(", ").toStdString() + "."),
        Value(Cli::ImageFit, "FIT",
              "How a picture that is not square becomes square: crop (its central square) or "
              "stretch (the whole picture).",
              "crop"),
        Value(Cli::Size, "N", "Size of axis of the training grid, " + sizes, gridSize),
        Value(Cli::TrainSize, "N",
              "Coarse to fine: evolve on the picture averaged to N x N, then score the best "
              "programs and the fronts on the grid of --size; N from 2 to --size, with --image."),
        Value(Cli::ValidationPattern, "NAME",
              "A separate validation grid from a built-in pattern (without one, validation uses "
              "the training data)."),
        Value(Cli::ValidationData, "FILE", "A separate validation grid from a data file."),
        Value(Cli::ValidationImage, "FILE", "A separate validation grid from a picture."),
        Value(Cli::ValidationSize, "N", "Size of axis of a separate validation grid, " + sizes,
              gridSize),
        Value(Cli::Noise, "R",
              "Overwrite trunc(N x N x R) random training cells with random values in [-1, 1]; R "
              "is clamped to 0..1."),
        Value(Cli::ValidationNoise, "R", "The same for a separate validation grid."),
        Value(Cli::Functions, "LIST",
              "Function set, comma-separated from " + FunctionNames(" ", nullptr) + ".",
              FunctionNames(",", &d::kFunctionChecked)),
        Value(Cli::Range, "LO,HI", "Range of the constants, LO below HI.",
              std::string(RowOf(SettingField::RangeLower).defaultText) + "," +
                  RowOf(SettingField::RangeUpper).defaultText),
        Value(Cli::XName, "NAME", "Name of the horizontal variable.", d::kHorizontalName),
        Value(Cli::YName, "NAME", "Name of the vertical variable.", d::kVerticalName),
        Value(Cli::OutputName, "NAME", "Name of the output, printed before each best program.",
              d::kOutputName),
        Value(Cli::Populations, "K", "Number of populations, 1 to 4.",
              std::to_string(d::kPopulationCount)),
        Value(Cli::Seed, "S",
              "Seed of every population's generator, 0 to 4294967295 (default: the calendar time "
              "in seconds)."),
        Value(Cli::Threads, "T",
              "Worker threads for fitness evaluation, 1 to 1024; results never depend on T.",
              "all cores"),
        Value(Cli::Arithmetic, "NAME",
              "exact: the figures of the desktop program, bit for bit; or fast: 32-bit floats "
              "with SIMD, many times faster, close to the exact figures but not equal to them.",
              "exact"),
        Value(Cli::Evaluator, "NAME",
              "The exact arithmetic's evaluator: batch, or reference: the plain recursive "
              "evaluator, to compare against; both give the same results.",
              "batch"),
        Value(Cli::Json, "FILE",
              "Write the run record as JSON; - writes it to standard output instead of the best "
              "programs."),
        Value(Cli::BestImage, "FILE",
              "PNG of the best program's output on the training grid after the last step."),
        Value(Cli::ImageSize, "PX", "Pixel size of that PNG, 1 to 4096.", "120"),
        Value(Cli::SaveTraining, "FILE", "Write the training grid (after noise) as a data file."),
        Value(Cli::Export, "FORMAT:FILE",
              "Write the best programs as code, one function per population: FORMAT is c (C99 "
              "that computes what the run computed, bit for bit), python (NumPy), glsl (a "
              "fragment shader) or latex; front-c, front-python, ... write every member of "
              "every size-accuracy front instead. Repeatable."),
        Value(Cli::Render, "FILE",
              "PNG of the chosen best program (see --pick) redrawn at any size, upright as the "
              "training picture."),
        Value(Cli::RenderSize, "PX", "Pixel size of that PNG, 1 to 8192.", "512"),
        Value(Cli::RenderStyle, "STYLE",
              "grey (black -1 to white 1, failed evaluations magenta) or map (the colours of the "
              "grid pictures).",
              "grey"),
        Value(Cli::SaveOutput, "FILE",
              "Write the chosen best program's output on the training grid as a data file; nan "
              "marks a failed cell."),
        Value(Cli::Pick, "K",
              "The population whose best program --render and --save-output use (default: the "
              "lowest training error at the end, the lowest number on a tie)."),
        Value(Cli::SaveFormula, "FILE",
              "Write a formula file: the chosen best program (see --pick) with its constants "
              "exact, or with --budget or --target-psnr the file the codec chose."),
        Value(Cli::OpenFormula, "FILE",
              "Read a formula file and run nothing: --render, --save-output and --export take "
              "its formulas."),
        Value(Cli::Budget, "BYTES",
              "Compress: the formula file of at most BYTES bytes with the smallest error, chosen "
              "from the fronts with their constants quantised."),
        Value(Cli::TargetPsnr, "DB", "Compress: the smallest formula file whose PSNR reaches DB."),
        Value(Cli::Tiles, "MODE",
              "off, or auto: a quadtree of blocks, each evolved on its own cells, split where "
              "that lowers the error at the budget's trade-off; with --budget or --target-psnr.",
              "off"),
        Value(Cli::MinBlock, "N", "The smallest block of --tiles auto, 2 to 512 cells a side.",
              std::to_string(CodecSettings::kDefaultMinBlock)),
        Value(Cli::Stages, "K",
              "Formulas a block adds up, each evolved on what those before it leave, 1 to " +
                  std::to_string(kMostStages) + "; with --budget or --target-psnr.",
              "1"),
        Value(Cli::SampleGrid, "MODE",
              "auto, or off: a file may hold a coarse grid of samples, drawn by bicubic "
              "interpolation, under its formulas or alone where that serves the budget best; "
              "off keeps every file formulas only.",
              "auto"),
        Value(Cli::CosineSeries, "MODE",
              "auto, or off: a file may be a truncated cosine series (the largest terms of the "
              "grid's cosine transform) where that serves the budget best; off leaves it out.",
              "auto"),
        Switch(Cli::NoFront,
               "Do not keep the size-accuracy fronts (to measure what keeping them costs; the run "
               "is the same)."),
        Switch(Cli::Quiet, "No progress on standard error."),
        Switch(Cli::Timing,
               "After the run, print on standard error the time spent evaluating and the rest."),
        Switch(Cli::Help, "Show this help.", "h"),
        Switch(Cli::Version, "Show the version.", "v"),
    };
}

// The fixed options with every setting of the schema that is an option
// after --populations.
std::vector<OptionRow> AllOptions() {
    std::vector<OptionRow> options = MakeOptions();
    const auto populations = std::find_if(options.begin(), options.end(), [](const auto& entry) {
        return std::string_view(entry.name) == Name(Cli::Populations);
    });
    auto at = std::next(populations) - options.begin();
    for (const SettingRow& setting : SettingSchema())
        if (setting.option != nullptr)
            options.insert(options.begin() + at++, Setting(setting));
    return options;
}

const std::vector<OptionRow>& Options() {
    static const std::vector<OptionRow> options = AllOptions();
    return options;
}

QString HelpText(const OptionRow& entry) {
    QString help = QString::fromStdString(entry.help);
    if (entry.defaultValue)
        help += QStringLiteral(" (default: %1)").arg(QString::fromStdString(*entry.defaultValue));
    return help;
}

} // namespace

const char* Name(Cli option) {
    return kNames[static_cast<size_t>(option)];
}

std::string Dashed(Cli option) {
    return std::string("--") + Name(option);
}

QString OptionValue(const QCommandLineParser& parser, Cli option) {
    return OptionValue(parser, Name(option));
}

std::span<const OptionRow> OptionTable() {
    return Options();
}

const OptionRow* FindOptionIfAny(std::string_view name) {
    for (const OptionRow& entry : Options())
        if (name == entry.name)
            return &entry;
    return nullptr;
}

const OptionRow& FindOption(std::string_view name) {
    if (const OptionRow* entry = FindOptionIfAny(name))
        return *entry;
    throw std::logic_error("no option --" + std::string(name));
}

void AddOptions(QCommandLineParser& parser) {
    for (const OptionRow& entry : Options()) {
        QStringList names;
        if (entry.shortName)
            names << QString::fromUtf8(entry.shortName);
        names << QString::fromUtf8(entry.name);
        QCommandLineOption option(names, HelpText(entry));
        if (entry.valueName)
            option.setValueName(QString::fromUtf8(entry.valueName));
        parser.addOption(option);
    }
}

QString OptionValue(const QCommandLineParser& parser, const char* name) {
    const QString key = QString::fromUtf8(name);
    if (parser.isSet(key))
        return parser.value(key);
    const std::optional<std::string>& fallback = FindOption(name).defaultValue;
    return fallback ? QString::fromStdString(*fallback) : QString();
}

} // namespace quba
