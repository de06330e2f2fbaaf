#include "tests/engine/test_support.h"

#include "core/decimal.h"
#include "engine/evaluation.h"
#include "engine/functions.h"

#include <stdexcept>

namespace quba {

ProblemValues ValuesWith(std::initializer_list<int> functionPositions, const DataGrid& grid,
                         int32_t constantCount, const char* lower, const char* upper) {
    ProblemValues values;
    values.functionChecked = {};
    for (int k : functionPositions)
        values.functionChecked[k] = true;
    values.constantCount = constantCount;
    values.constantLower = TextToFloat(lower);
    values.constantUpper = TextToFloat(upper);
    values.horizontalName = "X";
    values.verticalName = "Y";
    values.training = grid;
    values.useTrainingData = true;
    return values;
}

ScopedProblem::ScopedProblem(const ProblemValues& values)
    : problem_(BuildProblem(values, BuildFunctionTable())) {}

ScopedProblem::ScopedProblem(std::initializer_list<int> functionPositions, const DataGrid& grid,
                             int32_t constantCount, const char* lower, const char* upper)
    : ScopedProblem(ValuesWith(functionPositions, grid, constantCount, lower, upper)) {}

int32_t ScopedProblem::Code(const std::string& name) const {
    const Problem& p = *problem_;
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

long double ScopedProblem::EvaluateAt(const std::vector<int32_t>& program, float x, float y,
                                      bool* failed) const {
    EvaluationContext context(*problem_);
    SetVariables(context, x, y);
    int32_t position = 0;
    const long double value = Evaluate(context, program.data(), position);
    if (failed != nullptr)
        *failed = context.evaluationError;
    return value;
}

PopulationValues DefaultPopulationValues() {
    PopulationValues values;
    values.populationSize = 1000;
    values.generations = 50;
    values.selectionMethod = SelectionMethod::Proportional;
    values.tournamentSize = 0;
    values.crossoverRate = 0.7f;
    values.mutationRate = 0.2f;
    values.onePointMutationRate = 0.0f;
    values.eliteFraction = static_cast<float>(10 * 0.01L);
    values.maxLength = 100;
    values.maxInitialDepth = 5;
    values.functionRatio = 0.5f;
    values.variableRatio = 0.2f;
    return values;
}

ProblemValues ValuesOf(const Workload& workload, const DataGrid& grid, int32_t constantCount) {
    ProblemValues values = ValuesWith({}, grid, constantCount, workload.lower, workload.upper);
    for (int k : workload.functions)
        values.functionChecked[k] = true;
    return values;
}

RunSettings DefaultRunSettings(const DataGrid& grid, int32_t count) {
    RunSettings settings;
    settings.problem = ValuesWith({0, 1, 2, 3}, grid, 1000, "-1", "1");
    settings.populations.assign(static_cast<size_t>(count), DefaultPopulationValues());
    return settings;
}

std::vector<int32_t> RandomProgram(const Problem& problem, std::mt19937& random, int32_t maxLength,
                                   double functionShare) {
    const int32_t functions = problem.functionCount;
    const auto tableSize = static_cast<int32_t>(problem.nodeTable.size());
    std::uniform_real_distribution<double> unit(0, 1);
    for (;;) {
        std::vector<int32_t> program;
        int32_t open = 1;
        while (open > 0 && static_cast<int32_t>(program.size()) < maxLength) {
            const bool function = unit(random) < functionShare;
            const int32_t code =
                function ? std::uniform_int_distribution<int32_t>(0, functions - 1)(random)
                         : std::uniform_int_distribution<int32_t>(functions, tableSize - 1)(random);
            program.push_back(code);
            open += problem.nodeTable[code].arityMinus1;
        }
        if (open == 0)
            return program;
    }
}

Individual MakeIndividual(const std::vector<int32_t>& codes, int32_t maxLength) {
    Individual individual;
    individual.nodes.assign(maxLength, 0);
    std::copy(codes.begin(), codes.end(), individual.nodes.begin());
    individual.length = static_cast<int32_t>(codes.size());
    return individual;
}

} // namespace quba
