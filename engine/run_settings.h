// The typed values a run is built from. The front ends make them from their
// texts and options (setup/), so the engine never reads a text.
#pragma once

#include "core/grid.h"
#include "engine/primitives.h"

#include "engine/linear_scaling.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quba {

enum class SelectionMethod : int32_t { Proportional = 0, Tournament = 1, Random = 2 };

// One population's settings, as CreatePopulation takes them.
struct PopulationValues {
    int32_t populationSize = 0;
    int32_t generations = 0;
    SelectionMethod selectionMethod = SelectionMethod::Proportional;
    int32_t tournamentSize = 0; // read only with tournament selection
    float crossoverRate = 0;
    float mutationRate = 0;
    float onePointMutationRate = 0;
    float eliteFraction = 0;
    int32_t maxLength = 0;
    int32_t maxInitialDepth = 0;
    float functionRatio = 0;
    float variableRatio = 0;

    friend bool operator==(const PopulationValues&, const PopulationValues&) = default;
};

// The problem panel's settings, as BuildProblem takes them.
struct ProblemValues {
    std::array<bool, kFunctionCount> functionChecked{}; // at least one
    int32_t constantCount = 0;
    float constantLower = 0;
    float constantUpper = 0;
    std::string horizontalName;
    std::string verticalName;
    DataGrid training;
    DataGrid validation; // unused while useTrainingData holds
    bool useTrainingData = true;
};

// How fitness is computed. The exact evaluators give the same bits: the
// reference is the plain recursive walk through the node table, the batch
// evaluator runs many cases at a time. The fast one computes in 32-bit floats
// with SIMD: close to the exact figures, not equal to them.
enum class EvaluatorKind { Batch, Reference, Fast };

struct EvaluationOptions {
    EvaluatorKind evaluator = EvaluatorKind::Batch;
    int32_t threads = 0; // worker threads; 0 for all cores
};

// How the search fits programs to the grid, beyond the plain search; both
// off, a run is what it always was.
struct SearchValues {
    // Each program is scored as a + b f, a and b fitted by least squares.
    bool linearScaling = false;
    // Levenberg-Marquardt iterations on the best programs' constants after
    // every generation; 0: none.
    int32_t tuneIterations = 0;
    // How many of the best programs are tuned; 0: as many as the elite, and
    // at least one.
    int32_t tunePrograms = 1;

    friend bool operator==(const SearchValues&, const SearchValues&) = default;
};

struct Problem;
// A program's size in bytes, by which the bytes fronts order programs.
using ProgramBytes = std::function<int64_t(const Problem& problem, const int32_t* nodes,
                                           int32_t length, const std::optional<Scaling>& scaling)>;

struct RunSettings {
    ProblemValues problem;
    std::vector<PopulationValues> populations; // 1 to 4
    EvaluationOptions evaluation;
    SearchValues search;
    // Keep each population's size-accuracy front; the run is the same either way.
    bool keepFronts = true;
    // With a measure, a front by bytes beside each front by length.
    ProgramBytes programBytes;
};

} // namespace quba
