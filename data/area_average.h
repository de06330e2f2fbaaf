// A picture of any size made into an N x N grid: the central square (or the
// whole picture, stretched), each cell the mean of the pixels it covers, with
// pixels on a cell's border weighted by the part they cover.
#pragma once

#include "core/grid.h"

#include <cstdint>
#include <functional>

namespace quba {

enum class PictureFit {
    Crop,    // the central square; the offset along the longer side is rounded down
    Stretch, // the whole picture, each axis scaled on its own
};

// Fills `greys` with the grey levels, 0 black to 1 white, of pixel row `y`:
// one value for each of the picture's `width` columns.
using GreyRow = std::function<void(int32_t y, double* greys)>;

// The grid of a width x height picture: cell [r][c] is 2 g - 1, g the mean
// grey of the pixels it covers, row r from the top and column c from the
// left. Each row of the picture is asked for once, top to bottom, so memory
// stays at one row of the picture and one of the grid.
DataGrid AreaAverage(int32_t width, int32_t height, const GreyRow& row, int32_t size,
                     PictureFit fit);

} // namespace quba
