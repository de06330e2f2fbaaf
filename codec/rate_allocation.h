// Rate-distortion allocation over a quadtree: every block offers options,
// each a size in bits and a squared error; for a trade-off lambda the
// allocation keeps, block by block from the smallest up, the cheaper of the
// block's best option and the best of its four parts, each costing its error
// plus lambda times its bits (a split flag counted where a block may split).
// Sweeping lambda finds the smallest error within a budget.
#pragma once

#include "codec/block_layout.h"

#include <cstdint>
#include <vector>

namespace quba {

struct RateOption {
    int64_t bits = 0;
    double error = 0;
};

struct Allocation {
    // The leaves (indices into the tree) in visiting order, and the option
    // each takes.
    std::vector<int32_t> leaves;
    std::vector<int32_t> choices;
    int64_t bits = 0; // the options' bits and the split flags
    double error = 0;
};

// `options[n]` are node n's; a node without options must split. A split
// flag costs one bit where CanSplit says a block may split (`tree` was made
// with the same smallest block).
Allocation Allocate(const std::vector<QuadNode>& tree,
                    const std::vector<std::vector<RateOption>>& options, double lambda);

} // namespace quba
