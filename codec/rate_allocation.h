// Rate-distortion allocation over a quadtree: every block offers options,
// each a size in bits and a squared error; for a trade-off lambda the
// allocation keeps, block by block from the smallest up, the cheaper of the
// block's best option and the best of its four parts, each costing its error
// plus lambda times its bits (a split flag counted where a block may split).
// Sweeping lambda finds the smallest error within a budget.
#pragma once

#include "codec/block_layout.h"

#include <array>
#include <cstdint>
#include <vector>

namespace quba {

struct RateOption {
    double bits = 0;
    double error = 0;
};

// The bits of the flag that says whether a block splits, by the block's
// depth: [depth][0] to stay whole, [depth][1] to split; the last entry
// serves every depth beyond it.
using SplitFlagBits = std::vector<std::array<double, 2>>;

struct Allocation {
    // The leaves (indices into the tree) in visiting order, and the option
    // each takes.
    std::vector<int32_t> leaves;
    std::vector<int32_t> choices;
    double bits = 0; // the options' bits and the split flags
    double error = 0;
};

// `options[n]` are node n's; a node without options must split. A split
// flag is counted where CanSplit says a block may split (`tree` was made
// with the same smallest block), one bit either way unless `flags` says.
Allocation Allocate(const std::vector<QuadNode>& tree,
                    const std::vector<std::vector<RateOption>>& options, double lambda,
                    const SplitFlagBits& flags = {{1.0, 1.0}});

} // namespace quba
