// The best program's picture as a PNG, drawn with the grids' colour map and
// cell geometry.
#pragma once

#include "engine/display.h"

#include <QImage>

#include <cstdint>
#include <string>

// A pixels x pixels image of the grid; pixels no cell covers stay white.
QImage BestPictureImage(const OutputGrid& grid, int32_t pixels);
// False when the file cannot be written.
bool WriteBestImage(const std::string& path, const OutputGrid& grid, int32_t pixels);
