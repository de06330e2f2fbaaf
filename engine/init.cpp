#include "engine/init.h"

#include "engine/run_outlet.h"

#include <algorithm>
#include <cassert>
#include <new>
#include <vector>

namespace quba {

int32_t ChooseNode(RandomGenerator& random, const Problem& problem, const Population& population,
                   NodeKind kind) {
    const int32_t f = problem.functionCount;
    const int32_t v = problem.variableCount;
    const int32_t k = problem.constantCount;
    const long double functionRatio = population.settings.functionRatio;
    const long double variableRatio = population.settings.variableRatio;

    // The draw is made whatever the kind.
    const auto r = static_cast<float>(random.RandomUnit());
    if (kind == NodeKind::Function)
        return random.RandomInt(f);
    if (kind == NodeKind::Terminal) {
        if (variableRatio / (1.0L - functionRatio) > r)
            return f + random.RandomInt(v);
        return f + v + random.RandomInt(k);
    }
    if (r < population.settings.functionRatio)
        return random.RandomInt(f);
    if (functionRatio + variableRatio > r)
        return f + random.RandomInt(v);
    return f + v + random.RandomInt(k);
}

namespace {

// Tracks the depth at which the next node of a growing prefix program hangs:
// a stack of the depths of the argument slots still open.
class SlotDepths {
public:
    void Reset() {
        open_.clear();
        open_.push_back(0);
        maxDepth_ = 0;
    }
    [[nodiscard]] int32_t Next() const { return open_.empty() ? 0 : open_.back(); }
    [[nodiscard]] int32_t MaxDepth() const { return maxDepth_; }
    void Place(int32_t arityMinus1) {
        const int32_t depth = Next();
        maxDepth_ = std::max(maxDepth_, depth);
        if (!open_.empty())
            open_.pop_back();
        for (int32_t a = 0; a <= arityMinus1; ++a)
            open_.push_back(depth + 1);
    }

private:
    std::vector<int32_t> open_;
    int32_t maxDepth_ = 0;
};

} // namespace

void InitializePopulation(RandomGenerator& random, const Problem& problem, Population& population) {
    std::vector<int32_t> work;
    try {
        work.resize(std::max(population.settings.maxLength, kMaxInitialNodes));
    } catch (const std::bad_alloc&) {
        throw MemoryError(kMemoryMessage);
    }
    const int32_t depthLimit = population.settings.maxInitialDepth;
    SlotDepths depths;
    for (auto& individual : population.Current()) {
        int32_t c = 0;
        int32_t balance = 0;
        depths.Reset();
        for (;;) {
            if (balance == -1) {
                if (depths.MaxDepth() > 0 && c > 0)
                    break;
                c = 0;
                balance = 0;
                depths.Reset();
            } else if (c >= kMaxInitialNodes) {
                c = 0;
                balance = 0;
                depths.Reset();
            }
            NodeKind kind = NodeKind::Any;
            if (c == 0)
                kind = NodeKind::Function;
            else if (depths.Next() == depthLimit)
                kind = NodeKind::Terminal;
            const int32_t code = ChooseNode(random, problem, population, kind);
            work[c] = code;
            const int32_t arityMinus1 = problem.nodeTable[code].arityMinus1;
            balance += arityMinus1;
            depths.Place(arityMinus1);
            ++c;
        }
        assert(c <= static_cast<int32_t>(individual->nodes.size()));
        std::copy(work.begin(), work.begin() + c, individual->nodes.begin());
        std::fill(individual->nodes.begin() + c, individual->nodes.end(), 0);
        individual->length = c;
        individual->rawFitnessKnown = false;
        individual->tuned = false;
    }
}

} // namespace quba
