// The data grid: a square of N x N 32-bit floats, row-major. The training and
// validation grids, the pictures a program draws and everything read from a
// file or a picture are grids of this one type.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quba {

class DataGrid {
public:
    // "Size of axis" of the desktop program's grids.
    static constexpr int32_t kMinSize = 2;
    static constexpr int32_t kMaxSize = 50;
    static constexpr int32_t kDefaultSize = 30;
    // The largest grid any front end takes: quba-cli's.
    static constexpr int32_t kLargestSize = 1024;

    DataGrid() = default;
    // A grid of size x size zeros; a negative size gives an empty grid.
    explicit DataGrid(int32_t size) : size_(size < 0 ? 0 : size), cells_(CellCount(size_), 0.0f) {}

    [[nodiscard]] int32_t Size() const { return size_; }
    [[nodiscard]] bool Empty() const { return size_ == 0; }
    // Element [r][c]: row r, column c.
    [[nodiscard]] float At(int32_t r, int32_t c) const { return cells_[Index(r, c)]; }
    float& At(int32_t r, int32_t c) { return cells_[Index(r, c)]; }
    // Row-major cells: [r * Size() + c].
    [[nodiscard]] const std::vector<float>& Cells() const { return cells_; }
    [[nodiscard]] float* Data() { return cells_.data(); }
    [[nodiscard]] const float* Data() const { return cells_.data(); }

    friend bool operator==(const DataGrid&, const DataGrid&) = default;

private:
    static size_t CellCount(int32_t size) {
        return static_cast<size_t>(size) * static_cast<size_t>(size);
    }
    [[nodiscard]] size_t Index(int32_t r, int32_t c) const {
        return static_cast<size_t>(r) * static_cast<size_t>(size_) + static_cast<size_t>(c);
    }

    int32_t size_ = 0;
    std::vector<float> cells_;
};

} // namespace quba
