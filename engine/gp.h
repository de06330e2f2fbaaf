// The run driver: one run object owns what a run owns, and the driver seeds
// and initialises the populations, then steps them round by round, reporting
// through the run's outlet.
#pragma once

#include "core/random.h"
#include "engine/fitness.h"
#include "engine/front.h"
#include "engine/population.h"
#include "engine/problem.h"
#include "engine/run_settings.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace quba {

class RunOutlet;

// The five slots of a run: populations No1 to No4, then the problem record.
struct RunTable {
    std::array<std::unique_ptr<Population>, 4> populations;
    std::shared_ptr<Problem> problem;
};

// The counters of a run.
struct RunCounters {
    int32_t populationCount = 0;               // populations in the run, 1 to 4
    int32_t generationBound = 0;               // rounds of the run: the largest generation count
    int32_t labelPopulation = 0;               // whose chart points carry the generation numbers
    std::array<int32_t, 4> generationCounts{}; // generations per slot; 0 outside the run
    int32_t stepsDone = 0;                     // generation steps started in this run
    std::array<std::string, 4> bestTexts;      // header line and best program per population
};

// A run: its records, its counters, its evaluators, and the process's
// generator, which the front end owns.
struct Run {
    Run(RandomGenerator& generator, const EvaluationOptions& options)
        : random(generator), evaluators(options) {}

    RandomGenerator& random;
    RunTable runTable;
    RunCounters runCounters;
    FitnessEvaluators evaluators;
    std::array<uint32_t, 4> seeds{}; // what StartPopulation seeded each population with
    bool keepFronts = true;
    // Draw the best program's pictures at every step; a block of the codec,
    // which has no grid of its own, does without them.
    bool drawPictures = true;
    SearchValues search;
    std::array<SizeAccuracyFront, 4> fronts; // by length
    bool keepBytesFronts = false;
    std::array<SizeAccuracyFront, 4> bytesFronts; // by RunSettings::programBytes
};

// Seconds since 1970, the seed of every population.
uint32_t CalendarSeconds();
using SeedClock = std::function<uint32_t()>;

// Builds the problem and the populations of a run from checked settings.
// Throws MemoryError when memory runs out.
std::unique_ptr<Run> BuildRun(const RunSettings& settings, const FunctionTable& functions,
                              RandomGenerator& random);

// The same on a problem already built (a block of a grid): settings.problem
// is not read.
std::unique_ptr<Run> BuildRunOn(std::shared_ptr<Problem> problem, const RunSettings& settings,
                                RandomGenerator& random);

// The whole run; returns when it has ended, having released the populations
// and the problem. Throws MemoryError when memory runs out.
void RunEvolution(Run& run, RunOutlet& outlet, const SeedClock& clock = CalendarSeconds);
void StartPopulation(Run& run, int32_t i, const SeedClock& clock);
// Returns false when the outlet asked the run to end.
bool GenerationStep(Run& run, int32_t g, int32_t i, RunOutlet& outlet);

// The best-program text box: the four entries joined by blank lines.
std::string JoinedBestTexts(const RunCounters& counters);

} // namespace quba
