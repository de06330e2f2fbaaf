#include "cli/option_table.h"
#include "cli/parse_arguments.h"
#include "setup/start_check.h"
#include "tests/decimal_forms.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace quba;

namespace {

ParseOutcome Parse(QStringList arguments) {
    arguments.prepend("quba-cli");
    return ParseArguments(arguments);
}

CliConfig Config(const QStringList& arguments) {
    ParseOutcome outcome = Parse(arguments);
    EXPECT_EQ(outcome.action, ParseOutcome::Action::Run) << outcome.text;
    return outcome.config;
}

} // namespace

TEST(Arguments, DefaultsAreTheMainWindowDefaults) {
    const CliConfig config = Config({"--pattern", "S curve"});
    EXPECT_EQ(config.training.patternIndex, 6);
    EXPECT_EQ(config.training.size, 30);
    EXPECT_FALSE(config.validation.Given());
    EXPECT_FALSE(config.noise);
    // The same typed values as the desktop program's fields give at start.
    const ProblemValues& problem = config.settings.problem;
    EXPECT_EQ(problem.functionChecked, ProblemSettings().functionChecked);
    EXPECT_EQ(problem.constantCount, 1000);
    EXPECT_EQ(problem.constantLower, -1.0f);
    EXPECT_EQ(problem.constantUpper, 1.0f);
    EXPECT_EQ(config.outputName, "C");
    ASSERT_EQ(config.PopulationCount(), 1);
    // The sheet reads its tournament size only with tournament selection.
    PopulationValues gui = ReadPopulationValues(PopulationSettings());
    gui.tournamentSize = 6;
    EXPECT_EQ(config.settings.populations[0], gui);
    EXPECT_FALSE(config.seed);
    EXPECT_EQ(config.imageSize, 120);
}

TEST(Arguments, ListsGiveOneValueToEveryPopulationOrOneEach) {
    const CliConfig config = Config({"--pattern", "cup", "--populations", "3", "--crossover",
                                     "0.5,0.6,0.7", "--generations", "9", "--selection",
                                     "random, tournament ,proportional", "--elite", "off,5,10"});
    ASSERT_EQ(config.PopulationCount(), 3);
    const auto& populations = config.settings.populations;
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(populations[i].generations, 9);
    EXPECT_EQ(populations[2].crossoverRate, 0.7f);
    EXPECT_EQ(populations[0].selectionMethod, SelectionMethod::Random);
    EXPECT_EQ(populations[1].selectionMethod, SelectionMethod::Tournament);
    EXPECT_EQ(populations[0].eliteFraction, 0.0f);
    EXPECT_EQ(populations[1].eliteFraction, static_cast<float>(5 * 0.01L));
}

TEST(Arguments, FunctionsFollowTheCheckListWhateverTheirOrder) {
    auto checked = Config({"--pattern", "line", "--functions", "if<,sqrt,-,sin"})
                       .settings.problem.functionChecked;
    EXPECT_EQ(checked, (std::array<bool, 12>{false, true, false, false, true, false, false, false,
                                             false, true, false, true}));
    checked = Config({"--pattern", "line", "--functions", ""}).settings.problem.functionChecked;
    EXPECT_EQ(checked, (std::array<bool, 12>{}));
}

TEST(Arguments, RangeBoundsAreComparedAsReadInExtended) {
    // Both bounds round to the float 0, yet 0 is below 1e-50.
    const CliConfig config = Config({"--pattern", "line", "--range", "0,1e-50"});
    EXPECT_EQ(config.settings.problem.constantUpper, 0.0f);
    EXPECT_EQ(Parse({"--pattern", "line", "--range", "1e-50,0"}).text,
              "--range: Please set the range of constants proparly");
}

