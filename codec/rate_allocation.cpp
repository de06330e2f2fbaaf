#include "codec/rate_allocation.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace quba {

Allocation Allocate(const std::vector<QuadNode>& tree,
                    const std::vector<std::vector<RateOption>>& options, double lambda,
                    const SplitFlagBits& flags) {
    const auto flagBits = [&](const QuadNode& node, bool splits) {
        const size_t depth = std::min(static_cast<size_t>(node.depth), flags.size() - 1);
        return flags[depth][splits ? 1 : 0];
    };
    const size_t count = tree.size();
    constexpr double kNever = std::numeric_limits<double>::infinity();
    std::vector<double> cost(count, kNever);
    std::vector<int32_t> choice(count, -1); // -1: split
    // Children follow their parents, so the last nodes are done first.
    for (size_t n = count; n-- > 0;) {
        const QuadNode& node = tree[n];
        const bool splits = node.children[0] >= 0;
        const double stays = splits ? lambda * flagBits(node, false) : 0.0;
        const auto& own = options[n];
        for (size_t k = 0; k < own.size(); ++k) {
            const double c = own[k].error + lambda * own[k].bits + stays;
            if (c < cost[n]) {
                cost[n] = c;
                choice[n] = static_cast<int32_t>(k);
            }
        }
        if (splits) {
            double parts = lambda * flagBits(node, true);
            for (int32_t child : node.children)
                parts += cost[static_cast<size_t>(child)];
            if (parts < cost[n]) {
                cost[n] = parts;
                choice[n] = -1;
            }
        }
    }
    Allocation allocation;
    std::vector<int32_t> stack{0};
    while (!stack.empty()) {
        const int32_t n = stack.back();
        stack.pop_back();
        const QuadNode& node = tree[static_cast<size_t>(n)];
        const int32_t chosen = choice[static_cast<size_t>(n)];
        if (node.children[0] >= 0)
            allocation.bits += flagBits(node, chosen < 0);
        if (chosen < 0 && node.children[0] >= 0) {
            for (size_t k = node.children.size(); k-- > 0;)
                stack.push_back(node.children[k]);
            continue;
        }
        allocation.leaves.push_back(n);
        allocation.choices.push_back(chosen);
        if (chosen >= 0) {
            const RateOption& option = options[static_cast<size_t>(n)][static_cast<size_t>(chosen)];
            allocation.bits += option.bits;
            allocation.error += option.error;
        } else {
            allocation.error = std::numeric_limits<double>::infinity();
        }
    }
    return allocation;
}

} // namespace quba
