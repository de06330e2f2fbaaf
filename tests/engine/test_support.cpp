#include "tests/engine/test_support.h"

#include "engine/fitness.h"
#include "engine/functions.h"

#include <stdexcept>

TestGrid TestGrid::Filled(int32_t size, float value) {
    return {size, std::vector<float>(static_cast<size_t>(size) * size, value)};
}

ProblemSettings SettingsWith(std::initializer_list<int> functionPositions, const TestGrid& grid,
                             int32_t constantCount, const char* lower, const char* upper) {
    ProblemSettings settings;
    settings.functionChecked = {};
    for (int k : functionPositions)
        settings.functionChecked[k] = true;
    settings.constantCountText = std::to_string(constantCount);
    settings.rangeLowerText = lower;
    settings.rangeUpperText = upper;
    settings.training = grid.View();
    settings.useTrainingData = true;
    return settings;
}

ScopedProblem::ScopedProblem(const ProblemSettings& settings) : savedRandom_(GetRandomState()) {
    runTable.problem = BuildProblem(settings, BuildFunctionTable());
}

ScopedProblem::ScopedProblem(std::initializer_list<int> functionPositions, const TestGrid& grid,
                             int32_t constantCount, const char* lower, const char* upper)
    : ScopedProblem(SettingsWith(functionPositions, grid, constantCount, lower, upper)) {}

ScopedProblem::~ScopedProblem() {
    runTable.problem.reset();
    runTable.current = nullptr;
    SetRandomState(savedRandom_);
}

int32_t ScopedProblem::Code(const std::string& name) const {
    const Problem& p = *runTable.problem;
    if (name.size() > 1 && name[0] == '#')
        return p.functionCount + p.variableCount + std::stoi(name.substr(1));
    for (int32_t code = 0; code < p.functionCount + p.variableCount; ++code)
        if (p.nodeTable[code].name == name)
            return code;
    throw std::invalid_argument("no node named " + name);
}

std::vector<int32_t> ScopedProblem::Program(std::initializer_list<std::string> names) const {
    std::vector<int32_t> codes;
    for (const auto& name : names)
        codes.push_back(Code(name));
    return codes;
}

Individual MakeIndividual(const std::vector<int32_t>& codes, int32_t maxLength) {
    Individual individual;
    individual.nodes.assign(maxLength, 0);
    std::copy(codes.begin(), codes.end(), individual.nodes.begin());
    individual.length = static_cast<int32_t>(codes.size());
    return individual;
}

long double EvaluateAt(const std::vector<int32_t>& program, float x, float y) {
    SetVariables(x, y);
    runTable.problem->evaluationError = false;
    int32_t position = 0;
    return Evaluate(program.data(), position);
}

namespace {

uint32_t Inverse32(uint32_t a) {
    uint32_t x = a; // Newton's iteration doubles the correct low bits each step
    for (int i = 0; i < 5; ++i)
        x *= 2u - a * x;
    return x;
}

uint64_t Inverse64(uint64_t a) {
    uint64_t x = a;
    for (int i = 0; i < 6; ++i)
        x *= 2u - a * x;
    return x;
}

} // namespace

RandomState StateBeforeRand15(int32_t value) {
    const uint32_t after = static_cast<uint32_t>(value) << 16;
    return {(after - 1u) * Inverse32(22695477u), 0u};
}

RandomState StateBeforeRand31(uint32_t highWord) {
    const uint64_t after = static_cast<uint64_t>(highWord) << 32;
    const uint64_t before = (after - 1u) * Inverse64(0x0000015A00004E35ull);
    return {static_cast<uint32_t>(before), static_cast<uint32_t>(before >> 32)};
}
