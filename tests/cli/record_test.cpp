#include "cli/parse_arguments.h"
#include "cli/progress_reporter.h"
#include "cli/run_record.h"
#include "cli/run_recorder.h"
#include "tests/core/grids.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <limits>
#include <memory>
#include <sstream>

#include <gtest/gtest.h>

using namespace quba;

namespace {

QJsonValue ReadBack(const QJsonValue& value) {
    const QByteArray text = QJsonDocument(QJsonArray{value}).toJson();
    return QJsonDocument::fromJson(text).array()[0];
}

} // namespace

TEST(RunRecord, FloatsReadBackAsTheSameFloat) {
    const float inf = std::numeric_limits<float>::infinity();
    for (float value : {0.1f, 1.0f / 3.0f, 0.0119f, -2.5e-7f, std::numeric_limits<float>::max(),
                        std::numeric_limits<float>::denorm_min(), 0.0f})
        EXPECT_EQ(static_cast<float>(ReadBack(FloatJson(value)).toDouble()), value) << value;
    EXPECT_EQ(ReadBack(FloatJson(inf)).toString(), "inf");
    EXPECT_EQ(ReadBack(FloatJson(-inf)).toString(), "-inf");
    EXPECT_EQ(ReadBack(FloatJson(std::nanf(""))).toString(), "nan");
}

TEST(RunRecord, RecorderKeepsWhatEachStepPublished) {
    std::ostringstream err;
    ProgressReporter progress(err, ProgressMode::Quiet);
    RunRecorder recorder("Z", progress, [] { return false; });
    const SeedClock clock = recorder.RecordingClock(42u);
    EXPECT_EQ(clock(), 42u);
    EXPECT_EQ(clock(), 42u);
    StepReport step;
    step.population = 1;
    step.generations = 5;
    step.validationFitness = 0.5f;
    step.trainingFitness = 0.25f;
    step.averageLength = 12;
    step.bestLength = 7;
    step.bestText = "[Population No1]\r\nZ=X";
    step.trainingPicture = GridOf(2, {1, -1, 0, 0.5f});
    step.times = {1, 2, 3, 4};
    recorder.Stepped(step);
    recorder.Stepped(step);

    EXPECT_TRUE(recorder.History(0).empty());
    ASSERT_EQ(recorder.History(1).size(), 2u);
    EXPECT_EQ(recorder.History(1)[0].training, 0.25f);
    EXPECT_EQ(recorder.History(1)[0].bestLength, 7);
    EXPECT_EQ(recorder.Seeds(), (std::vector<uint32_t>{42, 42}));
    EXPECT_EQ(recorder.LastTrainingPicture()->At(1, 1), 0.5f);
    EXPECT_EQ(recorder.Memo(), "[Population No1]\r\nZ=X");
    EXPECT_EQ(recorder.Times().evaluationCpu, 4.0);
    EXPECT_EQ(recorder.Times().restCpu, 8.0);
    EXPECT_EQ(recorder.OutputName(), "Z");
    EXPECT_TRUE(recorder.KeepGoing());
    EXPECT_TRUE(err.str().empty());
}

