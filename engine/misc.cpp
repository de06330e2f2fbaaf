#include "engine/misc.h"

#include <cstdio>

#include <utility>

namespace quba {

namespace {

using Buffer = Generation;

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
        const char sign = PrimitiveOf(node.primitive).symbol;
        return " (if " + args[0] + " " + sign + " " + args[1] + " then " + args[2] + " else " +
               args[3] + ") ";
    }
    default:
        return node.name;
    }
}

namespace {

// A scaling's number: four significant digits, as short as they allow.
std::string ScalingNumber(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4g", static_cast<double>(value));
    return text;
}

} // namespace

std::string OutputText(const std::string& outputName, const Problem& problem, const int32_t* nodes,
                       const std::optional<Scaling>& scaling) {
    int32_t position = 0;
    std::string text = outputName + "=";
    if (scaling)
        text += ScalingNumber(scaling->offset) + "+" + ScalingNumber(scaling->factor) + "*";
    return text + ProgramText(problem.nodeTable.data(), nodes, position);
}

} // namespace quba