TEST(Arguments, BadValuesNameTheOptionAndWhatItAccepts) {
    const std::vector<std::pair<QStringList, std::string>> cases = {
        {{"--crossover", "abc"}, "--crossover: not a number: 'abc'"},
        {{"--mutation", "1e39"}, "--mutation: not a number within the 32-bit float range: '1e39'"},
        {{"--noise", "nan"}, "--noise: not a number: 'nan'"},
        {{"--size", "1025"}, "--size: not an integer from 2 to 1024: '1025'"},
        {{"--validation-size", "1"}, "--validation-size: not an integer from 2 to 1024: '1'"},
        {{"--populations", "5"}, "--populations: not an integer from 1 to 4: '5'"},
        {{"--population-size", "2147483648"}, "--population-size: not an integer: '2147483648'"},
        {{"--generations", "0x10"}, "--generations: not an integer: '0x10'"},
        {{"--seed", "4294967296"}, "--seed: not an integer from 0 to 4294967295: '4294967296'"},
        {{"--seed", "-1"}, "--seed: not an integer from 0 to 4294967295: '-1'"},
        {{"--selection", "best"},
         "--selection: not one of proportional, tournament, random: 'best'"},
        {{"--elite", "inf"}, "--elite: not a percentage or off: 'inf'"},
        {{"--functions", "+,exp"},
         "--functions: not a function (+ - * / sin cos tan ln log10 sqrt if> if<): 'exp'"},
        {{"--range", "1,1"}, "--range: Please set the range of constants proparly"},
        {{"--range", "-1"}, "--range: not two numbers LO,HI: '-1'"},
        {{"--crossover", "0.7,0.2"},
         "--crossover: expected 1 value (--populations 1), got 2: '0.7,0.2'"},
        {{"--populations", "2", "--max-length", "1,2,3"},
         "--max-length: expected 1 or 2 comma-separated values (--populations 2), got 3: "
         "'1,2,3'"},
        {{"--image-size", "0"}, "--image-size: not an integer from 1 to 4096: '0'"},
        {{"--data", "a.txt"}, "--data: cannot be combined with --pattern"},
        {{"--validation-noise", "0.1"},
         "--validation-noise: needs a validation grid of its own (--validation-pattern, "
         "--validation-data or --validation-image)"},
        {{"--json", "/no/such/folder/run.json"},
         "--json: cannot write to '/no/such/folder/run.json': no folder '/no/such/folder'"},
        {{"--threads", "0"}, "--threads: not an integer from 1 to 1024: '0'"},
        {{"--evaluator", "x"}, "--evaluator: not an evaluator (batch, reference): 'x'"},
        {{"--arithmetic", "float"}, "--arithmetic: not an arithmetic (exact, fast): 'float'"},
        {{"--arithmetic", "fast", "--evaluator", "batch"},
         "--evaluator: chooses between the exact arithmetic's evaluators; --arithmetic fast has "
         "its own"},
        {{"--export", "cpp:f.c"},
         "--export: not FORMAT:FILE with FORMAT one of c, python, glsl, latex, each also with "
         "front- before it: 'cpp:f.c'"},
        {{"--export", "front-"},
         "--export: not FORMAT:FILE with FORMAT one of c, python, glsl, latex, each also with "
         "front- before it: 'front-'"},
        {{"--no-front", "--export", "front-c:f.c"},
         "--export: the fronts are not kept with --no-front: front-c:f.c"},
        {{"--render-size", "8193"}, "--render-size: not an integer from 1 to 8192: '8193'"},
        {{"--render-style", "colour"}, "--render-style: not a style (grey, map): 'colour'"},
        {{"--pick", "1"},
         "--pick: chooses the program of --render, --save-output and "
         "--save-formula; give one of them"},
        {{"--budget", "0"}, "--budget: not an integer from 1 to 2147483647: '0'"},
        {{"--budget", "100", "--target-psnr", "30"},
         "--target-psnr: cannot be combined with --budget"},
        {{"--target-psnr", "-3"}, "--target-psnr: must be above 0 dB: -3"},
        {{"--tiles", "on"}, "--tiles: must be off or auto: on"},
        {{"--tiles", "auto"},
         "--tiles: needs --budget or --target-psnr, by which the file is chosen"},
        {{"--stages", "2"},
         "--stages: needs --budget or --target-psnr, by which the file is chosen"},
        {{"--budget", "99", "--stages", "9"}, "--stages: not an integer from 1 to 8: '9'"},
        {{"--budget", "99", "--min-block", "4"}, "--min-block: applies to --tiles auto"},
        {{"--budget", "99", "--tiles", "auto", "--min-block", "1"},
         "--min-block: not an integer from 2 to 512: '1'"},
        {{"--budget", "99", "--save-formula", "f", "--pick", "1"},
         "--pick: the codec chooses from every population's fronts"},
        {{"--open-formula", "f.qf"},
         "--pattern: does not apply to --open-formula, which runs nothing"},
        {{"--save-output", "o.txt", "--pick", "2"}, "--pick: not an integer from 1 to 1: '2'"},
        {{"--workers", "2"}, "Unknown option 'workers'."},
        {{"--size"}, "Missing value after '--size'."},
        {{"stray"}, "unexpected argument 'stray'"},
    };
    for (const auto& [arguments, line] : cases) {
        const ParseOutcome outcome = Parse(QStringList{"--pattern", "circle"} + arguments);
        EXPECT_EQ(outcome.action, ParseOutcome::Action::Refuse) << line;
        EXPECT_EQ(outcome.text, line);
    }
}

TEST(Arguments, WithoutATrainingSourceTheRunIsRefused) {
    EXPECT_EQ(Parse({"--validation-pattern", "cup"}).text,
              "--pattern/--data/--image: You must load data set for training before GP run.");
}

