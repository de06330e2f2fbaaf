// Grids written out by the tests: one value everywhere, all cells row after
// row, or random cells in [-1, 1].
#pragma once

#include "core/grid.h"

#include <cstdint>
#include <random>
#include <vector>

namespace quba {

inline DataGrid FilledGrid(int32_t size, float value) {
    DataGrid grid(size);
    for (int32_t r = 0; r < size; ++r)
        for (int32_t c = 0; c < size; ++c)
            grid.At(r, c) = value;
    return grid;
}

inline DataGrid GridOf(int32_t size, const std::vector<float>& cells) {
    DataGrid grid(size);
    for (size_t i = 0; i < cells.size(); ++i)
        grid.At(static_cast<int32_t>(i) / size, static_cast<int32_t>(i) % size) = cells[i];
    return grid;
}

inline DataGrid RandomGrid(int32_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> cell(-1, 1);
    DataGrid grid(size);
    for (int32_t r = 0; r < size; ++r)
        for (int32_t c = 0; c < size; ++c)
            grid.At(r, c) = cell(random);
    return grid;
}

} // namespace quba
