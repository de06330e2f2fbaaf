#include "picture/grid_image.h"

#include "codec/decode.h"
#include "data/rendering.h"
#include "export/render.h"

#include <QBuffer>

#include <algorithm>
#include <functional>

namespace quba {

namespace {

void FillCell(QImage& image, const CellRect& cell, Rgb colour) {
    const QRgb pixel = qRgb(colour.red, colour.green, colour.blue);
    // Kept inside the image whatever the geometry says.
    const int32_t right = std::clamp(cell.right, 0, image.width());
    const int32_t bottom = std::clamp(cell.bottom, 0, image.height());
    for (int32_t y = std::max(cell.top, 0); y < bottom; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int32_t x = std::max(cell.left, 0); x < right; ++x)
            line[x] = pixel;
    }
}

} // namespace

QImage GridImage(const DataGrid& grid, int32_t pixels) {
    QImage image(pixels, pixels, QImage::Format_RGB32);
    image.fill(Qt::white);
    DrawGrid(pixels, pixels, grid.Size(), grid.Data(),
             [&image](const CellRect& cell, Rgb colour) { FillCell(image, cell, colour); });
    return image;
}

std::optional<RedrawStyle> RedrawStyleByName(std::string_view name) {
    if (name == "grey")
        return RedrawStyle::Grey;
    if (name == "map")
        return RedrawStyle::Map;
    return std::nullopt;
}

namespace {

// An image filled by `render`, which hands over one row of values at a time,
// rows possibly from several threads at once.
using RowSink = std::function<void(int32_t row, const float* values)>;
QImage RedrawRows(int32_t pixels, RedrawStyle style,
                  const std::function<void(const RowSink&)>& render) {
    // Three bytes a pixel: 8192 x 8192 stays at 192 MiB.
    QImage image(pixels, pixels, QImage::Format_RGB888);
    if (image.isNull())
        return image;
    const auto colourOf = style == RedrawStyle::Grey ? GreyOfValue : ColourOfValue;
    // Rows are filled from several threads: the pixels are reached once here,
    // since every scanLine() call would touch the image's shared state.
    uchar* const bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    render([&](int32_t row, const float* values) {
        uchar* line = bits + row * stride;
        for (int32_t x = 0; x < pixels; ++x) {
            const Rgb colour = colourOf(values[x]);
            line[3 * x] = colour.red;
            line[3 * x + 1] = colour.green;
            line[3 * x + 2] = colour.blue;
        }
    });
    return image;
}

} // namespace

QImage RedrawImage(const BestProgram& program, int32_t pixels, RedrawStyle style,
                   FitnessEvaluators& evaluators) {
    return RedrawRows(pixels, style,
                      [&](const RowSink& take) { RenderRows(program, pixels, evaluators, take); });
}

QImage RedrawImage(const FormulaFile& file, int32_t pixels, RedrawStyle style,
                   FitnessEvaluators& evaluators) {
    return RedrawRows(pixels, style, [&](const RowSink& take) {
        RenderFormulaFile(file, pixels, evaluators, take);
    });
}

QByteArray PngBytes(const QImage& image) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

} // namespace quba