TEST(Arguments, DecimalsTakeEveryForm) {
    for (const DecimalForm& form : kAcceptedDecimals) {
        const CliConfig config = Config({"--pattern", "cup", "--noise", form.text, "--crossover",
                                         form.text, "--range", QString("%1,1e9").arg(form.text)});
        EXPECT_EQ(config.noise, form.value) << form.text;
        EXPECT_EQ(config.settings.populations[0].crossoverRate, form.value);
        EXPECT_EQ(config.settings.problem.constantLower, form.value);
    }
    for (const char* text : kRefusedDecimals)
        EXPECT_EQ(Parse({"--pattern", "cup", "--noise", text}).text,
                  std::string("--noise: not a number: '") + text + "'");
}

TEST(Arguments, OutputsGoToAnyWritableTarget) {
    QTemporaryDir folder;
    const std::string b = folder.filePath("b.png").toStdString();
    EXPECT_EQ(Config({"--pattern", "cup", "--best-image", folder.filePath("b.png")}).bestImagePath,
              b);
    // Every output takes "-" for standard output, which then holds nothing else.
    for (const char* option :
         {"--json", "--best-image", "--save-training", "--render", "--save-output"}) {
        const CliConfig config = Config({"--pattern", "cup", option, "-"});
        EXPECT_TRUE(config.standardOutputTaken) << option;
        EXPECT_EQ(config.Outputs().at(0).path, "-") << option;
    }
    EXPECT_TRUE(Config({"--pattern", "cup", "--export", "c:-"}).standardOutputTaken);
    EXPECT_FALSE(Config({"--pattern", "cup", "--json", "/dev/null", "--save-training", "/dev/null"})
                     .standardOutputTaken);

    const QString name(255, 'n');
    const std::string tooLong = folder.filePath(name + "n").toStdString();
    for (const QString& unwritable : {folder.path(), folder.filePath("no/such/folder/x")})
        EXPECT_EQ(Parse({"--pattern", "cup", "--save-training", unwritable})
                      .text.rfind("--save-training: ", 0),
                  0u);
    EXPECT_EQ(Parse({"--pattern", "cup", "--json", folder.filePath(name + "n")}).text,
              "--json: cannot write to '" + tooLong +
                  "': the name is longer than the folder allows");
    EXPECT_EQ(Config({"--pattern", "cup", "--json", folder.filePath(name)}).jsonPath,
              folder.filePath(name).toStdString());
    // Checking creates nothing.
    EXPECT_TRUE(QDir(folder.path()).isEmpty());
}

TEST(Arguments, TwoOutputsToOneTargetAreRefused) {
    QTemporaryDir folder;
    const QString file = folder.filePath("one.txt");
    QFile(file).open(QIODevice::WriteOnly);
    ASSERT_TRUE(QFile::link(file, folder.filePath("link.txt")));
    ASSERT_EQ(::link(QFile::encodeName(file).constData(),
                     QFile::encodeName(folder.filePath("hard.txt")).constData()),
              0);
    const std::string one = file.toStdString();
    const std::string fresh = folder.filePath("new.txt").toStdString();
    struct Case {
        QStringList arguments;
        std::string line;
    };
    const std::vector<Case> cases = {
        {{"--json", file, "--save-output", file},
         "--save-output: '" + one + "' is the file --json writes ('" + one + "')"},
        {{"--export", "c:" + folder.filePath("link.txt"), "--export", "python:" + file},
         "--export: '" + one + "' is the file --export writes ('" +
             folder.filePath("link.txt").toStdString() + "')"},
        {{"--best-image", folder.filePath("hard.txt"), "--render", file},
         "--render: '" + one + "' is the file --best-image writes ('" +
             folder.filePath("hard.txt").toStdString() + "')"},
        {{"--save-training", folder.filePath("new.txt"), "--json", folder.filePath("./new.txt")},
         "--json: '" + folder.filePath("./new.txt").toStdString() +
             "' is the file --save-training writes ('" + fresh + "')"},
        {{"--json", "-", "--best-image", "/dev/stdout"},
         "--best-image: standard output already takes --json"},
        {{"--render", "-", "--export", "c:-"}, "--render: standard output already takes --export"},
    };
    for (const Case& c : cases) {
        const ParseOutcome outcome = Parse(QStringList{"--pattern", "cup"} + c.arguments);
        EXPECT_EQ(outcome.action, ParseOutcome::Action::Refuse) << c.line;
        EXPECT_EQ(outcome.text, c.line);
    }
}

TEST(Arguments, HelpListsEveryOptionWithItsDefault) {
    const ParseOutcome outcome = Parse({"--help"});
    ASSERT_EQ(outcome.action, ParseOutcome::Action::ShowHelp);
    // The help text is wrapped: compare with single blanks.
    const std::string help = QString::fromStdString(outcome.text).simplified().toStdString();
    for (const OptionRow& entry : OptionTable()) {
        EXPECT_NE(help.find(std::string("--") + entry.name), std::string::npos) << entry.name;
        if (entry.defaultValue) {
            EXPECT_NE(help.find("(default: " + *entry.defaultValue), std::string::npos)
                << entry.name;
        }
    }
    EXPECT_EQ(Parse({"--version"}).text, "quba-cli 1.0.0\n");
}
