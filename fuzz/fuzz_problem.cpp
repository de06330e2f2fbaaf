#include "fuzz/fuzz_problem.h"

#include "engine/functions.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <string>

using namespace quba;

namespace {

float FiniteOr(float value, float fallback) {
    return std::isfinite(value) ? value : fallback;
}

// Typical ranges, and now and then any two finite floats.
std::pair<float, float> ConstantRange(ByteReader& in) {
    switch (in.Byte() % 4) {
    case 0:
        return {-1.0f, 1.0f};
    case 1:
        return {-10.0f, 10.0f};
    case 2:
        return {-3.0e38f, 3.0e38f};
    default:
        return {FiniteOr(in.RawFloat(), -2.0f), FiniteOr(in.RawFloat(), 2.0f)};
    }
}

// 1 to 8 cell values read from the bytes, repeated over the grid.
DataGrid FuzzGrid(ByteReader& in) {
    DataGrid grid(2 + in.Byte() % 11);
    std::vector<float> values(1 + in.Byte() % 8);
    for (float& value : values) {
        const uint8_t kind = in.Byte();
        value = kind & 1 ? FiniteOr(in.RawFloat(), 0.5f) : static_cast<float>(kind) / 128.0f - 1.0f;
    }
    const int32_t size = grid.Size();
    for (int32_t k = 0; k < size * size; ++k)
        grid.At(k / size, k % size) = values[static_cast<size_t>(k) % values.size()];
    return grid;
}

} // namespace

FuzzProblem::FuzzProblem(ByteReader& in) {
    ProblemValues values;
    const uint16_t functionBits = in.Uint16();
    for (int k = 0; k < kFunctionCount; ++k)
        values.functionChecked[k] = (functionBits >> k) & 1;
    values.constantCount = 1 + in.Byte() % 64;
    const auto [lower, upper] = ConstantRange(in);
    values.constantLower = lower;
    values.constantUpper = upper;
    values.horizontalName = "X";
    values.verticalName = "Y";
    values.training = FuzzGrid(in);
    values.validation = FuzzGrid(in);
    values.useTrainingData = in.Byte() & 1;
    problem_ = BuildProblem(values, BuildFunctionTable());
}

std::vector<int32_t> DecodeProgram(ByteReader& in, const Problem& problem, int32_t maxLength) {
    const int32_t functions = problem.functionCount;
    const int32_t variables = problem.variableCount;
    const int32_t constants = problem.constantCount;
    std::vector<int32_t> program;
    int32_t open = 1; // argument slots still to fill
    while (open > 0) {
        int32_t code = functions; // the first variable
        if (!in.Empty()) {
            const uint8_t kind = in.Byte();
            const uint8_t member = in.Byte();
            if (kind % 4 < 2)
                code = member % functions;
            else if (kind % 4 == 2)
                code = functions + member % variables;
            else
                code = functions + variables + member % constants;
        }
        const auto placed = static_cast<int32_t>(program.size());
        if (code < functions && placed + open + problem.nodeTable[code].arityMinus1 + 1 > maxLength)
            code = functions + code % variables;
        program.push_back(code);
        open += problem.nodeTable[code].arityMinus1;
    }
    return program;
}

bool IsWellFormed(const Problem& problem, const int32_t* nodes, int32_t length) {
    const auto tableSize = static_cast<int32_t>(problem.nodeTable.size());
    int32_t sum = 0;
    for (int32_t p = 0; p < length; ++p) {
        if (nodes[p] < 0 || nodes[p] >= tableSize)
            return false;
        sum += problem.nodeTable[nodes[p]].arityMinus1;
        if (sum == -1)
            return p == length - 1;
    }
    return false;
}

int32_t ProgramDepth(const Problem& problem, const int32_t* nodes, int32_t length) {
    std::vector<int32_t> openDepths{0}; // depths of the argument slots still open
    int32_t deepest = 0;
    for (int32_t p = 0; p < length && !openDepths.empty(); ++p) {
        const int32_t depth = openDepths.back();
        openDepths.pop_back();
        deepest = std::max(deepest, depth);
        for (int32_t a = 0; a <= problem.nodeTable[nodes[p]].arityMinus1; ++a)
            openDepths.push_back(depth + 1);
    }
    return deepest;
}
