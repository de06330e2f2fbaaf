// Grids and redrawn programs as images: the grids drawn with their colour map
// and cell geometry, a redraw in grey or in the colour map, and PNG bytes.
#pragma once

#include "codec/formula_file.h"
#include "core/grid.h"
#include "engine/best_program.h"
#include "engine/fitness.h"

#include <QByteArray>
#include <QImage>

#include <cstdint>
#include <optional>
#include <string_view>

namespace quba {

// A pixels x pixels image of the grid as the grid pictures show it; pixels
// no cell covers stay white.
QImage GridImage(const DataGrid& grid, int32_t pixels);

// How a redraw colours a value: grey from black (-1) to white (+1) with
// failed evaluations in the marker colour, or the grid pictures' colour map.
enum class RedrawStyle { Grey, Map };
// "grey" or "map".
std::optional<RedrawStyle> RedrawStyleByName(std::string_view name);

// The program redrawn on pixels x pixels, upright as the picture it was made
// from. Null when the image cannot be allocated.
QImage RedrawImage(const BestProgram& program, int32_t pixels, RedrawStyle style,
                   FitnessEvaluators& evaluators);
// The same for a formula file's formulas.
QImage RedrawImage(const FormulaFile& file, int32_t pixels, RedrawStyle style,
                   FitnessEvaluators& evaluators);

// The image encoded as a PNG file.
QByteArray PngBytes(const QImage& image);

} // namespace quba
