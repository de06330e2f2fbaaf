// The data grid: a square of N x N 32-bit floats, N from 2 to 50.
#pragma once

#include "engine/problem.h"

#include <cstdint>
#include <vector>

class DataGrid {
public:
    static constexpr int32_t kMinSize = 2;
    static constexpr int32_t kMaxSize = 50;
    static constexpr int32_t kDefaultSize = 30;

    DataGrid() = default;
    // A grid of size x size zeros; a negative size gives an empty grid.
    explicit DataGrid(int32_t size)
        : size_(size < 0 ? 0 : size),
          cells_(static_cast<size_t>(size_) * static_cast<size_t>(size_), 0.0f) {}

    [[nodiscard]] int32_t Size() const { return size_; }
    // Element [r][c]: row r, column c.
    [[nodiscard]] float At(int32_t r, int32_t c) const { return cells_[Index(r, c)]; }
    float& At(int32_t r, int32_t c) { return cells_[Index(r, c)]; }
    // Row-major cells: [r * Size() + c].
    [[nodiscard]] const std::vector<float>& Cells() const { return cells_; }
    [[nodiscard]] GridView View() const { return {size_, cells_.data()}; }

    friend bool operator==(const DataGrid&, const DataGrid&) = default;

private:
    [[nodiscard]] size_t Index(int32_t r, int32_t c) const {
        return static_cast<size_t>(r) * static_cast<size_t>(size_) + static_cast<size_t>(c);
    }

    int32_t size_ = 0;
    std::vector<float> cells_;
};
