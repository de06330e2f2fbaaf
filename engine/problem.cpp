#include "engine/problem.h"

#include "core/decimal.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace quba {

bool EnsureOneFunction(std::array<bool, kFunctionCount>& checked) {
    for (bool c : checked)
        if (c)
            return false;
    checked[0] = true;
    return true;
}

void FillBlockCoordinates(int32_t width, int32_t height, std::vector<float>& xs,
                          std::vector<float>& ys) {
    const auto count = static_cast<size_t>(width) * static_cast<size_t>(height);
    xs.resize(count);
    ys.resize(count);
    const auto halfWidth = static_cast<long double>(width / 2);
    const auto halfHeight = static_cast<long double>(height / 2);
    for (int32_t r = 0; r < height; ++r) {
        const auto y =
            static_cast<float>((static_cast<long double>(r) - halfHeight + 0.5L) / halfHeight);
        for (int32_t c = 0; c < width; ++c) {
            const size_t k = static_cast<size_t>(r) * static_cast<size_t>(width) + c;
            xs[k] =
                static_cast<float>((static_cast<long double>(c) - halfWidth + 0.5L) / halfWidth);
            ys[k] = y;
        }
    }
}

namespace {

// The exact decimal expansion of a float rounded to one significant digit,
// ties away from zero, as the nearest double.
double RoundToOneDigit(float value) {
    if (value == 0)
        return value;
    const LeadingDigits digits = LeadingDigitsOf(std::fabs(value));
    const int digit = digits.first + (digits.next >= 5 ? 1 : 0);
    const double magnitude = std::strtod(
        (std::to_string(digit) + "e" + std::to_string(digits.exponent)).c_str(), nullptr);
    return value < 0 ? -magnitude : magnitude;
}

void FillCases(const DataGrid& grid, std::vector<float>& xs, std::vector<float>& ys,
               std::vector<float>& targets) {
    FillBlockCoordinates(grid.Size(), grid.Size(), xs, ys);
    targets.assign(grid.Cells().begin(), grid.Cells().end());
}

// The fitness cases are copies, so the grids may change during the run.
void BuildFitnessCases(Problem& problem, const ProblemValues& values) {
    const DataGrid& training = values.training;
    FillCases(training, problem.trainingX, problem.trainingY, problem.trainingTargets);
    problem.trainingCount = training.Size() * training.Size();
    problem.trainingSide = training.Size();
    if (values.useTrainingData) {
        problem.validationX = problem.trainingX;
        problem.validationY = problem.trainingY;
        problem.validationTargets = problem.trainingTargets;
        problem.validationCount = problem.trainingCount;
        problem.validationSide = training.Size();
        return;
    }
    const DataGrid& validation = values.validation;
    FillCases(validation, problem.validationX, problem.validationY, problem.validationTargets);
    problem.validationCount = validation.Size() * validation.Size();
    problem.validationSide = validation.Size();
}

} // namespace

std::string ConstantName(float value) {
    const double rounded = RoundToOneDigit(value);
    char text[64];
    // to_chars writes as printf does in the "C" locale, whatever the user's locale.
    const auto result =
        std::fabs(rounded) >= 10
            ? std::to_chars(text, text + sizeof text, rounded, std::chars_format::scientific, 0)
            : std::to_chars(text, text + sizeof text, rounded, std::chars_format::fixed, 3);
    return std::string(text, result.ptr);
}

std::unique_ptr<Problem> BuildProblem(const ProblemValues& values, const FunctionTable& functions) {
    auto checked = values.functionChecked;
    EnsureOneFunction(checked);

    auto problem = std::make_unique<Problem>();
    for (bool c : checked)
        problem->functionCount += c ? 1 : 0;
    problem->constantCount = values.constantCount;
    problem->variableCount = 2;

    // In size_t: the largest constant count must not overflow the sum.
    const size_t tableSize = static_cast<size_t>(problem->functionCount) + 2 +
                             static_cast<size_t>(problem->constantCount);
    problem->nodeTable.resize(tableSize);
    problem->constants.resize(problem->constantCount);

    problem->constantLower = values.constantLower;
    problem->constantUpper = values.constantUpper;
    const long double lower = problem->constantLower;
    const long double width = static_cast<long double>(problem->constantUpper) - lower;
    for (int32_t i = 0; i < problem->constantCount; ++i)
        problem->constants[i] = static_cast<float>(lower + static_cast<long double>(i) * width /
                                                               problem->constantCount);

    int32_t code = 0;
    for (int k = 0; k < kFunctionCount; ++k)
        if (checked[k])
            problem->nodeTable[code++] = functions.functions[k];
    problem->nodeTable[code++] =
        NodeEntry{-1, values.horizontalName, functions.variableReader, 0, NodeType::Variable};
    problem->nodeTable[code++] =
        NodeEntry{-1, values.verticalName, functions.variableReader, 1, NodeType::Variable};
    for (int32_t i = 0; i < problem->constantCount; ++i)
        problem->nodeTable[code++] = NodeEntry{-1, ConstantName(problem->constants[i]),
                                               functions.constantReader, i, NodeType::Constant};

    BuildFitnessCases(*problem, values);
    problem->paused = false;
    return problem;
}

std::shared_ptr<Problem> ProblemOnGrids(const Problem& problem, const DataGrid& training,
                                        const DataGrid& validation, bool useTrainingData) {
    auto moved = std::make_shared<Problem>(problem);
    ProblemValues grids;
    grids.training = training;
    grids.validation = validation;
    grids.useTrainingData = useTrainingData;
    BuildFitnessCases(*moved, grids);
    moved->paused = false;
    return moved;
}

std::shared_ptr<Problem> ProblemOnBlock(const Problem& problem, int32_t width, int32_t height,
                                        std::vector<float> targets) {
    auto moved = std::make_shared<Problem>(problem);
    FillBlockCoordinates(width, height, moved->trainingX, moved->trainingY);
    moved->trainingTargets = std::move(targets);
    moved->trainingCount = width * height;
    moved->trainingSide = width == height ? width : 0;
    moved->validationX = moved->trainingX;
    moved->validationY = moved->trainingY;
    moved->validationTargets = moved->trainingTargets;
    moved->validationCount = moved->trainingCount;
    moved->validationSide = moved->trainingSide;
    moved->paused = false;
    return moved;
}

int32_t AddOwnConstant(Problem& problem, float value) {
    const int32_t firstConstant = problem.functionCount + problem.variableCount;
    NodeEntry entry = problem.nodeTable[static_cast<size_t>(firstConstant)];
    entry.name = ConstantName(value);
    entry.terminalIndex = static_cast<int32_t>(problem.constants.size());
    problem.constants.push_back(value);
    problem.nodeTable.push_back(std::move(entry));
    return static_cast<int32_t>(problem.nodeTable.size()) - 1;
}

} // namespace quba
