// The population store, selection and breeding, and the best-program pictures.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

struct Problem;
struct PopulationValues;
class RunDisplay;

struct Individual {
    std::vector<int32_t> nodes; // maxLength node codes; those past `length` are 0
    int32_t length = 0;
    float rawFitness = 0;        // mean squared error over the training cases
    float adjustedFitness = 0;   // 1 / (1 + rawFitness)
    float normalizedFitness = 0; // adjustedFitness / sum over the buffer
    // rawFitness was computed for exactly this program on this run's cases.
    bool rawFitnessKnown = false;
};

struct Population {
    int32_t currentBuffer = 0; // the generation being evaluated; the other receives offspring
    int32_t maxLength = 0;
    int32_t maxInitialDepth = 0;
    float functionRatio = 0;
    float variableRatio = 0;
    int32_t generations = 0;
    int32_t populationSize = 0;
    int32_t selectionMethod = 0; // 0 proportional, 1 tournament, 2 random
    int32_t tournamentSize = 0;
    float crossoverRate = 0;
    float mutationRate = 0;
    float onePointMutationRate = 0;
    float eliteFraction = 0;
    std::vector<float> validationHistory;
    std::vector<int32_t> averageLengthHistory;
    std::array<std::vector<std::unique_ptr<Individual>>, 2> buffers;

    std::vector<std::unique_ptr<Individual>>& Current() { return buffers[currentBuffer]; }
    std::vector<std::unique_ptr<Individual>>& Next() { return buffers[1 - currentBuffer]; }
};

// The five slots of a run, and the population being worked on.
struct RunTable {
    std::array<std::unique_ptr<Population>, 4> populations;
    std::unique_ptr<Problem> problem;
    Population* current = nullptr;
};

extern RunTable runTable;

// Memory ran out: `message` is shown before the program ends with status 1.
struct MemoryExhausted {
    const char* message;
};

// Allocates the histories, both buffers and every node array; throws
// MemoryExhausted("Memory Allocation Error").
std::unique_ptr<Population> CreatePopulation(const PopulationValues& values);
// Releases what the population owns and, with `releaseRecord`, the record.
void ReleasePopulation(std::unique_ptr<Population>& population, bool releaseRecord);
void RecordGeneration(Population& population, int32_t generation, float validationFitness,
                      int32_t averageLength);

int32_t Select(Population& population);
int32_t SelectProportional(Population& population);
int32_t SelectTournament(Population& population);
int32_t SelectRandom(Population& population);
// Fills the next buffer from the evaluated and ranked current one.
void Breed(Population& population);

long double AverageLength(Population& population);
// The best program's output on every training and validation case, handed to
// the display; a cell whose evaluation fails holds a not-a-number.
void DrawBestImages(Population& population, RunDisplay& display);
