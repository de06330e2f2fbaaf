// Absurd settings on the command line: each is refused with one line naming
// its option and exit status 2, before the run is built and before any
// output file is written.
#include "cli_process.h"

#include "cli/parse_arguments.h"
#include "cli/start_checks.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace quba;

namespace {

constexpr uint64_t kMachineMemory = uint64_t{24} << 30;

// The line quba-cli prints for `arguments` on top of a circle pattern.
std::string RefusalLine(const QStringList& arguments) {
    const ParseOutcome outcome =
        ParseArguments(QStringList{"quba-cli", "--pattern", "circle"} + arguments);
    if (outcome.action == ParseOutcome::Action::Refuse)
        return outcome.text;
    EXPECT_EQ(outcome.action, ParseOutcome::Action::Run);
    return FirstRefusal(outcome.config, kMachineMemory).value_or("");
}

const std::vector<std::pair<QStringList, std::string>>& HostileSettings() {
    static const std::vector<std::pair<QStringList, std::string>> cases = {
        {{"--population-size", "0"}, "--population-size: Population size must be at least 2."},
        {{"--population-size", "1"}, "--population-size: Population size must be at least 2."},
        {{"--population-size", "1000000000"},
         "--population-size/--max-length: Not enough memory for populations of this size and "
         "maximum length."},
        {{"--max-length", "0"}, "--max-length: Maximum length must be at least 70."},
        {{"--max-length", "69"}, "--max-length: Maximum length must be at least 70."},
        {{"--selection", "tournament", "--tournament-size", "0"},
         "--tournament-size: Tournament size must be at least 1."},
        {{"--constants", "0"}, "--constants: Number of constants must be at least 1."},
        {{"--constants", "2147483647"},
         "--constants: Not enough memory for this number of constants."},
        {{"--function-ratio", "1", "--variable-ratio", "0"},
         "--function-ratio: Function ratio must be below 1."},
        {{"--generations", "-1"}, "--generations: Generation must not be negative."},
        {{"--range", "2,1"}, "--range: Please set the range of constants proparly"},
        {{"--size", "1"}, "--size: not an integer from 2 to 1024: '1'"},
        {{"--size", "1025"}, "--size: not an integer from 2 to 1024: '1025'"},
        {{"--size", "-30"}, "--size: not an integer from 2 to 1024: '-30'"},
        {{"--validation-pattern", "cup", "--validation-size", "0"},
         "--validation-size: not an integer from 2 to 1024: '0'"},
        {{"--populations", "4", "--population-size", "500,500,500,1"},
         "--population-size: population 4: Population size must be at least 2."},
    };
    return cases;
}

TEST(HostileSettings, AreRefusedWithTheLineNamingTheOption) {
    for (const auto& [arguments, line] : HostileSettings())
        EXPECT_EQ(RefusalLine(arguments), line) << arguments.join(' ').toStdString();
}

TEST(HostileSettings, EveryNumericOptionRefusesEmptyTextAndNonNumbers) {
    const char* options[] = {
        "size",           "validation-size", "noise",       "constants",       "range",
        "populations",    "population-size", "generations", "tournament-size", "crossover",
        "mutation",       "one-point",       "elite",       "max-length",      "max-depth",
        "function-ratio", "variable-ratio",  "seed",        "threads",         "image-size"};
    for (const char* option : options) {
        for (const char* text : {"", " ", "abc", "1x", "0x10", "inf", "nan", "1,,2", "--"}) {
            const std::string line = RefusalLine({QString("--") + option, text});
            const std::string where = std::string(option) + " '" + text + "'";
            EXPECT_EQ(line.rfind(std::string("--") + option + ": ", 0), 0u)
                << where << ": " << line;
            EXPECT_EQ(line.find('\n'), std::string::npos) << where;
        }
    }
}

// The same refusals from the program: status 2, the line alone on standard
// error, nothing on standard output and no file written.
TEST(HostileSettings, TheProgramExitsWithStatusTwoAndWritesNothing) {
    QTemporaryDir folder;
    const QString json = folder.filePath("run.json");
    const QString image = folder.filePath("best.png");
    for (const auto& [arguments, line] : HostileSettings()) {
        const CliResult result = RunCli(
            QStringList{"--pattern", "circle", "--json", json, "--best-image", image, "--quiet"} +
            arguments);
        const std::string where = arguments.join(' ').toStdString();
        EXPECT_EQ(result.exitCode, 2) << where;
        EXPECT_EQ(result.err, line + "\n") << where;
        EXPECT_EQ(result.out, "") << where;
        EXPECT_FALSE(QFile::exists(json)) << where;
        EXPECT_FALSE(QFile::exists(image)) << where;
    }
}

} // namespace
