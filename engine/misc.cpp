#include "engine/misc.h"

#include "engine/functions.h"
#include "engine/gp_pop.h"

#include <utility>

namespace {

// At process start the generator is in the state that SeedRandom(1) leaves.
RandomState randomState = [] {
    RandomState s{1u, 0u};
    s.low = s.low * 22695477u + 1u;
    return s;
}();

constexpr long double kInverse32767 = 1.0L / 32767.0L;

} // namespace

void SeedRandom(uint32_t seed) {
    randomState.low = seed;
    randomState.high = 0;
    Rand15();
}

int32_t Rand15() {
    randomState.low = randomState.low * 22695477u + 1u;
    return static_cast<int32_t>((randomState.low >> 16) & 0x7FFFu);
}

int32_t Rand31() {
    uint64_t state = (static_cast<uint64_t>(randomState.high) << 32) | randomState.low;
    state = state * 0x0000015A00004E35ull + 1u;
    randomState.low = static_cast<uint32_t>(state);
    randomState.high = static_cast<uint32_t>(state >> 32);
    return static_cast<int32_t>(randomState.high & 0x7FFFFFFFu);
}

long double RandomUnit() {
    return static_cast<long double>(Rand15()) * kInverse32767;
}

int32_t RandomInt(int32_t n) {
    if (n == 0)
        return 0;
    return Rand31() % n;
}

RandomState GetRandomState() {
    return randomState;
}
void SetRandomState(RandomState state) {
    randomState = state;
}

namespace {

using Buffer = std::vector<std::unique_ptr<Individual>>;

// The fixed in-place quicksort that makes the ranking reproducible. Comparisons
// with a not-a-number are false, so such values count as equal to the pivot.
void QuickSort(Buffer& buffer, int32_t lo, int32_t hi) {
    int32_t i;
    do {
        i = lo;
        int32_t j = hi;
        const float pivot = buffer[(lo + hi) / 2]->normalizedFitness;
        do {
            while (buffer[i]->normalizedFitness > pivot)
                ++i;
            while (buffer[j]->normalizedFitness < pivot)
                --j;
            if (i <= j) {
                std::swap(buffer[i], buffer[j]);
                ++i;
                --j;
            }
        } while (i <= j);
        if (lo < j)
            QuickSort(buffer, lo, j);
        lo = i;
    } while (i < hi);
}

} // namespace

void SortByFitness(Population& population) {
    Buffer& buffer = population.buffers[population.currentBuffer];
    if (buffer.size() < 2)
        return;
    QuickSort(buffer, 0, static_cast<int32_t>(buffer.size()) - 1);
}

std::string ProgramText(const NodeEntry* nodeTable, const int32_t* nodes, int32_t& position) {
    const NodeEntry& node = nodeTable[nodes[position]];
    switch (node.arityMinus1) {
    case 0: {
        ++position;
        std::string a = ProgramText(nodeTable, nodes, position);
        return node.name + " (" + a + ") ";
    }
    case 1: {
        ++position;
        std::string a = ProgramText(nodeTable, nodes, position);
        ++position;
        std::string b = ProgramText(nodeTable, nodes, position);
        return " (" + a + node.name + b + ") ";
    }
    case 3: {
        std::string args[4];
        for (std::string& arg : args) {
            ++position;
            arg = ProgramText(nodeTable, nodes, position);
        }
        const char sign = node.name.size() > 3 ? node.name[3] : ' ';
        return " (if " + args[0] + " " + sign + " " + args[1] + " then " + args[2] + " else " +
               args[3] + ") ";
    }
    default:
        return node.name;
    }
}
