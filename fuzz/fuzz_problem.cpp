#include "fuzz/fuzz_problem.h"

#include "engine/functions.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <string>

namespace {

// The shortest text that reads back as the same float.
std::string FloatText(float value) {
    std::array<char, 32> text{};
    const auto result = std::to_chars(text.data(), text.data() + text.size(), value);
    return {text.data(), result.ptr};
}

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
struct FuzzGrid {
    int32_t size = 2;
    std::vector<float> cells;

    explicit FuzzGrid(ByteReader& in) : size(2 + in.Byte() % 11) {
        std::vector<float> values(1 + in.Byte() % 8);
        for (float& value : values) {
            const uint8_t kind = in.Byte();
            value =
                kind & 1 ? FiniteOr(in.RawFloat(), 0.5f) : static_cast<float>(kind) / 128.0f - 1.0f;
        }
        cells.resize(static_cast<size_t>(size) * static_cast<size_t>(size));
        for (size_t k = 0; k < cells.size(); ++k)
            cells[k] = values[k % values.size()];
    }
    [[nodiscard]] GridView View() const { return {size, cells.data()}; }
};

} // namespace

FuzzProblem::FuzzProblem(ByteReader& in) {
    ProblemSettings settings;
    const uint16_t functionBits = in.Uint16();
    for (int k = 0; k < kFunctionCount; ++k)
        settings.functionChecked[k] = (functionBits >> k) & 1;
    settings.constantCountText = std::to_string(1 + in.Byte() % 64);
    const auto [lower, upper] = ConstantRange(in);
    settings.rangeLowerText = FloatText(lower);
    settings.rangeUpperText = FloatText(upper);
    const FuzzGrid training(in);
    const FuzzGrid validation(in);
    settings.training = training.View();
    settings.validation = validation.View();
    settings.useTrainingData = in.Byte() & 1;
    settings.evaluation.evaluator = EvaluatorKind::Batch;
    runTable.problem = BuildProblem(settings, BuildFunctionTable());
}

FuzzProblem::~FuzzProblem() {
    runTable.current = nullptr;
    runTable.problem.reset();
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
