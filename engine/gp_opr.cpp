#include "engine/gp_opr.h"

#include "engine/init.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <vector>

namespace quba {

int32_t SubtreeEnd(const NodeEntry* nodeTable, const int32_t* nodes, int32_t start,
                   int32_t length) {
    int32_t sum = 0;
    for (int32_t e = start; e < length; ++e) {
        sum += nodeTable[nodes[e]].arityMinus1;
        if (sum == -1)
            return e;
    }
    return -1;
}

namespace {

struct Range {
    int32_t start;
    int32_t end; // last position, inclusive
    [[nodiscard]] int32_t Size() const { return end - start + 1; }
};

// A random subtree; the draw is repeated if the walk runs off the program.
Range ChooseSubtree(RandomGenerator& random, const NodeEntry* table, const int32_t* nodes,
                    int32_t length) {
    for (;;) {
        const int32_t start = random.RandomInt(length);
        const int32_t end = SubtreeEnd(table, nodes, start, length);
        if (end >= 0)
            return {start, end};
    }
}

// Writes `length` nodes gathered by `fill` and clears the rest of the capacity.
template <typename Fill>
void WriteChild(Individual& child, int32_t length, int32_t maxLength, Fill fill) {
    assert(length <= maxLength);
    int32_t* out = child.nodes.data();
    fill(out);
    std::fill(out + length, out + maxLength, 0);
    child.length = length;
    child.rawFitnessKnown = false;
    child.tuned = false;
}

} // namespace

void Crossover(RandomGenerator& random, const Problem& problem, Individual& child,
               const Individual& receiver, const Individual& donor, int32_t maxLength) {
    const NodeEntry* table = problem.nodeTable.data();
    Range cut{};
    Range graft{};
    int32_t length = 0;
    do {
        cut = ChooseSubtree(random, table, receiver.nodes.data(), receiver.length);
        graft = ChooseSubtree(random, table, donor.nodes.data(), donor.length);
        length = receiver.length - cut.Size() + graft.Size();
    } while (length > maxLength);

    const int32_t* r = receiver.nodes.data();
    const int32_t* d = donor.nodes.data();
    WriteChild(child, length, maxLength, [&](int32_t* out) {
        out = std::copy(r, r + cut.start, out);
        out = std::copy(d + graft.start, d + graft.end + 1, out);
        std::copy(r + cut.end + 1, r + receiver.length, out);
    });
}

void Mutation(RandomGenerator& random, const Problem& problem, const Population& population,
              Individual& child, const Individual& parent, int32_t maxLength, int32_t maxSubtree) {
    const NodeEntry* table = problem.nodeTable.data();
    // The usual limit of 30 nodes fits on the stack; a larger one is allocated.
    std::array<int32_t, 30> smallScratch{};
    std::vector<int32_t> largeScratch;
    int32_t* scratch = smallScratch.data();
    if (maxSubtree > static_cast<int32_t>(smallScratch.size())) {
        largeScratch.resize(maxSubtree);
        scratch = largeScratch.data();
    }

    const Range cut = ChooseSubtree(random, table, parent.nodes.data(), parent.length);
    const int32_t rest = parent.length - cut.Size();

    int32_t n = 0;
    int32_t sum = 0;
    for (;;) {
        if (rest + n >= maxLength || n >= maxSubtree) {
            n = 0;
            sum = 0;
        }
        scratch[n] = ChooseNode(random, problem, population, NodeKind::Mutation);
        sum += table[scratch[n]].arityMinus1;
        if (sum == -1)
            break;
        ++n;
    }
    const int32_t grown = n + 1;

    const int32_t* p = parent.nodes.data();
    WriteChild(child, rest + grown, maxLength, [&](int32_t* out) {
        out = std::copy(p, p + cut.start, out);
        out = std::copy(scratch, scratch + grown, out);
        std::copy(p + cut.end + 1, p + parent.length, out);
    });
}

void OnePointCrossover(RandomGenerator& random, const Problem& problem, Individual& child,
                       const Individual& first, const Individual& second, int32_t maxLength) {
    const NodeEntry* table = problem.nodeTable.data();
    auto prefixSum = [table](const Individual& individual, int32_t last) {
        int32_t sum = 0;
        for (int32_t k = 0; k <= last; ++k)
            sum += table[individual.nodes[k]].arityMinus1;
        return sum;
    };
    int32_t j = 0;
    int32_t i = 0;
    for (;;) {
        j = random.RandomInt(first.length);
        const int32_t a = prefixSum(first, j);
        i = random.RandomInt(second.length);
        const int32_t b = prefixSum(second, i);
        if (a == b && j + second.length - i <= maxLength)
            break;
    }
    const int32_t* f = first.nodes.data();
    const int32_t* s = second.nodes.data();
    WriteChild(child, j + second.length - i, maxLength, [&](int32_t* out) {
        out = std::copy(f, f + j + 1, out);
        std::copy(s + i + 1, s + second.length, out);
    });
}

void CopyIndividual(Individual& child, const Individual& parent, int32_t maxLength) {
    child.rawFitness = parent.rawFitness;
    child.adjustedFitness = parent.adjustedFitness;
    child.normalizedFitness = parent.normalizedFitness;
    const int32_t* p = parent.nodes.data();
    WriteChild(child, parent.length, maxLength,
               [&](int32_t* out) { std::copy(p, p + parent.length, out); });
    child.rawFitnessKnown = parent.rawFitnessKnown;
    child.scaling = parent.scaling;
    child.tuned = parent.tuned;
}

} // namespace quba
