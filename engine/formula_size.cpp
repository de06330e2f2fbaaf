#include "engine/formula_size.h"

#include <algorithm>
#include <vector>

namespace quba {

int64_t FormulaBytes(const Problem& problem, const int32_t* nodes, int32_t length, bool scaled) {
    const int32_t firstConstant = problem.functionCount + problem.variableCount;
    std::vector<int32_t> constants;
    for (int32_t k = 0; k < length; ++k)
        if (nodes[k] >= firstConstant)
            constants.push_back(nodes[k]);
    std::sort(constants.begin(), constants.end());
    const auto distinct =
        static_cast<int64_t>(std::unique(constants.begin(), constants.end()) - constants.begin());
    const auto symbols = static_cast<uint64_t>(firstConstant + distinct);
    int64_t bitsPerNode = 0;
    while ((uint64_t{1} << bitsPerNode) < symbols)
        ++bitsPerNode;
    const int64_t bits = int64_t{length} * bitsPerNode + 32 * distinct + (scaled ? 64 : 0);
    return (bits + 7) / 8;
}

} // namespace quba
