// The best program's picture as a PNG, drawn with the grids' colour map and
// cell geometry.
#pragma once

#include "engine/display.h"

#include <QImage>

#include <cstdint>

// A pixels x pixels image of the grid; pixels no cell covers stay white.
QImage BestPictureImage(const OutputGrid& grid, int32_t pixels);
// That image encoded as a PNG file.
QByteArray BestImagePng(const OutputGrid& grid, int32_t pixels);
