// The run driver: seeds and initialises the populations, then steps them
// round by round, reporting through the display.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "engine/functions.h"

class RunDisplay;
struct ProblemSettings;
struct PopulationSettings;

// Process-wide counters of the run.
struct RunCounters {
    int32_t populationCount = 0;               // populations in the run, 1 to 4
    int32_t generationBound = 0;               // rounds of the run: the largest generation count
    int32_t labelPopulation = 0;               // whose chart points carry the generation numbers
    std::array<int32_t, 4> generationCounts{}; // generations per slot; 0 outside the run
    int32_t stepsDone = 0;                     // generation steps started in this run
    std::array<std::string, 4> bestTexts;      // header line and best program per population
};

extern RunCounters runCounters;

// Seconds since 1970, the seed of every population.
uint32_t CalendarSeconds();
using SeedClock = std::function<uint32_t()>;

// The whole run over the filled RunTable; returns when it has ended. Releases
// the populations and the problem at the end.
void RunEvolution(RunDisplay& display, const SeedClock& clock = CalendarSeconds);
void StartPopulation(int32_t i, const SeedClock& clock);
// Returns false when the display asked the run to end.
bool GenerationStep(int32_t g, int32_t i, RunDisplay& display);

// Fills RunTable slot 4 with the problem and slots 0 .. count-1 with the
// populations. The settings must have passed their checks; running out of
// memory shows its message and ends the program with status 1.
void BuildRun(const ProblemSettings& problem, const PopulationSettings* populations, int32_t count,
              const FunctionTable& functions, RunDisplay& display);

// Shows `message` through the display and ends the program with status 1.
[[noreturn]] void ExitOnMemoryError(RunDisplay& display, const std::string& message);

// The best-program text box: the four entries joined by blank lines.
std::string JoinedBestTexts();
