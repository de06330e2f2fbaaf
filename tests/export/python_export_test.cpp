// The Python export run with NumPy: on random programs of every function
// set, on whole arrays and on scalars, it gives the engine's output within
// float tolerance, failures where the engine fails.
#include "codec/decode.h"
#include "tests/codec/random_files.h"
#include "tests/export/tools.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <random>
#include <sstream>

using namespace quba;

namespace {

std::string FloatTexts(const std::vector<float>& values) {
    std::string text;
    for (float value : values) {
        std::array<char, 32> buffer{};
        text.append(buffer.data(), std::to_chars(buffer.data(), buffer.data() + 32, value).ptr);
        text += '\n';
    }
    return text;
}

// Calls every function on the arrays of the cases' coordinates and prints the
// values, one a line; the first case once more with scalars.
std::string Driver(const std::vector<ExportItem>& items) {
    std::ostringstream py;
    py << "import sys\nimport numpy as np\nsys.path.insert(0, sys.argv[1])\nimport formulas\n"
          "x = np.loadtxt(sys.argv[1] + '/x.txt', dtype=np.float32).astype(np.float64)\n"
          "y = np.loadtxt(sys.argv[1] + '/y.txt', dtype=np.float32).astype(np.float64)\n"
          "for f in [";
    for (const ExportItem& item : items)
        py << "formulas." << item.name << ",";
    py << "]:\n    values = f(x, y)\n    assert values.shape == x.shape\n"
          "    scalar = f(float(x[0]), float(y[0]))\n"
          "    assert np.ndim(scalar) == 0\n"
          "    for v in list(values) + [scalar]:\n        print(repr(float(v)))\n";
    return py.str();
}

// Runs the items' Python with a driver and expects every value close to the
// engine's, a not-a-number where the engine's evaluation fails.
void ExpectPythonCloseToEngine(ScopedProblem& scope, const std::vector<ExportItem>& items) {
    const Problem& p = scope.problem();
    ToolFolder folder;
    folder.Write("formulas.py", ExportPython(items));
    folder.Write("drive.py", Driver(items));
    folder.Write("x.txt", FloatTexts(p.trainingX));
    folder.Write("y.txt", FloatTexts(p.trainingY));
    const ToolResult ran =
        RunTool(QUBA_TEST_PYTHON, {folder.Path("drive.py").string(), folder.Path("").string()});
    ASSERT_EQ(ran.status, 0) << ran.output;

    std::istringstream lines(ran.output);
    std::vector<float> expected(p.trainingCount);
    int apart = 0;
    std::string firstApart;
    for (const ExportItem& item : items) {
        CaseOutputs(scope.evaluators, p, item.program.nodes.data(), p.TrainingCases(),
                    expected.data());
        expected.push_back(expected[0]); // the scalar call
        for (float engine : expected) {
            std::string text;
            ASSERT_TRUE(lines >> text) << item.name;
            const double python = std::strtod(text.c_str(), nullptr);
            const double tolerance = 1e-5 * std::max(1.0, std::fabs(double{engine}));
            const bool close =
                std::isnan(engine) ? std::isnan(python) : std::fabs(python - engine) <= tolerance;
            if (!close && apart++ == 0)
                firstApart = item.name + ": engine " + std::to_string(engine) + ", Python " + text;
        }
        expected.pop_back();
    }
    EXPECT_EQ(apart, 0) << "first: " << firstApart;
}

class PythonExportTest : public ::testing::TestWithParam<Workload> {};

TEST_P(PythonExportTest, RunWithNumPyGivesTheEnginesOutputWithinFloatTolerance) {
    const Workload& w = GetParam();
    ProblemValues values = ValuesOf(w, RandomGrid(12, 78), 60);
    ScopedProblem scope(values);
    ExpectPythonCloseToEngine(scope, RandomItems(scope, 120, 80, 8765));
}

TEST(PythonExport, ProtectedRulesAtTheirEdgesGiveTheEnginesOutput) {
    ScopedProblem scope(EdgeValues());
    ExpectPythonCloseToEngine(scope, EdgeItems(scope));
}

TEST(PythonExport, AFormulaFileWithACoarseLayerRedrawsTheDecodedGrid) {
    // Samples and cosine series alone are drawn in double as the decoder
    // draws them: equal to the bit; under formulas, within the formulas'
    // float tolerance.
    std::mt19937 random(41);
    for (int trial = 0; trial < 8; ++trial) {
        FormulaFile file;
        do
            file = RandomFormulaFile(random);
        while (!(trial % 4 < 2 ? file.cosines.has_value() : file.samples.has_value()) ||
               (trial % 2 == 0) != file.blocks.empty());
        FitnessEvaluators evaluators(EvaluationOptions{EvaluatorKind::Batch, 2});
        const DataGrid decoded = DecodeFormulaFile(file, evaluators);
        ToolFolder folder;
        folder.Write("grid.py", ExportFileText(ExportFormat::Python, file, "C"));
        folder.Write("drive.py",
                     "import sys\nimport numpy as np\nsys.path.insert(0, sys.argv[1])\nimport "
                     "grid\nrows, columns = np.mgrid[0:" +
                         std::to_string(file.side) + ", 0:" + std::to_string(file.side) +
                         "]\nfor v in grid.C(rows, columns).ravel():\n    print(repr(float(v)))\n");
        const ToolResult ran =
            RunTool(QUBA_TEST_PYTHON, {folder.Path("drive.py").string(), folder.Path("").string()});
        ASSERT_EQ(ran.status, 0) << ran.output;
        std::istringstream lines(ran.output);
        for (float expected : decoded.Cells()) {
            std::string text;
            ASSERT_TRUE(lines >> text) << trial;
            const double python = std::strtod(text.c_str(), nullptr);
            const double tolerance =
                file.blocks.empty() ? 0 : 1e-5 * std::max(1.0, std::fabs(double{expected}));
            if (std::isnan(expected) ? !std::isnan(python)
                                     : !(std::fabs(python - expected) <= tolerance)) {
                ADD_FAILURE() << trial << ": decoded " << expected << ", Python " << text;
                break;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    FunctionSets, PythonExportTest,
    ::testing::Values(Workload{{0, 1, 2, 3}, "-1", "1"},
                      Workload{{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, "-10", "10"},
                      Workload{{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, "-1e12", "1e12"},
                      Workload{{2, 3, 4, 7, 10}, "-1e30", "1e30"},
                      Workload{{2, 6, 9, 11}, "-1e20", "1e20"}, Workload{{0, 2, 8}, "-3", "3"}));

} // namespace
