// The per-run problem record: node table, constants, variables and fitness cases.
#pragma once

#include "engine/batch_evaluator.h"
#include "engine/functions.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// A square grid of N x N values, row-major: cells[r * size + c] is row r, column c.
struct GridView {
    int32_t size = 0;
    const float* cells = nullptr;
};

// How fitness is computed. Both evaluators give the same bits; the reference
// is the plain recursive walk through the node table and runs on one thread.
enum class EvaluatorKind { Batch, Reference };

struct EvaluationOptions {
    EvaluatorKind evaluator = EvaluatorKind::Batch;
    int32_t threads = 0; // worker threads for the batch evaluator; 0 for all cores
};

// What the problem panel holds when a run starts: texts and check states as
// typed, and the two grids.
struct ProblemSettings {
    std::array<bool, kFunctionCount> functionChecked{true, true, true, true};
    std::string constantCountText = "1000";
    std::string rangeLowerText = "-1";
    std::string rangeUpperText = "1";
    std::string horizontalName = "X";
    std::string verticalName = "Y";
    GridView training;
    GridView validation;
    bool useTrainingData = true; // validation cases are a copy of the training cases
    EvaluationOptions evaluation;
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
    std::vector<int32_t> functionPositions; // check-list position of each function code
    std::array<float, 2> variableValues{};
    std::vector<float> constants;
    std::vector<float> validationTargets;
    std::vector<float> trainingTargets;
    std::vector<float> validationX;
    std::vector<float> validationY;
    std::vector<float> trainingX;
    std::vector<float> trainingY;

    int32_t trainingSide = 0;     // N of the training grid at Start
    int32_t validationSide = 0;   // N of the validation cases at Start
    bool evaluationError = false; // set when an evaluation met a floating-point error
    EvaluationOptions evaluation;
    std::vector<BatchEvaluator> evaluators; // one per worker thread

    [[nodiscard]] CaseSet TrainingCases() const {
        return {trainingX.data(), trainingY.data(), trainingTargets.data(), trainingCount};
    }
    [[nodiscard]] CaseSet ValidationCases() const {
        return {validationX.data(), validationY.data(), validationTargets.data(), validationCount};
    }
};

inline constexpr const char* kNoFunctionMessage = "You must use 1 function at least.";

// Checks "+" when no function is checked; returns whether it had to.
bool EnsureOneFunction(std::array<bool, kFunctionCount>& checked);

// Builds the record from the panel settings; throws ConversionError when a
// text is not a number. With no function checked it goes on with "+".
std::unique_ptr<Problem> BuildProblem(const ProblemSettings& settings,
                                      const FunctionTable& functions);

// Name of a constant: its value rounded to one significant digit, ties away
// from zero, printed with three decimals ("%.0e" from a magnitude of 10 on).
std::string ConstantName(float value);

// The problem of the run in progress (RunTable slot 4).
Problem& CurrentProblem();
