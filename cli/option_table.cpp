#include "cli/option_table.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QStringList>

#include <array>
#include <stdexcept>
#include <string>

namespace {

constexpr OptionSpec Value(const char* name, const char* valueName, const char* help,
                           const char* defaultValue = nullptr) {
    return {name, valueName, help, defaultValue, false, nullptr};
}

constexpr OptionSpec PerPopulation(const char* name, const char* help, const char* defaultValue) {
    return {name, "LIST", help, defaultValue, true, nullptr};
}

constexpr OptionSpec Switch(const char* name, const char* help, const char* shortName = nullptr) {
    return {name, nullptr, help, nullptr, false, shortName};
}

constexpr std::array kOptions = {
    Value("pattern", "NAME",
          "Training grid from a built-in pattern: circle, circle2, cup, line, line2, line3, "
          "\"S curve\"."),
    Value("data", "FILE",
          "Training grid from a data file: size x size decimal numbers, row after row, "
          "separated by white space."),
    Value("size", "N", "Size of axis of the training grid, 2 to 50.", "30"),
    Value("validation-pattern", "NAME",
          "A separate validation grid from a built-in pattern (without one, validation uses the "
          "training data)."),
    Value("validation-data", "FILE", "A separate validation grid from a data file."),
    Value("validation-size", "N", "Size of axis of a separate validation grid, 2 to 50.", "30"),
    Value("noise", "R",
          "Overwrite trunc(N x N x R) random training cells with random values in [-1, 1]; R is "
          "clamped to 0..1."),
    Value("validation-noise", "R", "The same for a separate validation grid."),
    Value("functions", "LIST",
          "Function set, comma-separated from + - * / sin cos tan ln log10 sqrt if> if<.",
          "+,-,*,/"),
    Value("constants", "K", "Number of constants.", "1000"),
    Value("range", "LO,HI", "Range of the constants, LO below HI.", "-1,1"),
    Value("x-name", "NAME", "Name of the horizontal variable.", "X"),
    Value("y-name", "NAME", "Name of the vertical variable.", "Y"),
    Value("output-name", "NAME", "Name of the output, printed before each best program.", "C"),
    Value("populations", "K", "Number of populations, 1 to 4.", "1"),
    PerPopulation("population-size", "Programs per population.", "1000"),
    PerPopulation("generations", "Generations per population.", "50"),
    PerPopulation("selection", "Selection method: proportional, tournament or random.",
                  "proportional"),
    PerPopulation("tournament-size", "Candidates per tournament (tournament selection).", "6"),
    PerPopulation("crossover", "Crossover rate.", "0.70"),
    PerPopulation("mutation", "Mutation rate.", "0.20"),
    PerPopulation("one-point", "One-point mutation rate.", "0.00"),
    PerPopulation("elite", "Elite share in percent, or off.", "10"),
    PerPopulation("max-length", "Maximum program length.", "100"),
    PerPopulation("max-depth", "Maximum initial depth.", "5"),
    PerPopulation("function-ratio", "Initial ratio of function nodes.", "0.50"),
    PerPopulation("variable-ratio", "Initial ratio of variable nodes.", "0.20"),
    Value("seed", "S",
          "Seed of every population's generator, 0 to 4294967295 (default: the calendar time in "
          "seconds)."),
    Value("threads", "T",
          "Worker threads for fitness evaluation, 1 to 1024; results never depend on T.",
          "all cores"),
    Value("evaluator", "NAME",
          "batch, or reference: the plain recursive evaluator, on one thread, to compare "
          "against; both give the same results.",
          "batch"),
    Value("json", "FILE",
          "Write the run record as JSON; - writes it to standard output instead of the best "
          "programs."),
    Value("best-image", "FILE",
          "PNG of the best program's output on the training grid after the last step."),
    Value("image-size", "PX", "Pixel size of that PNG, 1 to 4096.", "120"),
    Value("save-training", "FILE", "Write the training grid (after noise) as a data file."),
    Switch("quiet", "No progress on standard error."),
    Switch("timing",
           "After the run, print on standard error the time spent evaluating and the rest."),
    Switch("help", "Show this help.", "h"),
    Switch("version", "Show the version.", "v"),
};

QString HelpText(const OptionSpec& entry) {
    QString help = QString::fromUtf8(entry.help);
    if (entry.defaultValue)
        help += QStringLiteral(" (default: %1)").arg(QString::fromUtf8(entry.defaultValue));
    return help;
}

} // namespace

std::span<const OptionSpec> OptionTable() {
    return kOptions;
}

const OptionSpec& FindOption(std::string_view name) {
    for (const OptionSpec& entry : kOptions)
        if (name == entry.name)
            return entry;
    throw std::logic_error("no option --" + std::string(name));
}

void AddOptions(QCommandLineParser& parser) {
    for (const OptionSpec& entry : kOptions) {
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
    const char* fallback = FindOption(name).defaultValue;
    return fallback ? QString::fromUtf8(fallback) : QString();
}
