// The colour map and the cell geometry with which every grid is drawn.
#pragma once

#include <cstdint>
#include <functional>

namespace quba {

struct Rgb {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// Red below 0 through green at 0 to blue above 0, saturating from magnitude 1;
// a not-a-number is black.
Rgb ColourOfValue(float value);

// The grey of a redrawn picture, the inverse of a picture's grey levels: -1
// black to +1 white, round(255 (v + 1) / 2) after clamping to [-1, 1]; a
// not-a-number (a failed evaluation) is kFailedMarker.
inline constexpr Rgb kFailedMarker{255, 0, 255};
Rgb GreyOfValue(float value);

// The pixels x in [left, right) and y in [top, bottom) of one cell.
struct CellRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    friend bool operator==(const CellRect&, const CellRect&) = default;
};

// Cell [r][c] of an N x N grid on a width x height image: the row runs along
// the horizontal axis, the column along the vertical axis.
CellRect CellRectangle(int32_t width, int32_t height, int32_t size, int32_t r, int32_t c);

// Calls `paint` for every cell in drawing order (row by row, column by column)
// with its rectangle and colour. `cells` is row-major with size x size values.
void DrawGrid(int32_t width, int32_t height, int32_t size, const float* cells,
              const std::function<void(const CellRect&, Rgb)>& paint);

} // namespace quba
