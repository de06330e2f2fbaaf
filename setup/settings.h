// The settings as the front ends hold them: the texts of the main window's
// fields (or of quba-cli's options) and their defaults, written once here.
#pragma once

#include "core/grid.h"
#include "engine/primitives.h"
#include "engine/run_settings.h"

#include <array>
#include <string>

namespace quba {

// The main window's defaults, which are also quba-cli's.
namespace defaults {
inline constexpr const char* kPopulationSize = "1000";
inline constexpr const char* kGenerations = "50";
inline constexpr const char* kTournamentSize = "6";
inline constexpr const char* kCrossover = "0.70";
inline constexpr const char* kMutation = "0.20";
inline constexpr const char* kOnePoint = "0.00";
inline constexpr const char* kElite = "10";
inline constexpr const char* kMaxLength = "100";
inline constexpr const char* kMaxInitialDepth = "5";
inline constexpr const char* kFunctionRatio = "0.50";
inline constexpr const char* kVariableRatio = "0.20";
// The derived labels' texts before any field changes, and after a reset.
inline constexpr const char* kReproductionLabel = "0.1";
inline constexpr const char* kConstantLabel = "0.3";
inline constexpr const char* kReproductionReset = "0.10";
inline constexpr const char* kConstantReset = "0.30";
inline constexpr const char* kConstantCount = "1000";
inline constexpr const char* kRangeLower = "-1";
inline constexpr const char* kRangeUpper = "1";
// The range a refused one is set to.
inline constexpr const char* kRangeResetLower = "-10";
inline constexpr const char* kRangeResetUpper = "10";
inline constexpr const char* kHorizontalName = "X";
inline constexpr const char* kVerticalName = "Y";
inline constexpr const char* kOutputName = "C";
// The four arithmetic functions.
inline constexpr std::array<bool, kFunctionCount> kFunctionChecked = {true, true, true, true};
inline constexpr int32_t kPopulationCount = 1;
} // namespace defaults

// One population's settings sheet: texts as typed, and the texts its two
// derived labels show, which the Start checks read.
struct PopulationSettings {
    std::string populationSizeText = defaults::kPopulationSize;
    std::string generationsText = defaults::kGenerations;
    SelectionMethod selectionMethod = SelectionMethod::Proportional;
    std::string tournamentSizeText = defaults::kTournamentSize;
    std::string crossoverText = defaults::kCrossover;
    std::string mutationText = defaults::kMutation;
    std::string onePointText = defaults::kOnePoint;
    bool eliteChecked = true;
    std::string eliteText = defaults::kElite;
    std::string maxLengthText = defaults::kMaxLength;
    std::string maxInitialDepthText = defaults::kMaxInitialDepth;
    std::string functionRatioText = defaults::kFunctionRatio;
    std::string variableRatioText = defaults::kVariableRatio;
    std::string reproductionLabelText = defaults::kReproductionLabel;
    std::string constantLabelText = defaults::kConstantLabel;
};

// What the problem panel holds: the check states and texts, and the grids
// (absent until a pattern is picked or a file is loaded).
struct ProblemSettings {
    std::array<bool, kFunctionCount> functionChecked = defaults::kFunctionChecked;
    std::string constantCountText = defaults::kConstantCount;
    std::string rangeLowerText = defaults::kRangeLower;
    std::string rangeUpperText = defaults::kRangeUpper;
    std::string horizontalName = defaults::kHorizontalName;
    std::string verticalName = defaults::kVerticalName;
    const DataGrid* training = nullptr;
    const DataGrid* validation = nullptr;
    bool useTrainingData = true; // validation cases are a copy of the training cases
};

} // namespace quba
