// The best programs out of a run on a picture: the C export compiled with gcc
// gives the saved output bit for bit, the redraw shows it on cell centres,
// and the record's figures follow from its errors.
#include "cli_process.h"

#include "data/rendering.h"

#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <sstream>

using namespace quba;

namespace {

// Prints the bits of F(X, Y) at the cells of an n x n grid, row by row, with
// the cells' coordinates as the README gives them.
constexpr const char* kDriver = R"(
#include <stdio.h>
#include <string.h>
int main(void)
{
    const int n = SIDE;
    const float h = (float)(n / 2);
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c) {
            float x = (float)(((long double)c - h + 0.5L) / h);
            float y = (float)(((long double)r - h + 0.5L) / h);
            float v = FUNCTION(x, y);
            unsigned b;
            memcpy(&b, &v, 4);
            printf("%u\n", b);
        }
    return 0;
}
)";

uint32_t Bits(float value) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

class FormulaOutputs : public testing::Test {
protected:
    void SetUp() override {
        // A ramp with a bright disc: something for the formulas to fit.
        QImage picture(32, 32, QImage::Format_Grayscale8);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                picture.scanLine(y)[x] = static_cast<uchar>(
                    (x - 20) * (x - 20) + (y - 12) * (y - 12) < 50 ? 250 : 6 * x);
        ASSERT_TRUE(picture.save(Path("p.png")));
    }
    QString Path(const char* name) const { return folder_.filePath(name); }

    // Compiles the C export with a driver calling `function` on a side x side
    // grid and returns the values it printed.
    std::vector<float> CompiledValues(const std::string& function, int side) const {
        QFile driver(Path("main.c"));
        EXPECT_TRUE(driver.open(QIODevice::WriteOnly));
        driver.write(("#define SIDE " + std::to_string(side) + "\n#define FUNCTION " + function +
                      "\nfloat FUNCTION(float, float);\n" + kDriver)
                         .c_str());
        driver.close();
        QProcess gcc;
        gcc.start(QStringLiteral(QUBA_TEST_C_COMPILER),
                  {"-std=c99", "-O2", Path("f.c"), Path("main.c"), "-lm", "-o", Path("f")});
        gcc.waitForFinished(60000);
        EXPECT_EQ(gcc.exitCode(), 0) << gcc.readAllStandardError().toStdString();
        QProcess program;
        program.start(Path("f"));
        program.waitForFinished(60000);
        std::istringstream lines(program.readAllStandardOutput().toStdString());
        std::vector<float> values;
        for (uint32_t bits = 0; lines >> bits;) {
            float value = 0;
            std::memcpy(&value, &bits, sizeof value);
            values.push_back(value);
        }
        return values;
    }

private:
    QTemporaryDir folder_;
};

} // namespace

// The plain search, and the one that scales and tunes: the exports, the
// redraw and the figures follow the run either way.
class FormulaOutputsOfEverySearch : public FormulaOutputs,
                                    public ::testing::WithParamInterface<QStringList> {};

