#include "data/rendering.h"

#include <algorithm>
#include <cmath>

namespace quba {

namespace {

// trunc(256 |v|) capped at 255. The product is exact in double (also for an
// infinity), so the comparison decides saturation before any conversion.
uint8_t Intensity(double magnitude) {
    const double scaled = 256.0 * magnitude;
    if (scaled >= 255.0)
        return 255;
    return static_cast<uint8_t>(scaled);
}

// round(255 (v + 1) / 2) of a value within [-1, 1]; exact in double.
uint8_t GreyLevel(double value) {
    return static_cast<uint8_t>(std::lround(127.5 * (value + 1.0)));
}

// trunc(index x cell) with the product formed exactly in extended: an index of
// at most 31 bits times a 53-bit double fits the 64-bit mantissa.
int32_t Edge(int32_t index, double cell) {
    return static_cast<int32_t>(static_cast<long double>(index) * cell);
}

double CellExtent(int32_t pixels, int32_t size) {
    return static_cast<double>(static_cast<long double>(pixels) / size);
}

} // namespace

Rgb ColourOfValue(float value) {
    if (std::isnan(value))
        return {0, 0, 0};
    if (value > 0) {
        const uint8_t k = Intensity(value);
        return {0, static_cast<uint8_t>(255 - k), k};
    }
    const uint8_t k = Intensity(-static_cast<double>(value));
    return {k, static_cast<uint8_t>(255 - k), 0};
}

Rgb GreyOfValue(float value) {
    if (std::isnan(value))
        return kFailedMarker;
    const uint8_t level = GreyLevel(std::clamp(static_cast<double>(value), -1.0, 1.0));
    return {level, level, level};
}

CellRect CellRectangle(int32_t width, int32_t height, int32_t size, int32_t r, int32_t c) {
    if (size <= 0)
        return {};
    const double cellW = CellExtent(width, size);
    const double cellH = CellExtent(height, size);
    return {Edge(r, cellW), Edge(c, cellH), Edge(r + 1, cellW), Edge(c + 1, cellH)};
}

void DrawGrid(int32_t width, int32_t height, int32_t size, const float* cells,
              const std::function<void(const CellRect&, Rgb)>& paint) {
    if (size <= 0 || cells == nullptr)
        return;
    for (int32_t r = 0; r < size; ++r)
        for (int32_t c = 0; c < size; ++c) {
            const float value =
                cells[static_cast<size_t>(r) * static_cast<size_t>(size) + static_cast<size_t>(c)];
            paint(CellRectangle(width, height, size, r, c), ColourOfValue(value));
        }
}

} // namespace quba
