// The compression figures on a worked example, and the redraw at any size:
// a pixel centre on a cell centre gives that cell's value, bit for bit.
#include "export/figures.h"

#include "codec/program_file.h"
#include "export/render.h"
#include "tests/export/tools.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <mutex>

using namespace quba;

namespace {

TEST(Figures, SizeRatioAndPsnrOfAWorkedExample) {
    // + - * / , X and Y, 60 constants in the table.
    ScopedProblem scope({0, 1, 2, 3}, RandomGrid(40, 3), 60, "-1", "1");
    BestProgram best;
    best.problem = scope.Shared();
    // (#5 * X) + (#5 - #9) as a formula file: magic (2 bytes), 36 bits of
    // fields with the function set, 7 node codes of 3 bits (+ - *, X, Y, a
    // constant), 3 constants of 32 bits: 153 bits, 20 bytes, and the CRC (4).
    best.nodes = scope.Program({"+", "*", "#5", "X", "-", "#5", "#9"});
    best.trainingFitness = 0.04f;
    best.validationFitness = 0.0f;
    const FormulaFigures figures = FiguresOf(best);
    EXPECT_EQ(figures.formulaBytes, 26);
    EXPECT_EQ(figures.rawBytes, 1600);
    EXPECT_DOUBLE_EQ(figures.compressionRatio, 1600.0 / 26.0);
    EXPECT_NEAR(figures.psnr, 20.0, 1e-6); // 10 log10(4 / 0.04)
    EXPECT_EQ(figures.validationPsnr, std::numeric_limits<double>::infinity());
    EXPECT_EQ(Psnr(std::numeric_limits<float>::infinity()),
              -std::numeric_limits<double>::infinity());

    // Only the functions used number the codes: * X Y in 2 bits each, 42
    // bits in all; a linear scaling adds its flag and two floats.
    const std::vector<int32_t> product = scope.Program({"*", "X", "Y"});
    EXPECT_EQ(ProgramFileBytes(scope.problem(), product.data(), 3, std::nullopt), 12);
    EXPECT_EQ(ProgramFileBytes(scope.problem(), product.data(), 3, Scaling{0.5f, 2}), 20);
    // No function at all: no function set, one code of 2 bits.
    EXPECT_EQ(ProgramFileBytes(scope.problem(), scope.Program({"Y"}).data(), 1, std::nullopt), 10);
}

TEST(Render, PixelCentresOnCellCentresGiveTheCellsBits) {
    for (int32_t side : {6, 7, 12}) {
        ProblemValues values = ValuesWith({}, RandomGrid(side, 11), 30, "-5", "5");
        values.functionChecked.fill(true);
        ScopedProblem scope(values);
        for (const ExportItem& item : RandomItems(scope, 20, 40, 21 + side)) {
            const DataGrid cells = TrainingOutput(item.program, scope.evaluators);
            for (int32_t factor : {1, 3, 5}) {
                const int32_t pixels = side * factor;
                int32_t rows = 0;
                std::mutex lock;
                RenderRows(item.program, pixels, scope.evaluators,
                           [&](int32_t row, const float* values) {
                               const std::lock_guard<std::mutex> held(lock);
                               ++rows;
                               if (row % factor != factor / 2)
                                   return;
                               for (int32_t c = 0; c < side; ++c) {
                                   const float cell = cells.At(row / factor, c);
                                   const float pixel = values[c * factor + factor / 2];
                                   ASSERT_TRUE(BitsOf(cell) == BitsOf(pixel) ||
                                               (std::isnan(cell) && std::isnan(pixel)))
                                       << "side " << side << " x" << factor << " row " << row;
                               }
                           });
                EXPECT_EQ(rows, pixels);
            }
        }
    }
}

} // namespace
