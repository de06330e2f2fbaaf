// The per-run problem record: node table, constants and fitness cases. It is
// built once at Start; afterwards only the pause flag changes, so evaluators
// may read it from any thread.
#pragma once

#include "engine/primitives.h"
#include "engine/run_settings.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quba {

struct EvaluationContext;

// The recursive evaluator's routine of a node: evaluates the node at
// `position` and its arguments; on return `position` is one past the subtree.
using EvaluateRoutine = long double (*)(EvaluationContext& context, const int32_t* program,
                                        int32_t& position);

enum class NodeType : uint8_t { Function, Variable, Constant };

struct NodeEntry {
    int32_t arityMinus1 = -1; // arguments minus one; -1 for terminals
    std::string name;         // text in program listings
    EvaluateRoutine evaluate = nullptr;
    int32_t terminalIndex = 0; // variable or constant index; unused for functions
    NodeType type = NodeType::Function;
    PrimitiveId primitive = PrimitiveId::Add; // which function; unused for terminals
};

// The routines of the node table: one per primitive in check-list order, and
// the readers of the two terminal kinds.
struct FunctionTable {
    std::array<NodeEntry, kFunctionCount> functions;
    EvaluateRoutine variableReader = nullptr;
    EvaluateRoutine constantReader = nullptr;
};

// One set of fitness cases: parallel arrays of `count` values.
struct CaseSet {
    const float* xs = nullptr;
    const float* ys = nullptr;
    const float* targets = nullptr;
    int32_t count = 0;
};

struct Problem {
    int32_t trainingCount = 0;
    int32_t validationCount = 0;
    int32_t functionCount = 0;
    int32_t variableCount = 2;
    int32_t constantCount = 0;
    float constantUpper = 0;
    float constantLower = 0;
    bool paused = false;
    std::vector<NodeEntry> nodeTable;
    std::vector<float> constants;
    std::vector<float> validationTargets;
    std::vector<float> trainingTargets;
    std::vector<float> validationX;
    std::vector<float> validationY;
    std::vector<float> trainingX;
    std::vector<float> trainingY;
    int32_t trainingSide = 0;   // N of the training grid at Start
    int32_t validationSide = 0; // N of the validation cases at Start

    [[nodiscard]] CaseSet TrainingCases() const {
        return {trainingX.data(), trainingY.data(), trainingTargets.data(), trainingCount};
    }
    [[nodiscard]] CaseSet ValidationCases() const {
        return {validationX.data(), validationY.data(), validationTargets.data(), validationCount};
    }
};

// Checks "+" when no function is checked; returns whether it had to.
bool EnsureOneFunction(std::array<bool, kFunctionCount>& checked);

// Builds the record: the node table (the checked functions in check-list
// order, the two variables, the constants), the constants and the fitness
// cases (FillBlockCoordinates of the N x N grid).
std::unique_ptr<Problem> BuildProblem(const ProblemValues& values, const FunctionTable& functions);

// Name of a constant: its value rounded to one significant digit, ties away
// from zero, printed with three decimals ("%.0e" from a magnitude of 10 on).
std::string ConstantName(float value);

// A constant a program holds of its own (a tuned one): a new node code after
// every other, whose value and name never change. The codes the random node
// choice draws from stay the table's first `constantCount` constants. Only
// between generation steps, while no evaluation runs.
int32_t AddOwnConstant(Problem& problem, float value);

// The coordinates of a block's cases, row-major: case k = r * width + c holds
// X = (c - w + 0.5) / w and Y = (r - h + 0.5) / h with w = width / 2 and
// h = height / 2 in integers; for a square grid, those of BuildProblem.
void FillBlockCoordinates(int32_t width, int32_t height, std::vector<float>& xs,
                          std::vector<float>& ys);

// The same problem over a block of width x height cells with its own
// coordinates, the targets row-major, validation on the same cases. A block
// that is not square has no side (its pictures are not drawn).
std::shared_ptr<Problem> ProblemOnBlock(const Problem& problem, int32_t width, int32_t height,
                                        std::vector<float> targets);

// The same problem (node table, constants) over other grids: the training
// grid and, unless `useTrainingData`, a validation grid of its own.
std::shared_ptr<Problem> ProblemOnGrids(const Problem& problem, const DataGrid& training,
                                        const DataGrid& validation, bool useTrainingData);

} // namespace quba
