// The C export compiled with gcc: on random programs of every function set,
// the failing ones included, it gives the engine's output bit for bit.
#include "codec/decode.h"
#include "tests/codec/random_files.h"
#include "tests/export/tools.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <sstream>

using namespace quba;

namespace {

// A main() that prints, for every function, the bits of its value at every
// training case, the cases' coordinates given as bits too.
std::string Driver(const Problem& problem, const std::vector<ExportItem>& items) {
    std::ostringstream c;
    c << "\n#include <stdio.h>\n#include <string.h>\n";
    auto bitsArray = [&](const char* name, const std::vector<float>& values) {
        c << "static const unsigned " << name << "[] = {";
        for (float value : values)
            c << BitsOf(value) << "u,";
        c << "};\n";
    };
    bitsArray("drive_x", problem.trainingX);
    bitsArray("drive_y", problem.trainingY);
    c << "static float (*const drive_all[])(float, float) = {";
    for (const ExportItem& item : items)
        c << item.name << ",";
    c << "};\nint main(void)\n{\n    for (unsigned f = 0; f < " << items.size()
      << "; ++f) {\n        for (unsigned k = 0; k < " << problem.trainingCount
      << "; ++k) {\n            float x, y, v;\n            unsigned b;\n"
         "            memcpy(&x, &drive_x[k], 4);\n            memcpy(&y, &drive_y[k], 4);\n"
         "            v = drive_all[f](x, y);\n            memcpy(&b, &v, 4);\n"
         "            printf(\"%u \", b);\n        }\n        printf(\"\\n\");\n    }\n"
         "    return 0;\n}\n";
    return c.str();
}

// Compiles the items' C with a driver, runs it and compares every value with
// the engine's; returns how many cases failed.
int CompareCompiledWithEngine(ScopedProblem& scope, const std::vector<ExportItem>& items) {
    ToolFolder folder;
    folder.Write("formulas.c", ExportC(items) + Driver(scope.problem(), items));
    const std::string source = folder.Path("formulas.c");
    const std::string program = folder.Path("formulas");
    const ToolResult built = RunTool(QUBA_TEST_C_COMPILER, {"-std=c99", "-O2", "-Wall", "-Werror",
                                                            source, "-lm", "-o", program});
    EXPECT_EQ(built.status, 0) << built.output;
    const ToolResult ran = RunTool(program, {});
    EXPECT_EQ(ran.status, 0) << ran.output;

    const Problem& p = scope.problem();
    std::istringstream lines(ran.output);
    std::vector<float> expected(p.trainingCount);
    int failures = 0;
    for (const ExportItem& item : items) {
        CaseOutputs(scope.evaluators, p, item.program.nodes.data(), p.TrainingCases(),
                    expected.data(), item.program.scaling);
        for (int32_t k = 0; k < p.trainingCount; ++k) {
            uint32_t bits = 0;
            if (!(lines >> bits)) {
                ADD_FAILURE() << "no value of " << item.name << " case " << k;
                return failures;
            }
            const float actual = FloatOfBits(bits);
            failures += std::isnan(expected[k]) ? 1 : 0;
            if (std::isnan(expected[k]) ? !std::isnan(actual) : bits != BitsOf(expected[k])) {
                ADD_FAILURE() << item.name << " case " << k << ": engine " << expected[k] << ", C "
                              << actual;
                return failures;
            }
        }
    }
    return failures;
}

class CExportTest : public ::testing::TestWithParam<Workload> {};

TEST_P(CExportTest, CompiledWithGccGivesTheEnginesOutputBitForBit) {
    const Workload& w = GetParam();
    ProblemValues values = ValuesOf(w, RandomGrid(12, 77), 60);
    ScopedProblem scope(values);
    std::vector<ExportItem> items = RandomItems(scope, 120, 80, 4321);
    // A name with a comment end and a line break stays inside its comment.
    items[0].program.text = "F=*/ broken\nline";
    const int failures = CompareCompiledWithEngine(scope, items);
    if (w.expectFailures) {
        EXPECT_GT(failures, 0);
    }
}

TEST(CExport, ProtectedRulesAtTheirEdgesGiveTheEnginesOutput) {
    ScopedProblem scope(EdgeValues());
    EXPECT_GT(CompareCompiledWithEngine(scope, EdgeItems(scope)), 0);
}

TEST(CExport, ScalingAndConstantsOfTheirOwnGiveTheEnginesOutput) {
    // Own constants of any float value, where a decimal of few digits would
    // not do, and scalings of every kind, the constant one included.
    ScopedProblem scope(
        ValuesOf(Workload{{0, 1, 2, 3, 4, 5, 10}, "-2", "2"}, RandomGrid(9, 3), 40));
    std::vector<ExportItem> items = RandomItems(scope, 60, 40, 99);
    std::mt19937 random(5);
    std::uniform_real_distribution<float> value(-3, 3);
    const std::vector<Scaling> scalings = {{0.1f, 3.0f}, {-1e-7f, 1e4f}, {0.75f, 0}, {2, -0.3f}};
    for (size_t i = 0; i < items.size(); ++i) {
        BestProgram& program = items[i].program;
        for (int32_t& code : program.nodes)
            if (scope.problem().nodeTable[static_cast<size_t>(code)].type == NodeType::Constant)
                code = AddOwnConstant(scope.problem(), std::nextafter(value(random), 10.0f));
        if (i % 5 != 4)
            program.scaling = scalings[i % scalings.size()];
    }
    CompareCompiledWithEngine(scope, items);
}

TEST(CExport, AFormulaFileIsOneFunctionOfTheCellThatGivesTheDecodedGrid) {
    std::mt19937 random(31);
    for (int trial = 0; trial < 12; ++trial) {
        FormulaFile file;
        do
            file = RandomFormulaFile(random);
        while ((trial % 3 == 0 && !file.cosines) ||
               (!file.Layered() && file.blocks.size() < 2 && file.blocks[0].stages.size() < 2));
        FitnessEvaluators evaluators(EvaluationOptions{EvaluatorKind::Batch, 2});
        const DataGrid decoded = DecodeFormulaFile(file, evaluators);
        const int32_t side = file.side;
        const std::string driver =
            "\n#include <stdio.h>\n#include <string.h>\nint main(void)\n{\n    for (int r = 0; r "
            "< " +
            std::to_string(side) + "; ++r)\n        for (int c = 0; c < " + std::to_string(side) +
            "; ++c) {\n            float v = C(r, c);\n            unsigned b;\n            "
            "memcpy(&b, &v, 4);\n            printf(\"%u \", b);\n        }\n    return 0;\n}\n";
        ToolFolder folder;
        folder.Write("file.c", ExportFileText(ExportFormat::C, file, "C") + driver);
        const ToolResult built =
            RunTool(QUBA_TEST_C_COMPILER, {"-std=c99", "-O2", "-Wall", folder.Path("file.c"), "-lm",
                                           "-o", folder.Path("file")});
        ASSERT_EQ(built.status, 0) << built.output;
        const ToolResult ran = RunTool(folder.Path("file"), {});
        std::istringstream values(ran.output);
        for (float expected : decoded.Cells()) {
            uint32_t bits = 0;
            ASSERT_TRUE(values >> bits) << trial;
            const float actual = FloatOfBits(bits);
            if (std::isnan(expected) ? !std::isnan(actual) : bits != BitsOf(expected)) {
                ADD_FAILURE() << trial << ": decoded " << expected << ", C " << actual;
                break;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    FunctionSets, CExportTest,
    ::testing::Values(Workload{{0, 1, 2, 3}, "-1", "1"},
                      Workload{{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, "-10", "10"},
                      Workload{{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, "-1e12", "1e12", true},
                      Workload{{2, 3, 4, 7, 10}, "-1e30", "1e30", true},
                      Workload{{2, 6, 9, 11}, "-1e20", "1e20", true},
                      Workload{{0, 2, 8}, "-3", "3"}));

} // namespace
