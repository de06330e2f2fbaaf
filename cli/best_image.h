// The best program's picture as a PNG, drawn with the grids' colour map and
// cell geometry.
#pragma once

#include "core/grid.h"

#include <QByteArray>

#include <QImage>

#include <cstdint>

namespace quba {

// A pixels x pixels image of the grid; pixels no cell covers stay white.
QImage BestPictureImage(const DataGrid& grid, int32_t pixels);
// That image encoded as a PNG file.
QByteArray BestImagePng(const DataGrid& grid, int32_t pixels);

} // namespace quba
