// The checks Start makes, in their order, and the typed run settings they
// give: one sequence for both front ends. Each front end shows a refusal in
// its own way (a message box at the field, or one line naming the option).
#pragma once

#include "engine/run_settings.h"
#include "setup/setting_schema.h"
#include "setup/settings.h"

#include <cstdint>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace quba {

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

// The desktop program's Start, on the texts of its fields, the first failing
// check refusing: the training grid, the validation grid, every population's
// Reproduction label, then every Constant label, the problem panel's texts,
// the constants' range, each population's texts (each parsed once into its
// typed value), and the limits the engine needs.
StartOutcome CheckStart(const ProblemSettings& problem,
                        std::span<const PopulationSettings> populations, uint64_t physicalMemory);

// quba-cli's Start, on values its options already hold typed (the range was
// checked as they were read): the derived labels computed from them, then
// the limits the engine needs.
StartOutcome CheckTypedStart(RunSettings settings, uint64_t physicalMemory);

// The limits the engine needs: population size below 2, tournament size
// below 1 or above the population size with tournament selection, maximum
// length below 70, fewer than 1 constant, a function ratio of 1 or more,
// negative generations, and more memory than the machine has.
std::optional<Refusal> CheckRunLimits(const RunSettings& settings, uint64_t physicalMemory);

// A sheet's values, each text parsed once; throws ConversionError when a
// text read is not a number (the tournament size is read only with
// tournament selection, the elite share only while ticked).
PopulationValues ReadPopulationValues(const PopulationSettings& settings);

// Physical memory of the machine in bytes.
uint64_t PhysicalMemoryBytes();

} // namespace quba
