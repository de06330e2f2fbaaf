// The quadtree of a grid's blocks: a block of h x w cells splits into four,
// the first rows and columns taking h / 2 and w / 2 (in integers), visited
// top left, top right, bottom left, bottom right. The cells above and to the
// left of a block are always visited before it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace quba {

struct Region {
    int32_t row = 0;
    int32_t column = 0;
    int32_t height = 0;
    int32_t width = 0;

    [[nodiscard]] int64_t Cells() const { return int64_t{height} * width; }
    friend bool operator==(const Region&, const Region&) = default;
};

// Whether a block splits further: each part at least minBlock on both sides.
// A minBlock of 0 never splits.
bool CanSplit(const Region& region, int32_t minBlock);
std::array<Region, 4> Children(const Region& region);

// Every block of the quadtree of a side x side grid, parents before their
// children, in visiting order; index 0 is the whole grid.
struct QuadNode {
    Region region;
    int32_t depth = 0;
    int32_t parent = -1;
    std::array<int32_t, 4> children{-1, -1, -1, -1};
};
std::vector<QuadNode> QuadTree(int32_t side, int32_t minBlock);

// A block's cells taken from a row-major grid of `side` columns.
std::vector<float> BlockCells(const float* grid, int32_t side, const Region& region);

} // namespace quba