TEST_P(FormulaOutputsOfEverySearch, CodeRedrawAndFiguresAgreeWithTheRun) {
    const QStringList arguments =
        SmallRun() + GetParam() +
        QStringList{"--image",       Path("p.png"),
                    "--size",        "9",
                    "--populations", "3",
                    "--generations", "4",
                    "--functions",   "+,-,*,/,sin,cos,tan,ln,log10,sqrt,if>,if<",
                    "--range",       "-5,5"};
    const CliResult result =
        RunCli(arguments + QStringList{"--json", "-", "--export", "c:" + Path("f.c"), "--export",
                                       "latex:" + Path("f.tex"), "--save-output", Path("out.txt"),
                                       "--render", Path("r.png"), "--render-size", "27"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const QJsonArray populations =
        QJsonDocument::fromJson(QByteArray::fromStdString(result.out))["populations"].toArray();
    ASSERT_EQ(populations.size(), 3);

    // The figures follow from the record's errors; the pick is the lowest
    // training error, the lowest number on a tie.
    int picked = 0;
    double lowest = INFINITY;
    for (int i = 0; i < 3; ++i) {
        const QJsonObject population = populations[i].toObject();
        const QJsonObject last = population["history"].toArray().last().toObject();
        const double training = last["training"].toDouble();
        EXPECT_EQ(population["rawBytes"].toInt(), 81);
        const double bytes = population["formulaBytes"].toDouble();
        EXPECT_GT(bytes, 0);
        EXPECT_DOUBLE_EQ(population["compressionRatio"].toDouble(), 81 / bytes);
        EXPECT_NEAR(population["psnr"].toDouble(), 10 * std::log10(4 / training), 1e-9);
        EXPECT_NEAR(population["validationPsnr"].toDouble(),
                    10 * std::log10(4 / last["validation"].toDouble()), 1e-9);
        if (training < lowest) {
            lowest = training;
            picked = i;
        }
    }

    const std::vector<float> saved = ReadFloats(Path("out.txt"));
    ASSERT_EQ(saved.size(), 81u);
    const std::vector<float> compiled = CompiledValues("C_" + std::to_string(picked + 1), 9);
    ASSERT_EQ(compiled.size(), 81u);
    const QImage render(Path("r.png"), "PNG");
    ASSERT_EQ(render.size(), QSize(27, 27));
    for (int k = 0; k < 81; ++k) {
        if (std::isnan(saved[k]))
            EXPECT_TRUE(std::isnan(compiled[k])) << k;
        else
            EXPECT_EQ(Bits(compiled[k]), Bits(saved[k])) << k;
        const Rgb grey = GreyOfValue(saved[k]);
        EXPECT_EQ(render.pixel(3 * (k % 9) + 1, 3 * (k / 9) + 1),
                  qRgb(grey.red, grey.green, grey.blue))
            << k;
    }
    QFile latex(Path("f.tex"));
    ASSERT_TRUE(latex.open(QIODevice::ReadOnly));
    EXPECT_EQ(latex.readAll().count("\\["), 3);

    // --pick chooses another population's program.
    const int other = (picked + 1) % 3;
    ASSERT_EQ(RunCli(arguments + QStringList{"--save-output", Path("other.txt"), "--pick",
                                             QString::number(other + 1)})
                  .exitCode,
              0);
    const std::vector<float> otherSaved = ReadFloats(Path("other.txt"));
    const std::vector<float> otherCompiled = CompiledValues("C_" + std::to_string(other + 1), 9);
    ASSERT_EQ(otherCompiled.size(), otherSaved.size());
    for (size_t k = 0; k < otherSaved.size(); ++k)
        EXPECT_TRUE(Bits(otherCompiled[k]) == Bits(otherSaved[k]) ||
                    (std::isnan(otherCompiled[k]) && std::isnan(otherSaved[k])));
}

INSTANTIATE_TEST_SUITE_P(Searches, FormulaOutputsOfEverySearch,
                         ::testing::Values(QStringList{},
                                           QStringList{"--linear-scaling", "--tune-constants", "5",
                                                       "--tune-programs", "3"}));

TEST_F(FormulaOutputs, FrontsAreRecordedAndExportedAndLeaveTheRunAsItIs) {
    const QStringList arguments =
        SmallRun() + QStringList{"--image",       Path("p.png"), "--populations", "2",
                                 "--generations", "6",           "--json",        "-"};
    const CliResult with =
        RunCli(arguments + QStringList{"--export", "front-c:" + Path("front.c")});
    const CliResult without = RunCli(arguments + QStringList{"--no-front"});
    ASSERT_EQ(with.exitCode, 0) << with.err;
    ASSERT_EQ(without.exitCode, 0) << without.err;
    QJsonObject record = QJsonDocument::fromJson(QByteArray::fromStdString(with.out)).object();
    const QJsonArray populations = record["populations"].toArray();

    QFile code(Path("front.c"));
    ASSERT_TRUE(code.open(QIODevice::ReadOnly));
    const QString c = QString::fromUtf8(code.readAll());
    QJsonArray stripped;
    for (int i = 0; i < 2; ++i) {
        QJsonObject population = populations[i].toObject();
        const QJsonArray front = population["front"].toArray();
        ASSERT_FALSE(front.isEmpty());
        for (const QJsonValue& value : front) {
            const QJsonObject member = value.toObject();
            EXPECT_EQ(member.keys(),
                      QStringList({"best", "exact", "formulaBytes", "generation", "length", "nodes",
                                   "psnr", "training", "validation"}));
            EXPECT_EQ(member["nodes"].toArray().size(), member["length"].toInt());
            EXPECT_TRUE(member["best"].toString().startsWith("C="));
            EXPECT_NEAR(member["psnr"].toDouble(),
                        10 * std::log10(4 / member["training"].toDouble()), 1e-9);
            const QString function = QString("float C_%1_L%2(float X, float Y)")
                                         .arg(i + 1)
                                         .arg(member["length"].toInt());
            EXPECT_TRUE(c.contains(function)) << function.toStdString();
        }
        // The front by bytes: sizes rise and errors fall.
        const QJsonArray bytesFront = population["bytesFront"].toArray();
        ASSERT_FALSE(bytesFront.isEmpty());
        for (qsizetype k = 1; k < bytesFront.size(); ++k) {
            EXPECT_GT(bytesFront[k]["formulaBytes"].toInt(),
                      bytesFront[k - 1]["formulaBytes"].toInt());
            EXPECT_LT(bytesFront[k]["training"].toDouble(),
                      bytesFront[k - 1]["training"].toDouble());
        }
        // Without the fronts the record is the same, less the fronts.
        population.remove("front");
        population.remove("bytesFront");
        stripped.append(population);
    }
    record["populations"] = stripped;
    EXPECT_EQ(record, QJsonDocument::fromJson(QByteArray::fromStdString(without.out)).object());
}

// The exact texts of the record are the programs: evaluated as written (here
// by Python, in double, over the saved training grid) every best program and
// every member of both fronts gives the recorded training error. A text with
// rounded constants misses it by far more than the tolerance.
TEST_F(FormulaOutputs, ExactTextsReproduceTheRecordedErrors) {
    const CliResult run = RunCli({"--image",
                                  Path("p.png"),
                                  "--size",
                                  "12",
                                  "--functions",
                                  "+,-,*",
                                  "--linear-scaling",
                                  "--tune-constants",
                                  "3",
                                  "--populations",
                                  "2",
                                  "--population-size",
                                  "150",
                                  "--generations",
                                  "8",
                                  "--seed",
                                  "5",
                                  "--quiet",
                                  "--json",
                                  Path("run.json"),
                                  "--save-training",
                                  Path("grid.txt")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    QFile script(Path("check.py"));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(R"(import json, sys
import numpy as np
folder = sys.argv[1]
rows = [l.split() for l in open(folder + "/grid.txt") if l.strip() and not l.startswith("QUBA")]
target = np.array([[float(v) for v in r] for r in rows])
n = target.shape[0]
h = n // 2
c = (np.arange(n) - h + 0.5) / h
X, Y = np.meshgrid(c, c)
record = json.load(open(folder + "/run.json"))
checked = bad = 0
for population in record["populations"]:
    members = population["front"] + population["bytesFront"]
    members.append({"exact": population["exact"], "training": population["history"][-1]["training"]})
    for m in members:
        value = eval(m["exact"].split("=", 1)[1], {"X": X, "Y": Y}) * np.ones_like(X)
        error = float(np.mean((value - target) ** 2))
        checked += 1
        if abs(error - m["training"]) > 1e-5 * m["training"] + 1e-9:
            bad += 1
            print("differs:", m["exact"], error, m["training"])
print("checked", checked, "bad", bad)
sys.exit(1 if bad or checked < 4 else 0)
)");
    script.close();
    QProcess python;
    python.start(QStringLiteral(QUBA_TEST_PYTHON), {Path("check.py"), Path("")});
    ASSERT_TRUE(python.waitForFinished(60000));
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardOutput().toStdString()
                                    << python.readAllStandardError().toStdString();
}
