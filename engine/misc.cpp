#include "engine/misc.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <functional>

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

namespace {

using TerminalName = std::function<std::string(const NodeEntry&)>;

// The program text's walk, with the text of each terminal from `terminal`.
std::string Text(const NodeEntry* nodeTable, const int32_t* nodes, int32_t& position,
                 const TerminalName& terminal) {
    const NodeEntry& node = nodeTable[nodes[position]];
    switch (node.arityMinus1) {
    case 0: {
        ++position;
        std::string a = Text(nodeTable, nodes, position, terminal);
        return node.name + " (" + a + ") ";
    }
    case 1: {
        ++position;
        std::string a = Text(nodeTable, nodes, position, terminal);
        ++position;
        std::string b = Text(nodeTable, nodes, position, terminal);
        return " (" + a + node.name + b + ") ";
    }
    case 3: {
        std::string args[4];
        for (std::string& arg : args) {
            ++position;
            arg = Text(nodeTable, nodes, position, terminal);
        }
        const char sign = PrimitiveOf(node.primitive).symbol;
        return " (if " + args[0] + " " + sign + " " + args[1] + " then " + args[2] + " else " +
               args[3] + ") ";
    }
    default:
        return terminal(node);
    }
}

// The shortest decimal that reads back as the same float.
std::string ExactNumber(float value) {
    std::array<char, 32> text{};
    char* end = std::to_chars(text.data(), text.data() + text.size(), value).ptr;
    return std::string(text.data(), end);
}

} // namespace

std::string ProgramText(const NodeEntry* nodeTable, const int32_t* nodes, int32_t& position) {
    return Text(nodeTable, nodes, position, [](const NodeEntry& node) { return node.name; });
}

std::string ExactOutputText(const std::string& outputName, const Problem& problem,
                            const int32_t* nodes, const std::optional<Scaling>& scaling) {
    std::string text = outputName + "=";
    if (scaling)
        text += ExactNumber(scaling->offset) + "+" + ExactNumber(scaling->factor) + "*";
    int32_t position = 0;
    return text + Text(problem.nodeTable.data(), nodes, position, [&](const NodeEntry& node) {
               return node.type == NodeType::Constant
                          ? ExactNumber(problem.constants[static_cast<size_t>(node.terminalIndex)])
                          : node.name;
           });
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
