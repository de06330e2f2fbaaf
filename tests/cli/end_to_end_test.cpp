#include "cli_process.h"

#include "core/random.h"
#include "data/noise.h"
#include "data/patterns.h"
#include "engine/fast_evaluator.h"

#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <cmath>
#include <csignal>
#include <ctime>
#include <sstream>

#include <gtest/gtest.h>

using namespace quba;

namespace {

void WriteText(const QString& path, const std::string& text) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text.c_str());
}

QJsonObject Json(const std::string& text) {
    return QJsonDocument::fromJson(QByteArray::fromStdString(text)).object();
}

class EndToEnd : public testing::Test {
protected:
    QString Path(const char* name) const { return folder_.filePath(name); }
    // The training grid the program saved, for `arguments` on top of a 0-generation run.
    std::vector<float> SavedTraining(const QStringList& arguments) const {
        const CliResult result = RunCli(arguments + QStringList{"--generations", "0", "--quiet",
                                                                "--save-training", Path("t.txt")});
        EXPECT_EQ(result.exitCode, 0) << result.err;
        return ReadFloats(Path("t.txt"));
    }

private:
    QTemporaryDir folder_;
};

} // namespace

TEST_F(EndToEnd, PatternsOfSizeTwoAreSavedAsTheirFloats) {
    const float sinMinus2 = static_cast<float>(std::sin(-2.0) + 0.5);
    const std::vector<std::pair<QString, std::vector<float>>> cases = {
        {"circle", {0.3f, 0.3f, 0.3f, 0.3f}},
        {"circle2", {-0.4f, -0.4f, -0.4f, -0.4f}},
        {"cup", {0.375f, 0.125f, 0.375f, 0.125f}},
        {"line", {-0.15f, 0.85f, -0.65f, 0.35f}},
        {"line2", {-0.1f, -0.25f, 0.9f, -0.1f}},
        {"line3", {-0.5f, 0.5f, 0.85f, -0.15f}},
        {"S curve",
         {sinMinus2, static_cast<float>(std::sin(2.0) + 0.5),
          static_cast<float>(std::sin(-2.0) - 0.5), static_cast<float>(std::sin(2.0) - 0.5)}},
    };
    for (const auto& [pattern, values] : cases)
        EXPECT_EQ(SavedTraining({"--pattern", pattern, "--size", "2"}), values)
            << pattern.toStdString();
}

