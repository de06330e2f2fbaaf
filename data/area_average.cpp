#include "data/area_average.h"

#include <algorithm>
#include <vector>

namespace quba {

namespace {

// Positions are measured in 1/size of a pixel, so that every border of a
// cell and of a pixel falls on a whole number: pixel p spans [p size,
// (p + 1) size) and cell k spans [k extent, (k + 1) extent) of the `extent`
// pixels the grid covers. The overlaps are the exact weights.
struct Overlap {
    int32_t cell;
    int64_t weight;
};

// The cells pixel p overlaps along one axis, with the length of each overlap.
void Overlaps(int64_t p, int64_t extent, int32_t size, std::vector<Overlap>& out) {
    out.clear();
    const int64_t begin = p * size;
    const int64_t end = begin + size;
    for (int64_t k = begin / extent; k < size && k * extent < end; ++k) {
        const int64_t weight = std::min(end, (k + 1) * extent) - std::max(begin, k * extent);
        if (weight > 0)
            out.push_back({static_cast<int32_t>(k), weight});
    }
}

} // namespace

DataGrid AreaAverage(int32_t width, int32_t height, const GreyRow& row, int32_t size,
                     PictureFit fit) {
    int32_t left = 0;
    int32_t top = 0;
    int32_t extentX = width;
    int32_t extentY = height;
    if (fit == PictureFit::Crop) {
        const int32_t side = std::min(width, height);
        left = (width - side) / 2;
        top = (height - side) / 2;
        extentX = extentY = side;
    }

    // Per column of the picture, the cells it falls into.
    std::vector<std::vector<Overlap>> columns(static_cast<size_t>(extentX));
    for (int32_t x = 0; x < extentX; ++x)
        Overlaps(x, extentX, size, columns[static_cast<size_t>(x)]);

    std::vector<double> greys(static_cast<size_t>(width));
    std::vector<double> rowSums(static_cast<size_t>(size));
    std::vector<double> sums(static_cast<size_t>(size) * static_cast<size_t>(size), 0.0);
    std::vector<Overlap> rows;
    for (int32_t y = 0; y < extentY; ++y) {
        row(top + y, greys.data());
        std::fill(rowSums.begin(), rowSums.end(), 0.0);
        for (int32_t x = 0; x < extentX; ++x) {
            const double grey = greys[static_cast<size_t>(left + x)];
            for (const Overlap& column : columns[static_cast<size_t>(x)])
                rowSums[static_cast<size_t>(column.cell)] +=
                    static_cast<double>(column.weight) * grey;
        }
        Overlaps(y, extentY, size, rows);
        for (const Overlap& cellRow : rows) {
            double* out = sums.data() + static_cast<size_t>(cellRow.cell) * size;
            for (int32_t c = 0; c < size; ++c)
                out[c] += static_cast<double>(cellRow.weight) * rowSums[static_cast<size_t>(c)];
        }
    }

    // Each cell's weights add up to extentX x extentY.
    const double area = static_cast<double>(extentX) * static_cast<double>(extentY);
    DataGrid grid(size);
    for (int32_t r = 0; r < size; ++r)
        for (int32_t c = 0; c < size; ++c)
            grid.At(r, c) = static_cast<float>(
                2.0 * sums[static_cast<size_t>(r) * size + static_cast<size_t>(c)] / area - 1.0);
    return grid;
}

} // namespace quba
