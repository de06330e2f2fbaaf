// The GLSL export compiles as ES 3.0 and as 330 in glslangValidator, with
// names no shader may use; the LaTeX export is balanced and reads as the
// formula.
#include "tests/export/tools.h"

#include <gtest/gtest.h>

#include <vector>

using namespace quba;

namespace {

ProblemValues AllFunctions(const char* x, const char* y) {
    ProblemValues values = ValuesWith({}, RandomGrid(9, 5), 40, "-100", "100");
    values.functionChecked.fill(true);
    values.horizontalName = x;
    values.verticalName = y;
    return values;
}

TEST(GlslExport, CompilesAsEs300AndAs330WithNamesNoShaderMayUse) {
    ScopedProblem scope(AllFunctions("in", "gl_Y"));
    std::vector<ExportItem> items = RandomItems(scope, 40, 60, 99);
    items[0].name = "1 odd-name";
    items[1].name = "main";
    items[2].name = "a__b";
    const std::string shader = ExportGlsl(items);
    EXPECT_EQ(shader.rfind("#version 300 es\n", 0), 0u);

    ToolFolder folder;
    folder.Write("es.frag", shader);
    std::string desktop = shader;
    desktop.replace(0, desktop.find('\n'), "#version 330 core");
    folder.Write("desktop.frag", desktop);
    for (const char* name : {"es.frag", "desktop.frag"}) {
        const ToolResult checked = RunTool(QUBA_TEST_GLSLANG, {folder.Path(name).string()});
        EXPECT_EQ(checked.status, 0) << name << "\n" << checked.output;
    }
}

// Whether every group opened is closed in order: braces, \left and \right,
// \lvert and \rvert, \begin{cases} and \end{cases}.
bool Balanced(const std::string& latex) {
    const std::vector<std::pair<std::string, std::string>> pairs = {
        {"\\begin{cases}", "\\end{cases}"},
        {"\\left", "\\right"},
        {"\\lvert", "\\rvert"},
        {"\\{", ""},
        {"\\}", ""},
        {"{", "}"}};
    std::vector<std::string> open;
    for (size_t at = 0; at < latex.size();) {
        bool matched = false;
        for (const auto& [opening, closing] : pairs) {
            if (latex.compare(at, opening.size(), opening) == 0) {
                if (!closing.empty())
                    open.push_back(closing);
                at += opening.size();
                matched = true;
                break;
            }
            if (!closing.empty() && latex.compare(at, closing.size(), closing) == 0) {
                if (open.empty() || open.back() != closing)
                    return false;
                open.pop_back();
                at += closing.size();
                matched = true;
                break;
            }
        }
        if (!matched)
            ++at;
    }
    return open.empty();
}

TEST(LatexExport, EveryFormulaIsBalancedAndInDisplayMath) {
    ScopedProblem scope(AllFunctions("x_{1}", "Y"));
    const std::vector<ExportItem> items = RandomItems(scope, 200, 80, 7);
    for (const ExportItem& item : items) {
        const std::string latex = ExportLatex({item});
        const size_t begin = latex.find("\\[");
        ASSERT_NE(begin, std::string::npos);
        const std::string formula = latex.substr(begin, latex.find("\\]") - begin);
        EXPECT_TRUE(Balanced(formula)) << formula;
        EXPECT_EQ(formula.find("\\mathrm{x\\_\\{1\\}}"), formula.find("\\mathrm{x"))
            << "a variable name is escaped: " << formula;
    }
}

TEST(LatexExport, ReadsAsTheFormulaWithFourSignificantDigits) {
    ScopedProblem scope({0, 1, 2, 3, 7, 10}, RandomGrid(4, 1), 2, "0.123456", "0.123457");
    ExportItem item{"C_1", {}};
    item.program.problem = scope.Shared();
    // (X - (#0 + Y)) * ifgt(X, Y, ln X, #1 / Y)
    item.program.nodes =
        scope.Program({"*", "-", "X", "+", "#0", "Y", "if >", "X", "Y", "ln", "X", "/", "#1", "Y"});
    const std::string latex = ExportLatex({item});
    EXPECT_NE(latex.find("C\\_1}(X, Y) = \\left(X - \\left(0.1235 + Y\\right)\\right) \\cdot "
                         "\\left(\\begin{cases} \\ln\\lvert\\operatorname{trunc}\\left(X\\right)"
                         "\\rvert & \\text{if } X > Y \\\\ \\frac{0.1235}{Y} & \\text{otherwise} "
                         "\\end{cases}\\right)"),
              std::string::npos)
        << latex;
}

} // namespace
