#include "data/rendering.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using namespace quba;

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();

TEST(Colour, MapAndSaturation) {
    const std::pair<float, Rgb> cases[] = {
        {0.5f, {0, 127, 128}},      {-0.5f, {128, 127, 0}},      {1.0f / 512, {0, 255, 0}},
        {-1.0f / 256, {1, 254, 0}}, {254.5f / 256, {0, 1, 254}}, {255.0f / 256, {0, 0, 255}},
        {0.0f, {0, 255, 0}},        {-0.0f, {0, 255, 0}},        {3.85f, {0, 0, 255}},
        {-3.0f, {255, 0, 0}},       {1e9f, {0, 0, 255}},         {kInf, {0, 0, 255}},
        {-kInf, {255, 0, 0}},       {std::nanf(""), {0, 0, 0}},
    };
    for (const auto& [value, colour] : cases)
        EXPECT_EQ(ColourOfValue(value), colour) << value;
}

TEST(CellGeometry, Rectangles) {
    struct Case {
        int32_t pixels, size, r, c;
        CellRect rect;
    };
    const Case cases[] = {
        {145, 30, 0, 0, {0, 0, 4, 4}},           {145, 30, 1, 0, {4, 0, 9, 4}},
        {145, 30, 29, 29, {140, 140, 144, 144}}, {145, 7, 6, 6, {124, 124, 145, 145}},
        {120, 30, 7, 3, {28, 12, 32, 16}},       {120, 2, 0, 1, {0, 60, 60, 120}},
    };
    for (const auto& [pixels, size, r, c, rect] : cases)
        EXPECT_EQ(CellRectangle(pixels, pixels, size, r, c), rect) << size << " " << r << " " << c;
}

// Paints every cell in drawing order and counts how often each pixel is hit.
std::vector<int> PaintCounts(int32_t pixels, int32_t size) {
    std::vector<float> cells(static_cast<size_t>(size * size), 0.5f);
    std::vector<int> hits(static_cast<size_t>(pixels * pixels), 0);
    DrawGrid(pixels, pixels, size, cells.data(), [&](const CellRect& rect, Rgb) {
        for (int32_t x = rect.left; x < rect.right; ++x)
            for (int32_t y = rect.top; y < rect.bottom; ++y)
                ++hits[static_cast<size_t>(y * pixels + x)];
    });
    return hits;
}

TEST(CellGeometry, CellsTileWithoutOverlap) {
    // 30 cells of 145 / 30 pixels end just short of the last pixel column.
    const std::vector<int> hits = PaintCounts(145, 30);
    for (int32_t y = 0; y < 145; ++y)
        for (int32_t x = 0; x < 145; ++x)
            ASSERT_EQ(hits[static_cast<size_t>(y * 145 + x)], x < 144 && y < 144 ? 1 : 0)
                << x << "," << y;
    for (const int hit : PaintCounts(145, 7))
        ASSERT_EQ(hit, 1);
}

TEST(DrawGrid, RowsRunAcrossInDrawingOrder) {
    const float cells[] = {-1.0f, 0.0f, 1.0f, std::nanf("")};
    std::vector<std::pair<CellRect, Rgb>> calls;
    DrawGrid(120, 120, 2, cells,
             [&](const CellRect& rect, Rgb colour) { calls.emplace_back(rect, colour); });
    const std::vector<std::pair<CellRect, Rgb>> expected = {
        {{0, 0, 60, 60}, {255, 0, 0}},
        {{0, 60, 60, 120}, {0, 255, 0}},
        {{60, 0, 120, 60}, {0, 0, 255}},
        {{60, 60, 120, 120}, {0, 0, 0}},
    };
    EXPECT_EQ(calls, expected);
    DrawGrid(120, 120, 0, cells, [&](const CellRect&, Rgb) { FAIL() << "no cells to paint"; });
}

} // namespace
