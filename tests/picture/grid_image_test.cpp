// Grids and redrawn programs made into images: the grids' cell geometry and
// colour map, and a redraw whose pixels on cell centres show the cells.
#include "picture/grid_image.h"

#include "data/rendering.h"
#include "export/render.h"
#include "tests/core/grids.h"
#include "tests/engine/test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace quba;

namespace {

QRgb Pixel(Rgb rgb) {
    return qRgb(rgb.red, rgb.green, rgb.blue);
}

TEST(GridImage, CellsArePaintedWithTheColourMap) {
    // Row r runs along x, column c along y: cell [0][1] is the lower-left quarter.
    const DataGrid grid = GridOf(2, {-1.0f, 0.5f, std::nanf(""), 3.85f});
    const QImage image = GridImage(grid, 120);
    ASSERT_EQ(image.size(), QSize(120, 120));
    for (int x : {0, 59})
        for (int y : {0, 59}) {
            EXPECT_EQ(image.pixel(x, y), Pixel(ColourOfValue(-1.0f)));
            EXPECT_EQ(image.pixel(x, y + 60), qRgb(0, 127, 128));
            EXPECT_EQ(image.pixel(x + 60, y), qRgb(0, 0, 0));
            EXPECT_EQ(image.pixel(x + 60, y + 60), qRgb(0, 0, 255));
        }
    // 30 cells do not quite fill 145 pixels: the last column stays white.
    const DataGrid wide(30);
    EXPECT_EQ(GridImage(wide, 145).pixel(144, 0), qRgb(255, 255, 255));
    EXPECT_EQ(GridImage(wide, 145).pixel(143, 0), qRgb(0, 255, 0));
}

TEST(Redraw, GreyRunsFromBlackToWhiteWithFailuresInTheMarkerColour) {
    EXPECT_EQ(GreyOfValue(-1.0f), (Rgb{0, 0, 0}));
    EXPECT_EQ(GreyOfValue(1.0f), (Rgb{255, 255, 255}));
    EXPECT_EQ(GreyOfValue(0.0f), (Rgb{128, 128, 128})); // 127.5 rounds up
    EXPECT_EQ(GreyOfValue(-7.0f), (Rgb{0, 0, 0}));
    EXPECT_EQ(GreyOfValue(INFINITY), (Rgb{255, 255, 255}));
    EXPECT_EQ(GreyOfValue(std::nanf("")), kFailedMarker);
    // A picture's grey level g became 2 g / 255 - 1 and comes back as g.
    for (int g = 0; g < 256; ++g) {
        const auto value = static_cast<float>(2.0 * g / 255.0 - 1.0);
        EXPECT_EQ(GreyOfValue(value).red, g);
    }
}

TEST(Redraw, UprightWithCellCentrePixelsInEitherStyle) {
    ProblemValues values = ValuesWith({}, RandomGrid(5, 4), 30, "-2", "2");
    values.functionChecked.fill(true);
    ScopedProblem scope(values);
    std::mt19937 random(17);
    for (int trial = 0; trial < 10; ++trial) {
        BestProgram best;
        best.problem = scope.Shared();
        best.nodes = RandomProgram(scope.problem(), random, 30, 0.5);
        const DataGrid cells = TrainingOutput(best, scope.evaluators);
        const QImage grey = RedrawImage(best, 15, RedrawStyle::Grey, scope.evaluators);
        const QImage map = RedrawImage(best, 15, RedrawStyle::Map, scope.evaluators);
        ASSERT_EQ(grey.size(), QSize(15, 15));
        // Pixel rows follow the grid's rows: cell [r][c] is at x = 3c + 1, y = 3r + 1.
        for (int32_t r = 0; r < 5; ++r)
            for (int32_t c = 0; c < 5; ++c) {
                EXPECT_EQ(grey.pixel(3 * c + 1, 3 * r + 1), Pixel(GreyOfValue(cells.At(r, c))));
                EXPECT_EQ(map.pixel(3 * c + 1, 3 * r + 1), Pixel(ColourOfValue(cells.At(r, c))));
            }
    }
    // X alone grows to the right, Y alone downwards.
    BestProgram x;
    x.problem = scope.Shared();
    x.nodes = scope.Program({"X"});
    const QImage image = RedrawImage(x, 64, RedrawStyle::Grey, scope.evaluators);
    EXPECT_LT(qRed(image.pixel(0, 30)), qRed(image.pixel(63, 30)));
    EXPECT_EQ(image.pixel(40, 0), image.pixel(40, 63));
}

} // namespace
