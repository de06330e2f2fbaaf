#include "engine/problem.h"

#include "engine/fitness.h"
#include "engine/settings.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

bool EnsureOneFunction(std::array<bool, kFunctionCount>& checked) {
    for (bool c : checked)
        if (c)
            return false;
    checked[0] = true;
    return true;
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

std::unique_ptr<Problem> BuildProblem(const ProblemSettings& settings,
                                      const FunctionTable& functions) {
    auto checked = settings.functionChecked;
    EnsureOneFunction(checked);

    auto problem = std::make_unique<Problem>();
    for (bool c : checked)
        problem->functionCount += c ? 1 : 0;
    problem->constantCount = TextToInteger(settings.constantCountText);
    problem->variableCount = 2;

    // In size_t: the largest constant count must not overflow the sum.
    const size_t tableSize = static_cast<size_t>(problem->functionCount) + 2 +
                             static_cast<size_t>(problem->constantCount);
    problem->nodeTable.resize(tableSize);
    problem->constants.resize(problem->constantCount);

    problem->constantLower = TextToFloat(settings.rangeLowerText);
    problem->constantUpper = TextToFloat(settings.rangeUpperText);
    const long double lower = problem->constantLower;
    const long double width = static_cast<long double>(problem->constantUpper) - lower;
    for (int32_t i = 0; i < problem->constantCount; ++i)
        problem->constants[i] = static_cast<float>(lower + static_cast<long double>(i) * width /
                                                               problem->constantCount);

    int32_t code = 0;
    for (int k = 0; k < kFunctionCount; ++k) {
        if (checked[k]) {
            problem->functionPositions.push_back(k);
            problem->nodeTable[code++] = functions[k];
        }
    }
    problem->nodeTable[code++] = NodeEntry{-1, settings.horizontalName, VariableNode, 0};
    problem->nodeTable[code++] = NodeEntry{-1, settings.verticalName, VariableNode, 1};
    for (int32_t i = 0; i < problem->constantCount; ++i)
        problem->nodeTable[code++] =
            NodeEntry{-1, ConstantName(problem->constants[i]), ConstantNode, i};

    BuildFitnessCases(*problem, settings.training, settings.validation, settings.useTrainingData);
    problem->evaluation = settings.evaluation;
    problem->evaluators.resize(WorkerThreads(problem->evaluation));
    problem->paused = false;
    return problem;
}
