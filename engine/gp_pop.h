// The population store, selection and breeding, and the best-program pictures.
#pragma once

#include "core/grid.h"
#include "core/random.h"
#include "engine/fitness.h"
#include "engine/population.h"
#include "engine/problem.h"
#include "engine/run_settings.h"

#include <cstdint>
#include <memory>

namespace quba {

// Allocates both buffers and every node array; throws
// MemoryError("Memory Allocation Error").
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

struct BestPictures {
    DataGrid training;
    DataGrid validation;
};
// The best program's output on every training and validation case; a cell
// whose evaluation fails holds a not-a-number. Throws
// MemoryError("Memory Allocation Error!!!!") when the grids cannot be made.
BestPictures DrawBestImages(const Population& population, const Problem& problem,
                            FitnessEvaluators& evaluators);

} // namespace quba