TEST_F(EndToEnd, DataFilesAreReadInReadingOrderOrRefused) {
    WriteText(Path("line.txt"), "1 2\t3 4\n");
    EXPECT_EQ(SavedTraining({"--data", Path("line.txt"), "--size", "2"}),
              (std::vector<float>{1, 2, 3, 4}));
    WriteText(Path("more.txt"), "1\t2\t3\n4\t5\t6\n7\t8\t9\n");
    EXPECT_EQ(SavedTraining({"--data", Path("more.txt"), "--size", "2"}),
              (std::vector<float>{1, 2, 3, 4}));

    const std::string format = "Illegal file format!\nMaybe the number of the data is not "
                               "enough,\nor the data are not separated by tab and return "
                               "properly!!\n";
    for (const std::string text :
         {"1\t2\n3\n", "1\t2\n3\t0\n", "1\tnan\n3\t4\n", "1\t2\n1e39\t4\n"}) {
        WriteText(Path("bad.txt"), text);
        const CliResult result = RunCli({"--data", Path("bad.txt"), "--size", "2"});
        EXPECT_EQ(result.exitCode, 1) << text;
        EXPECT_EQ(result.err, "--data: " + format) << text;
    }
    WriteText(Path("bad.txt"), "1 0 1 1");
    const CliResult validation = RunCli(
        {"--pattern", "cup", "--validation-data", Path("bad.txt"), "--validation-size", "2"});
    EXPECT_EQ(validation.exitCode, 1);
    EXPECT_EQ(validation.err, "--validation-data: " + format);

    const CliResult missing = RunCli({"--data", Path("missing.txt")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err, "--data: Cannot open file " + Path("missing.txt").toStdString() + "\n");
}

TEST_F(EndToEnd, DecimalsWithoutLeadingOrTrailingDigitsReadAsTheirValues) {
    WriteText(Path("points.txt"), "5.\t.5\n-.5\t5.e-1\n");
    EXPECT_EQ(SavedTraining({"--data", Path("points.txt"), "--size", "2"}),
              (std::vector<float>{5, 0.5f, -0.5f, 0.5f}));
    const CliResult written = RunCli(
        SmallRun() + QStringList{"--pattern", "cup", "--crossover", "0.7", "--mutation", "0.2"});
    const CliResult shorthand = RunCli(
        SmallRun() + QStringList{"--pattern", "cup", "--crossover", ".7", "--mutation", ".2"});
    ASSERT_EQ(shorthand.exitCode, 0) << shorthand.err;
    EXPECT_EQ(shorthand.out, written.out);
}

TEST_F(EndToEnd, OutputsGoToDevicesAndPipes) {
    const QStringList run = SmallRun() + QStringList{"--pattern", "cup"};
    const CliResult plain = RunCli(run);
    const CliResult discarded =
        RunCli(run + QStringList{"--json", "/dev/null", "--best-image", "/dev/null",
                                 "--save-training", "/dev/null"});
    EXPECT_EQ(discarded.exitCode, 0) << discarded.err;
    EXPECT_EQ(discarded.out, plain.out);

    // The record through a shell's pipe, and through standard output by its
    // device name, ends with a newline; standard output then holds it alone.
    QProcess shell;
    const QString script = "\"$0\" \"$@\" --json >(cat > \"" + Path("piped.json") + "\"); wait";
    shell.start("/bin/bash", QStringList{"-c", script, QStringLiteral(QUBA_CLI_PATH)} + run);
    ASSERT_TRUE(shell.waitForFinished(60000));
    EXPECT_EQ(shell.exitCode(), 0) << shell.readAllStandardError().toStdString();
    QFile piped(Path("piped.json"));
    ASSERT_TRUE(piped.open(QIODevice::ReadOnly));
    const QByteArray record = piped.readAll();
    EXPECT_TRUE(record.endsWith("}\n"));
    const CliResult standard = RunCli(run + QStringList{"--json", "/dev/stdout"});
    EXPECT_EQ(standard.out, record.toStdString());

    for (const char* option : {"--json", "--best-image", "--save-training"}) {
        const CliResult full = RunCli(run + QStringList{option, "/dev/full"});
        EXPECT_EQ(full.exitCode, 1) << option;
        EXPECT_EQ(full.err, std::string(option) + ": writing '/dev/full' failed\n");
    }
}

TEST_F(EndToEnd, CoarseToFineEvolvesSmallAndScoresAtFullSize) {
    QImage picture(48, 48, QImage::Format_Grayscale8);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 48; ++x)
            picture.scanLine(y)[x] = static_cast<uchar>((x * 5 + y * 3) % 256);
    ASSERT_TRUE(picture.save(Path("ramp.png")));
    const QStringList image = {"--image", Path("ramp.png"), "--size", "24"};
    const std::vector<float> full = SavedTraining(image);
    const CliResult run = RunCli(SmallRun() + image +
                                 QStringList{"--train-size", "6", "--linear-scaling", "--json", "-",
                                             "--save-output", Path("out.txt")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const QJsonObject population = Json(run.out)["populations"].toArray()[0].toObject();
    // The run's own figures are on 6 x 6 cells; the record's on the 24 x 24
    // grid, which the redraw covers.
    const std::vector<float> output = ReadFloats(Path("out.txt"));
    ASSERT_EQ(output.size(), full.size());
    double sum = 0;
    for (size_t k = 0; k < full.size(); ++k)
        sum += (static_cast<double>(full[k]) - output[k]) * (full[k] - output[k]);
    EXPECT_NEAR(population["psnr"].toDouble(), 10 * std::log10(4 / (sum / full.size())), 1e-3);
    EXPECT_EQ(population["rawBytes"].toInt(), 576);
    for (const QJsonValue& member : population["front"].toArray())
        EXPECT_TRUE(member["best"].toString().startsWith("C="));

    for (const auto& [arguments, line] : std::vector<std::pair<QStringList, std::string>>{
             {{"--pattern", "cup", "--train-size", "4"},
              "--train-size: applies to a picture: give --image"},
             {image + QStringList{"--train-size", "25"},
              "--train-size: not an integer from 2 to 24: '25'"},
             {image + QStringList{"--train-size", "8", "--noise", "0.1"},
              "--train-size: cannot be combined with --noise"}}) {
        const CliResult refused = RunCli(arguments);
        EXPECT_EQ(refused.exitCode, 2);
        EXPECT_EQ(refused.err, line + "\n");
    }
}

// The squared error of one grid against another, as PSNR.
double PsnrOf(const std::vector<float>& output, const std::vector<float>& grid) {
    double sum = 0;
    for (size_t k = 0; k < grid.size(); ++k)
        sum +=
            (static_cast<double>(grid[k]) - output[k]) * (static_cast<double>(grid[k]) - output[k]);
    return 10 * std::log10(4 / (sum / static_cast<double>(grid.size())));
}

QByteArray FileContent(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

TEST_F(EndToEnd, FormulaFilesKeepTheirBudgetAndOpenToWhatTheRunMeasured) {
    QImage picture(48, 48, QImage::Format_Grayscale8);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 48; ++x)
            picture.scanLine(y)[x] = static_cast<uchar>(x < 20 ? 40 + y * 3 : 220 - x);
    ASSERT_TRUE(picture.save(Path("edge.png")));
    const QStringList image = {"--image", Path("edge.png"), "--size", "16"};
    const std::vector<float> grid = SavedTraining(image);
    const CliResult run =
        RunCli(SmallRun() + image +
               QStringList{"--linear-scaling", "--budget", "80", "--tiles", "auto", "--stages", "2",
                           "--save-formula", Path("f.qf"), "--save-output", Path("out.txt"),
                           "--json", "-"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const QJsonObject file = Json(run.out)["formulaFile"].toObject();
    const QByteArray bytes = FileContent(Path("f.qf"));
    EXPECT_LE(bytes.size(), 80);
    EXPECT_EQ(file["bytes"].toInt(), bytes.size());
    const std::vector<float> output = ReadFloats(Path("out.txt"));
    EXPECT_NEAR(file["psnr"].toDouble(), PsnrOf(output, grid), 1e-9);

    const CliResult opened = RunCli(
        {"--open-formula", Path("f.qf"), "--save-output", Path("again.txt"), "--threads", "3"});
    ASSERT_EQ(opened.exitCode, 0) << opened.err;
    EXPECT_EQ(opened.out.rfind("formula file: 16 x 16 grid, ", 0), 0u) << opened.out;
    EXPECT_EQ(FileContent(Path("again.txt")), FileContent(Path("out.txt")));

    // Without the codec the file holds the best program as it is: its size
    // is the record's formula bytes, its output the run's.
    const CliResult plain =
        RunCli(SmallRun() + QStringList{"--pattern", "cup", "--save-formula", Path("p.qf"),
                                        "--save-output", Path("p.txt"), "--json", "-"});
    ASSERT_EQ(plain.exitCode, 0) << plain.err;
    EXPECT_EQ(Json(plain.out)["populations"].toArray()[0].toObject()["formulaBytes"].toInt(),
              FileContent(Path("p.qf")).size());
    ASSERT_EQ(RunCli({"--open-formula", Path("p.qf"), "--save-output", Path("p2.txt")}).exitCode,
              0);
    EXPECT_EQ(FileContent(Path("p2.txt")), FileContent(Path("p.txt")));

    QByteArray damaged = bytes;
    damaged[damaged.size() / 2] = static_cast<char>(damaged[damaged.size() / 2] ^ 4);
    QFile out(Path("damaged.qf"));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(damaged);
    out.close();
    for (const auto& [name, why] : std::vector<std::pair<QString, std::string>>{
             {Path("edge.png"), "it is not a formula file"},
             {Path("damaged.qf"), "its check sum does not match: it is damaged"}}) {
        const CliResult refused = RunCli({"--open-formula", name, "--save-output", Path("x.txt")});
        EXPECT_EQ(refused.exitCode, 1);
        EXPECT_EQ(refused.err, "--open-formula: cannot read the formula file '" +
                                   name.toStdString() + "': " + why + "\n");
    }
    const CliResult tooSmall =
        RunCli(SmallRun() + image + QStringList{"--budget", "5", "--save-formula", Path("s.qf")});
    EXPECT_EQ(tooSmall.exitCode, 1);
    EXPECT_NE(tooSmall.err.find("--budget: no formula file of the grid fits in 5 bytes"),
              std::string::npos)
        << tooSmall.err;
    EXPECT_FALSE(QFile::exists(Path("s.qf")));
}

TEST_F(EndToEnd, PicturesBecomeGridsAndBadOnesAreRefusedNamingTheFile) {
    // Columns of grey 0, 60, 120, 180 over two rows: cropped, columns 1 and 2.
    QImage picture(4, 2, QImage::Format_Grayscale8);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            picture.scanLine(y)[x] = static_cast<uchar>(60 * x);
    ASSERT_TRUE(picture.save(Path("p.png")));
    const float one = static_cast<float>(2 * 60 / 255.0 - 1);
    const float two = static_cast<float>(2 * 120 / 255.0 - 1);
    EXPECT_EQ(SavedTraining({"--image", Path("p.png"), "--size", "2"}),
              (std::vector<float>{one, two, one, two}));
    const std::vector<float> stretched =
        SavedTraining({"--image", Path("p.png"), "--size", "2", "--image-fit", "stretch"});
    EXPECT_EQ(stretched[1], static_cast<float>(2 * 150 / 255.0 - 1));

    const CliResult run =
        RunCli(SmallRun() + QStringList{"--image", Path("p.png"), "--validation-image",
                                        Path("p.png"), "--validation-size", "3"});
    EXPECT_EQ(run.exitCode, 0) << run.err;

    WriteText(Path("cut.png"), "\x89PNG\r\n\x1a\n");
    const CliResult cut = RunCli({"--image", Path("cut.png")});
    EXPECT_EQ(cut.exitCode, 1);
    // What the PNG library says is part of the one line.
    EXPECT_EQ(cut.err, "--image: Cannot read the picture " + Path("cut.png").toStdString() +
                           ": it is damaged or cut short (libpng error: Read Error)\n");
    const CliResult both = RunCli({"--data", Path("p.png"), "--image", Path("p.png")});
    EXPECT_EQ(both.exitCode, 2);
    EXPECT_EQ(both.err, "--image: cannot be combined with --data\n");
}

TEST_F(EndToEnd, NoiseIsDrawnFromTheGeneratorAsItIsAtStart) {
    const std::vector<float> saved =
        SavedTraining({"--pattern", "line", "--size", "6", "--noise", "0.5", "--seed", "3"});
    RandomGenerator atStart;
    DataGrid expected = GeneratePattern(PatternIndex("line"), 6);
    AddNoise(expected, 0.5f, atStart);
    EXPECT_EQ(saved, expected.Cells());
    EXPECT_NE(saved, GeneratePattern(PatternIndex("line"), 6).Cells());
}

TEST_F(EndToEnd, ValidationFollowsTheNoisyTrainingGrid) {
    const CliResult result =
        RunCli(SmallRun() + QStringList{"--pattern", "circle", "--noise", "1", "--json", "-"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const QJsonArray history = Json(result.out)["populations"][0]["history"].toArray();
    ASSERT_EQ(history.size(), 3);
    for (const QJsonValue& step : history)
        EXPECT_EQ(step["validation"], step["training"]);

    const CliResult separate =
        RunCli(SmallRun() + QStringList{"--pattern", "circle", "--validation-pattern", "cup",
                                        "--validation-noise", "0.3", "--json", "-"});
    ASSERT_EQ(separate.exitCode, 0) << separate.err;
    const QJsonValue step = Json(separate.out)["populations"][0]["history"][0];
    EXPECT_NE(step["validation"], step["training"]);
}

TEST_F(EndToEnd, SeededRunsAreReproducibleAndPrintTheMemo) {
    const QStringList arguments =
        SmallRun() + QStringList{"--pattern",     "cup", "--populations", "2",
                                 "--generations", "3,5", "--output-name", "Out"};
    const CliResult first = RunCli(arguments + QStringList{"--json", Path("run.json")});
    const CliResult again = RunCli(arguments + QStringList{"--json", "-"});
    ASSERT_EQ(first.exitCode, 0) << first.err;
    QFile saved(Path("run.json"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll().toStdString(), again.out);

    const QJsonObject run = Json(again.out);
    const QJsonArray populations = run["populations"].toArray();
    ASSERT_EQ(populations.size(), 2);
    const std::string best1 = populations[0]["best"].toString().toStdString();
    const std::string best2 = populations[1]["best"].toString().toStdString();
    EXPECT_EQ(populations[0]["history"].toArray().size(), 3);
    EXPECT_EQ(populations[1]["history"].toArray().size(), 5);
    EXPECT_EQ(populations[1]["history"][4]["generation"].toInt(), 4);
    EXPECT_EQ(populations[1]["seed"].toInteger(), 7);
    EXPECT_EQ(populations[1]["generations"].toInt(), 5);
    EXPECT_EQ(best1.rfind("Out=", 0), 0u);
    const std::string memo = "[Population No1]\r\n" + best1 + "\r\n\r\n[Population No2]\r\n" +
                             best2 + "\r\n\r\n\r\n\r\n";
    EXPECT_EQ(run["memo"].toString().toStdString(), memo);
    EXPECT_EQ(first.out, memo);
}

TEST_F(EndToEnd, EquivalentSettingsGiveTheSameRun) {
    const QStringList base = SmallRun() + QStringList{"--pattern", "line2", "--json", "-"};
    auto run = [&](const QStringList& extra) { return RunCli(base + extra).out; };
    EXPECT_EQ(run({"--functions", "/,*,-,+"}), run({}));
    EXPECT_EQ(run({"--elite", "off"}), run({"--elite", "0"}));
    EXPECT_EQ(run({"--crossover", "0.7"}), run({"--crossover", "0.70000001"}));
    const CliResult none = RunCli(base + QStringList{"--functions", ""});
    EXPECT_EQ(none.err, "You must use 1 function at least.\n");
    EXPECT_EQ(none.out, run({"--functions", "+"}));
}

TEST_F(EndToEnd, EvaluatorAndThreadsNeverChangeTheRun) {
    const QStringList base =
        SmallRun() +
        QStringList{"--pattern",          "S curve", "--populations", "2",      "--functions",
                    "+,-,*,/,sin,ln,if<", "--range", "-10,10",        "--json", "-"};
    const CliResult reference = RunCli(base + QStringList{"--evaluator", "reference"});
    ASSERT_EQ(reference.exitCode, 0) << reference.err;
    for (const char* threads : {"1", "2", "5"})
        EXPECT_EQ(RunCli(base + QStringList{"--threads", threads}).out, reference.out) << threads;
    EXPECT_EQ(RunCli(base + QStringList{"--evaluator", "fast"}).err,
              "--evaluator: not an evaluator (batch, reference): 'fast'\n");
    EXPECT_EQ(RunCli(base + QStringList{"--threads", "0"}).exitCode, 2);

    // The fast arithmetic: its own figures, the same on any number of threads.
    const QStringList fast = base + QStringList{"--arithmetic", "fast"};
    const CliResult one = RunCli(fast + QStringList{"--threads", "1"});
    ASSERT_EQ(one.exitCode, 0) << one.err;
    EXPECT_NE(one.out, reference.out);
    for (const char* threads : {"2", "5"})
        EXPECT_EQ(RunCli(fast + QStringList{"--threads", threads}).out, one.out) << threads;
}

TEST_F(EndToEnd, LargeGridsRunInBoundedMemory) {
    // A 1024 x 1024 grid is a million cases: the run's memory grows with them
    // linearly, a few dozen bytes a case, far below 1 GiB.
    QProcess timed;
    timed.start("/usr/bin/time", {"-f",
                                  "%M",
                                  "-o",
                                  Path("peak.txt"),
                                  QStringLiteral(QUBA_CLI_PATH),
                                  "--pattern",
                                  "circle",
                                  "--size",
                                  "1024",
                                  "--population-size",
                                  "100",
                                  "--generations",
                                  "1",
                                  "--arithmetic",
                                  "fast",
                                  "--seed",
                                  "1",
                                  "--quiet",
                                  "--json",
                                  Path("run.json")});
    ASSERT_TRUE(timed.waitForFinished(300000));
    ASSERT_EQ(timed.exitCode(), 0) << timed.readAllStandardError().toStdString();
    QFile record(Path("run.json"));
    ASSERT_TRUE(record.open(QIODevice::ReadOnly));
    EXPECT_EQ(Json(record.readAll().toStdString())["populations"][0]["rawBytes"].toInteger(),
              1024 * 1024);
    const std::vector<float> peakKilobytes = ReadFloats(Path("peak.txt"));
    ASSERT_EQ(peakKilobytes.size(), 1u);
#ifndef QUBA_SANITIZED // the sanitizers' shadow memory is not the program's
    EXPECT_LT(peakKilobytes[0], 256 * 1024) << "peak KiB";
#endif
}

TEST_F(EndToEnd, TimingReportsWhereTheTimeWent) {
    const CliResult result = RunCli(SmallRun() + QStringList{"--pattern", "cup", "--timing"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.err.find("timing: evaluation "), std::string::npos) << result.err;
    EXPECT_NE(result.err.find(" s of processor time), pictures"), std::string::npos);
    EXPECT_NE(result.err.find(" per second of evaluation, "), std::string::npos);
    EXPECT_NE(result.err.find(" per processor second\n"), std::string::npos);
    EXPECT_NE(result.err.find("timing: exact arithmetic, "), std::string::npos);
    const CliResult fast =
        RunCli(SmallRun() + QStringList{"--pattern", "cup", "--timing", "--arithmetic", "fast"});
    EXPECT_NE(fast.err.find("timing: fast arithmetic on " + FastArithmeticTarget() + ", "),
              std::string::npos)
        << fast.err;
}

TEST_F(EndToEnd, WithoutAStepNothingIsBest) {
    const CliResult result = RunCli(
        SmallRun() + QStringList{"--pattern", "line", "--generations", "0", "--json", "-",
                                 "--best-image", Path("b.png"), "--export", "c:" + Path("f.c"),
                                 "--render", Path("r.png"), "--save-output", Path("o.txt")});
    EXPECT_EQ(result.exitCode, 0);
    const QJsonObject run = Json(result.out);
    EXPECT_EQ(run["memo"].toString(), "");
    const QJsonObject population = run["populations"][0].toObject();
    EXPECT_EQ(population["history"].toArray().size(), 0);
    EXPECT_EQ(population["best"].toString(), "");
    EXPECT_EQ(population["rawBytes"].toInt(), 64);
    EXPECT_TRUE(population["formulaBytes"].isNull());
    EXPECT_TRUE(population["psnr"].isNull());
    for (const char* file : {"b.png", "f.c", "r.png", "o.txt"})
        EXPECT_FALSE(QFile::exists(Path(file))) << file;
    for (const char* option : {"--best-image", "--export", "--render"})
        EXPECT_NE(result.err.find(option), std::string::npos) << option;
}

TEST_F(EndToEnd, RefusalsExitWithStatusTwoAndOneLine) {
    const std::vector<std::pair<QStringList, std::string>> cases = {
        {{"--pattern", "cup", "--crossover", "abc"}, "--crossover: not a number: 'abc'\n"},
        {{"--pattern", "cup", "--crossover", "0.8", "--mutation", "0.3"},
         "--crossover: The sum of operation rate must be 1.0\n"},
        {{"--pattern", "cup", "--max-length", "50"},
         "--max-length: Maximum length must be at least 70.\n"},
        {{"--size", "4"},
         "--pattern/--data/--image: You must load data set for training before GP run.\n"},
    };
    for (const auto& [arguments, line] : cases) {
        const CliResult result = RunCli(arguments);
        EXPECT_EQ(result.exitCode, 2) << line;
        EXPECT_EQ(result.err, line);
        EXPECT_EQ(result.out, "");
    }
}

TEST_F(EndToEnd, TheTrainingGridIsSavedBeforeTheSettingsAreChecked) {
    const CliResult result = RunCli({"--pattern", "cup", "--size", "2", "--save-training",
                                     Path("t.txt"), "--function-ratio", "0.9"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(ReadFloats(Path("t.txt")).size(), 4u);
}

TEST_F(EndToEnd, BestImageIsAPngOfTheColourMap) {
    const CliResult result = RunCli(SmallRun() + QStringList{"--pattern", "S curve", "--best-image",
                                                             Path("b.png"), "--image-size", "64"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const QImage image(Path("b.png"), "PNG");
    ASSERT_EQ(image.size(), QSize(64, 64));
    // 8 cells on 64 pixels: 8 x 8 squares of one colour each, red-green or green-blue.
    for (int x = 0; x < 64; ++x)
        for (int y = 0; y < 64; ++y) {
            const QRgb pixel = image.pixel(x, y);
            EXPECT_EQ(pixel, image.pixel(x / 8 * 8, y / 8 * 8));
            const bool redGreen = qBlue(pixel) == 0 && qRed(pixel) + qGreen(pixel) == 255;
            const bool greenBlue = qRed(pixel) == 0 && qGreen(pixel) + qBlue(pixel) == 255;
            EXPECT_TRUE(redGreen || greenBlue || pixel == qRgb(0, 0, 0));
        }
}

TEST_F(EndToEnd, ProgressGoesToStandardErrorOnceAStep) {
    QStringList arguments = SmallRun();
    arguments.removeAll("--quiet");
    const CliResult result = RunCli(arguments + QStringList{"--pattern", "cup"});
    ASSERT_EQ(result.exitCode, 0);
    std::istringstream lines(result.err);
    int count = 0;
    for (std::string line; std::getline(lines, line); ++count)
        EXPECT_EQ(line.rfind("No1: " + std::to_string(count + 1) + " / 3  training ", 0), 0u)
            << line;
    EXPECT_EQ(count, 3);
}

TEST_F(EndToEnd, WithoutSeedEveryPopulationGetsTheCalendarTime) {
    const auto before = static_cast<qint64>(std::time(nullptr));
    const CliResult result = RunCli({"--pattern", "cup", "--size", "4", "--population-size", "20",
                                     "--generations", "1", "--populations", "2", "--json", "-"});
    const auto after = static_cast<qint64>(std::time(nullptr));
    for (const QJsonValue population : Json(result.out)["populations"].toArray()) {
        EXPECT_GE(population["seed"].toInteger(), before);
        EXPECT_LE(population["seed"].toInteger(), after);
    }
}

TEST_F(EndToEnd, InterruptEndsTheRunAndKeepsWhatWasRecorded) {
    QProcess process;
    process.start(QStringLiteral(QUBA_CLI_PATH),
                  {"--pattern", "circle", "--population-size", "500", "--generations", "100000",
                   "--seed", "1", "--json", Path("run.json"), "--best-image", Path("b.png")});
    process.setReadChannel(QProcess::StandardError);
    ASSERT_TRUE(process.waitForReadyRead(30000));
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 130);
    QFile saved(Path("run.json"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QJsonObject run = QJsonDocument::fromJson(saved.readAll()).object();
    const qsizetype steps = run["populations"][0]["history"].toArray().size();
    EXPECT_GE(steps, 1);
    EXPECT_LT(steps, 100000);
    EXPECT_EQ(process.readAllStandardOutput().toStdString(), run["memo"].toString().toStdString());
    EXPECT_TRUE(QFile::exists(Path("b.png")));
}

TEST_F(EndToEnd, TheUsersLocaleDoesNotChangeTheNumbers) {
    // A locale with a decimal comma, built here when the system has none installed.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    QProcess localedef;
    localedef.start("localedef", {"-i", "de_DE", "-f", "UTF-8", Path("de_DE.UTF-8")});
    if (!localedef.waitForFinished(30000) || localedef.exitCode() != 0)
        GTEST_SKIP() << "no localedef to build a decimal-comma locale";
    environment.insert("LOCPATH", Path(""));
    environment.insert("LC_ALL", "de_DE.UTF-8");

    const QStringList arguments = SmallRun() + QStringList{"--pattern", "cup", "--json", "-"};
    QProcess german;
    german.setProcessEnvironment(environment);
    german.start(QStringLiteral(QUBA_CLI_PATH), arguments);
    ASSERT_TRUE(german.waitForFinished(60000));
    EXPECT_EQ(german.readAllStandardOutput().toStdString(), RunCli(arguments).out);
}
