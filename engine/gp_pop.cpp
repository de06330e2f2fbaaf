#include "engine/gp_pop.h"

#include "engine/display.h"
#include "engine/gp_opr.h"

#include <new>

namespace quba {

std::unique_ptr<Population> CreatePopulation(const PopulationValues& values) {
    try {
        auto population = std::make_unique<Population>();
        population->populationSize = values.populationSize;
        population->generations = values.generations;
        population->selectionMethod = values.selectionMethod;
        population->tournamentSize = values.tournamentSize;
        population->crossoverRate = values.crossoverRate;
        population->mutationRate = values.mutationRate;
        population->onePointMutationRate = values.onePointMutationRate;
        population->eliteFraction = values.eliteFraction;
        population->maxLength = values.maxLength;
        population->maxInitialDepth = values.maxInitialDepth;
        population->functionRatio = values.functionRatio;
        population->variableRatio = values.variableRatio;

        for (auto& buffer : population->buffers) {
            buffer.reserve(values.populationSize);
            for (int32_t i = 0; i < values.populationSize; ++i)
                buffer.push_back(std::make_unique<Individual>());
        }
        for (auto& buffer : population->buffers)
            for (auto& individual : buffer)
                individual->nodes.assign(values.maxLength, 0);
        population->currentBuffer = 0;
        return population;
    } catch (const std::bad_alloc&) {
        throw MemoryExhausted{kMemoryMessage};
    } catch (const std::length_error&) {
        throw MemoryExhausted{kMemoryMessage};
    }
}

void ReleasePopulation(std::unique_ptr<Population>& population, bool releaseRecord) {
    if (!population)
        return;
    population->validationHistory = {};
    population->averageLengthHistory = {};
    for (auto& buffer : population->buffers)
        std::vector<std::unique_ptr<Individual>>().swap(buffer);
    if (releaseRecord)
        population.reset();
}

void RecordGeneration(Population& population, int32_t generation, float validationFitness,
                      int32_t averageLength) {
    // The histories grow with the steps made, so that a run "until stopped"
    // (the largest generation count) reserves nothing for steps never made.
    const auto needed = static_cast<size_t>(generation) + 1;
    if (population.validationHistory.size() < needed) {
        population.validationHistory.resize(needed, 0.0f);
        population.averageLengthHistory.resize(needed, 0);
    }
    population.validationHistory[generation] = validationFitness;
    population.averageLengthHistory[generation] = averageLength;
}

int32_t Select(RandomGenerator& random, const Population& population) {
    switch (population.selectionMethod) {
    case SelectionMethod::Proportional:
        return SelectProportional(random, population);
    case SelectionMethod::Tournament:
        return SelectTournament(random, population);
    case SelectionMethod::Random:
        return SelectRandom(random, population);
    }
    return 0;
}

int32_t SelectProportional(RandomGenerator& random, const Population& population) {
    const auto& buffer = population.Current();
    const auto r = static_cast<float>(random.RandomUnit());
    float s = 0;
    for (int32_t i = 0; i < population.populationSize; ++i) {
        s = static_cast<float>(static_cast<long double>(s) + buffer[i]->normalizedFitness);
        if (s > r)
            return i;
    }
    return 0;
}

int32_t SelectTournament(RandomGenerator& random, const Population& population) {
    // All candidates are drawn before any comparison; since comparing draws
    // nothing, each candidate can be compared as soon as it is drawn.
    const auto& buffer = population.Current();
    int32_t winner = 0;
    for (int32_t j = 0; j < population.tournamentSize; ++j) {
        const int32_t candidate = random.RandomInt(population.populationSize);
        if (j == 0 || !(buffer[winner]->normalizedFitness >= buffer[candidate]->normalizedFitness))
            winner = candidate;
    }
    return winner;
}

int32_t SelectRandom(RandomGenerator& random, const Population& population) {
    return random.RandomInt(population.populationSize);
}

namespace {

constexpr int32_t kMutationSubtreeLimit = 30;
constexpr int kRedrawBound = 100;

// A second parent whose index differs from p. After kRedrawBound draws that
// all returned p, the next index is taken, so a population whose whole
// selection weight sits on one program cannot stall.
int32_t SelectOtherParent(RandomGenerator& random, const Population& population, int32_t p) {
    for (int draw = 0; draw < kRedrawBound; ++draw) {
        const int32_t q = Select(random, population);
        if (q != p)
            return q;
    }
    return (p + 1) % population.populationSize;
}

int32_t EliteCount(const Population& population) {
    const long double product =
        static_cast<long double>(population.populationSize) * population.eliteFraction;
    if (!(product > 0))
        return 0;
    if (product >= population.populationSize)
        return population.populationSize;
    return static_cast<int32_t>(product);
}

} // namespace

void Breed(RandomGenerator& random, const Problem& problem, Population& population) {
    auto& current = population.Current();
    auto& next = population.Next();
    const int32_t n = population.populationSize;
    const int32_t maxLength = population.maxLength;
    const int32_t elite = EliteCount(population);
    for (int32_t i = 0; i < elite; ++i)
        CopyIndividual(*next[i], *current[i], maxLength);

    const long double crossover = population.crossoverRate;
    const long double mutation = crossover + population.mutationRate;
    const long double onePoint = mutation + population.onePointMutationRate;
    for (int32_t i = elite; i < n; ++i) {
        const auto r = static_cast<float>(random.RandomUnit());
        const int32_t p = Select(random, population);
        if (r < population.crossoverRate) {
            const int32_t q = SelectOtherParent(random, population, p);
            Crossover(random, problem, *next[i], *current[p], *current[q], maxLength);
        } else if (mutation > r) {
            Mutation(random, problem, population, *next[i], *current[p], maxLength,
                     kMutationSubtreeLimit);
        } else if (onePoint > r) {
            const int32_t q = SelectOtherParent(random, population, p);
            OnePointCrossover(random, problem, *next[i], *current[p], *current[q], maxLength);
        } else {
            CopyIndividual(*next[i], *current[p], maxLength);
        }
    }
}

long double AverageLength(const Population& population) {
    // A 32-bit sum, wrapping as such a sum does.
    uint32_t sum = 0;
    for (const auto& individual : population.Current())
        sum += static_cast<uint32_t>(individual->length);
    return static_cast<long double>(static_cast<int32_t>(sum)) / population.populationSize;
}

void DrawBestImages(const Population& population, const Problem& problem,
                    FitnessEvaluators& evaluators, RunDisplay& display) {
    const int32_t* best = population.Current()[0]->nodes.data();
    DataGrid training;
    DataGrid validation;
    try {
        training = DataGrid(problem.trainingSide);
        validation = DataGrid(problem.validationSide);
    } catch (const std::bad_alloc&) {
        throw MemoryExhausted{kRunMemoryMessage};
    }
    CaseOutputs(evaluators, problem, best, problem.TrainingCases(), training.Data());
    CaseOutputs(evaluators, problem, best, problem.ValidationCases(), validation.Data());
    display.SetBestPictures(training, validation);
}

} // namespace quba
