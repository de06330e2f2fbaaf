// The checks Start makes, in their order, and the typed run settings they
// give: one sequence for both front ends. Each front end shows a refusal in
// its own way (a message box at the field, or one line naming the option).
#pragma once

#include "engine/run_settings.h"
#include "setup/settings.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <variant>

namespace quba {

// The setting that a refusal is about, so that a front end can point at it.
enum class SettingField {
    TrainingData,
    ValidationData,
    RateSum,      // the Reproduction label is negative
    NodeRatioSum, // the Constant label is negative
    ConstantCount,
    RangeLower,
    RangeUpper,
    Range, // the lower bound is not below the upper one
    PopulationSize,
    Generations,
    TournamentSize,
    Crossover,
    Mutation,
    OnePoint,
    Elite,
    MaxLength,
    MaxInitialDepth,
    FunctionRatio,
    VariableRatio,
    Memory,
};

// Why a run cannot start. `population` is the 0-based sheet, or -1 for the
// problem panel and the grids.
struct Refusal {
    int32_t population = -1;
    SettingField field = SettingField::PopulationSize;
    std::string message;
};

// Settings that passed every check.
struct CheckedStart {
    RunSettings settings;
    // No function was checked, so "+" is: the front end checks it too and says
    // kNoFunctionMessage.
    bool plusChecked = false;
};

using StartOutcome = std::variant<CheckedStart, Refusal>;

// Start's checks, the first failing one refusing: the training grid, the
// validation grid, every population's Reproduction label, then every
// Constant label, the problem panel's texts, the constants' range, each
// population's texts, and the limits the engine needs (population size
// below 2, tournament size below 1 or above the population size with
// tournament selection, maximum length
// below 70, fewer than 1 constant, a function ratio of 1 or more, negative
// generations, and more memory than the machine has).
StartOutcome CheckStart(const ProblemSettings& problem,
                        std::span<const PopulationSettings> populations, uint64_t physicalMemory);

// A sheet's values; throws ConversionError when a text is not a number.
PopulationValues ReadPopulationValues(const PopulationSettings& settings);

// Physical memory of the machine in bytes.
uint64_t PhysicalMemoryBytes();

} // namespace quba