TEST(RunRecord, JsonHoldsEveryPopulationEvenWithoutSteps) {
    const CliConfig config = ParseArguments({"quba-cli", "--pattern", "cup", "--populations", "2",
                                             "--generations", "0,2"})
                                 .config;
    std::ostringstream err;
    ProgressReporter progress(err, ProgressMode::Quiet);
    RunRecorder recorder("C", progress, [] { return false; });
    const SeedClock clock = recorder.RecordingClock(9u);
    clock();
    clock();
    // Two functions, the two variables and no constant: 4 symbols, 2 bits a node.
    auto problem = std::make_shared<Problem>();
    problem->functionCount = 2;
    problem->variableCount = 2;
    problem->trainingSide = 30;
    problem->nodeTable = {NodeEntry{1, "+"}, NodeEntry{1, "-"},
                          NodeEntry{-1, "X", nullptr, 0, NodeType::Variable},
                          NodeEntry{-1, "Y", nullptr, 1, NodeType::Variable}};
    BestProgram best;
    best.population = 1;
    best.text = "C=X";
    best.problem = problem;
    best.nodes = {0, 2, 3};
    best.trainingFitness = 0.04f;
    best.validationFitness = 0.0f;
    StepReport step;
    step.population = 1;
    step.validationFitness = 0.5f;
    step.trainingFitness = std::numeric_limits<float>::infinity();
    step.averageLength = 3;
    step.bestLength = 1;
    step.best = best;
    step.bestText = "\r\n\r\n[Population No2]\r\nC=X\r\n\r\n\r\n\r\n";
    recorder.Stepped(step);

    const QJsonObject root =
        QJsonDocument::fromJson(RunRecordJson(CollectRunRecord(config, recorder))).object();
    const QJsonArray populations = root["populations"].toArray();
    ASSERT_EQ(populations.size(), 2);
    const QJsonObject first = populations[0].toObject();
    EXPECT_EQ(first["number"].toInt(), 1);
    EXPECT_EQ(first["generations"].toInt(), 0);
    EXPECT_EQ(first["history"].toArray().size(), 0);
    EXPECT_EQ(first["best"].toString(), "");
    EXPECT_EQ(first["rawBytes"].toInt(), 900);
    for (const char* figure : {"formulaBytes", "compressionRatio", "psnr", "validationPsnr"})
        EXPECT_TRUE(first[figure].isNull()) << figure;
    const QJsonObject second = populations[1].toObject();
    EXPECT_EQ(second["seed"].toInteger(), 9);
    EXPECT_EQ(second["best"].toString(), "C=X");
    // The formula as it is, and its codes.
    EXPECT_EQ(second["exact"].toString(), "C= (X+Y) ");
    EXPECT_EQ(second["nodes"].toArray(), (QJsonArray{0, 2, 3}));
    // Its formula file: magic, 36 bits of fields, 3 codes of 2 bits, the CRC.
    EXPECT_EQ(second["formulaBytes"].toInt(), 12);
    EXPECT_EQ(second["compressionRatio"].toDouble(), 75.0);
    EXPECT_NEAR(second["psnr"].toDouble(), 20.0, 1e-6);
    EXPECT_EQ(second["validationPsnr"].toString(), "inf");
    const QJsonObject recorded = second["history"].toArray()[0].toObject();
    EXPECT_EQ(recorded["training"].toString(), "inf");
    EXPECT_EQ(recorded["validation"].toDouble(), 0.5);
    EXPECT_EQ(recorded["averageLength"].toInt(), 3);
    EXPECT_EQ(root["memo"].toString(), "\r\n\r\n[Population No2]\r\nC=X\r\n\r\n\r\n\r\n");
}

TEST(Progress, LinesPerStepOrOneRewritingLine) {
    std::ostringstream lines;
    ProgressReporter perStep(lines, ProgressMode::Lines);
    perStep.Step(0, 1, 20, 0.5f, 0.25f);
    perStep.Step(1, 12, 20, 0.125f, 0.0625f);
    perStep.Finish();
    EXPECT_EQ(lines.str(), "No1: 1 / 20  training 0.5  validation 0.25\n"
                           "No2: 12 / 20  training 0.125  validation 0.0625\n");

    std::ostringstream terminal;
    ProgressReporter rewriting(terminal, ProgressMode::SelfUpdating);
    rewriting.Step(0, 10, 10, 0.125f, 0.125f);
    rewriting.Step(0, 1, 10, 0.5f, 0.5f);
    rewriting.Finish();
    EXPECT_EQ(terminal.str(), "\rNo1: 10 / 10  training 0.125  validation 0.125"
                              "\rNo1: 1 / 10  training 0.5  validation 0.5     \n");
}
