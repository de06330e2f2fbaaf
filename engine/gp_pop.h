// The population store, selection and breeding, and the best-program pictures.
#pragma once

#include "core/random.h"
#include "engine/fitness.h"
#include "engine/population.h"
#include "engine/problem.h"
#include "engine/run_settings.h"

#include <cstdint>
#include <memory>

namespace quba {

class RunDisplay;

// Allocates the histories, both buffers and every node array; throws
// MemoryExhausted("Memory Allocation Error").
std::unique_ptr<Population> CreatePopulation(const PopulationValues& values);
// Releases what the population owns and, with `releaseRecord`, the record.
void ReleasePopulation(std::unique_ptr<Population>& population, bool releaseRecord);
void RecordGeneration(Population& population, int32_t generation, float validationFitness,
                      int32_t averageLength);

int32_t Select(RandomGenerator& random, const Population& population);
int32_t SelectProportional(RandomGenerator& random, const Population& population);
int32_t SelectTournament(RandomGenerator& random, const Population& population);
int32_t SelectRandom(RandomGenerator& random, const Population& population);
// Fills the next buffer from the evaluated and ranked current one.
void Breed(RandomGenerator& random, const Problem& problem, Population& population);

long double AverageLength(const Population& population);
// The best program's output on every training and validation case, handed to
// the display; a cell whose evaluation fails holds a not-a-number.
void DrawBestImages(const Population& population, const Problem& problem,
                    FitnessEvaluators& evaluators, RunDisplay& display);

} // namespace quba
