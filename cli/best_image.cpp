#include "cli/best_image.h"

#include "data/rendering.h"

#include <QBuffer>

#include <algorithm>

namespace quba {

QImage BestPictureImage(const DataGrid& grid, int32_t pixels) {
    QImage image(pixels, pixels, QImage::Format_RGB32);
    image.fill(Qt::white);
    DrawGrid(pixels, pixels, grid.Size(), grid.Data(), [&](const CellRect& cell, Rgb colour) {
        const QRgb pixel = qRgb(colour.red, colour.green, colour.blue);
        // Kept inside the image whatever the geometry says.
        const int32_t right = std::clamp(cell.right, 0, pixels);
        const int32_t bottom = std::clamp(cell.bottom, 0, pixels);
        for (int32_t y = std::max(cell.top, 0); y < bottom; ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int32_t x = std::max(cell.left, 0); x < right; ++x)
                line[x] = pixel;
        }
    });
    return image;
}

QByteArray BestImagePng(const DataGrid& grid, int32_t pixels) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    BestPictureImage(grid, pixels).save(&buffer, "PNG");
    return png;
}

} // namespace quba
