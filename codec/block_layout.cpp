#include "codec/block_layout.h"

namespace quba {

bool CanSplit(const Region& region, int32_t minBlock) {
    return minBlock > 0 && region.height / 2 >= minBlock && region.width / 2 >= minBlock;
}

std::array<Region, 4> Children(const Region& region) {
    const int32_t top = region.height / 2;
    const int32_t left = region.width / 2;
    const int32_t bottom = region.height - top;
    const int32_t right = region.width - left;
    return {{{region.row, region.column, top, left},
             {region.row, region.column + left, top, right},
             {region.row + top, region.column, bottom, left},
             {region.row + top, region.column + left, bottom, right}}};
}

namespace {

void AddNode(std::vector<QuadNode>& nodes, const Region& region, int32_t depth, int32_t parent,
             int32_t minBlock) {
    const auto index = static_cast<int32_t>(nodes.size());
    nodes.push_back({region, depth, parent, {-1, -1, -1, -1}});
    if (!CanSplit(region, minBlock))
        return;
    const std::array<Region, 4> parts = Children(region);
    for (size_t k = 0; k < parts.size(); ++k) {
        nodes[static_cast<size_t>(index)].children[k] = static_cast<int32_t>(nodes.size());
        AddNode(nodes, parts[k], depth + 1, index, minBlock);
    }
}

} // namespace

std::vector<QuadNode> QuadTree(int32_t side, int32_t minBlock) {
    std::vector<QuadNode> nodes;
    AddNode(nodes, {0, 0, side, side}, 0, -1, minBlock);
    return nodes;
}

std::vector<float> BlockCells(const float* grid, int32_t side, const Region& region) {
    std::vector<float> cells;
    cells.reserve(static_cast<size_t>(region.Cells()));
    for (int32_t r = 0; r < region.height; ++r) {
        const float* row = grid + static_cast<size_t>(region.row + r) * static_cast<size_t>(side);
        cells.insert(cells.end(), row + region.column, row + region.column + region.width);
    }
    return cells;
}

} // namespace quba
