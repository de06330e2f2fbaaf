#include "engine/gp_pop.h"

#include "engine/gp_opr.h"
#include "engine/run_outlet.h"

#include <new>

namespace quba {

std::unique_ptr<Population> CreatePopulation(const PopulationValues& values) {
    try {
        auto population = std::make_unique<Population>();
        population->settings = values;

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
        throw MemoryError(kMemoryMessage);
    } catch (const std::length_error&) {
        throw MemoryError(kMemoryMessage);
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
    switch (population.settings.selectionMethod) {
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
    for (int32_t i = 0; i < population.settings.populationSize; ++i) {
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
    for (int32_t j = 0; j < population.settings.tournamentSize; ++j) {
        const int32_t candidate = random.RandomInt(population.settings.populationSize);
        if (j == 0 || !(buffer[winner]->normalizedFitness >= buffer[candidate]->normalizedFitness))
            winner = candidate;
    }
    return winner;
}

int32_t SelectRandom(RandomGenerator& random, const Population& population) {
    return random.RandomInt(population.settings.populationSize);
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
    return (p + 1) % population.settings.populationSize;
}

int32_t EliteCount(const PopulationValues& settings) {
    const long double product =
        static_cast<long double>(settings.populationSize) * settings.eliteFraction;
    if (!(product > 0))
        return 0;
    if (product >= settings.populationSize)
        return settings.populationSize;
    return static_cast<int32_t>(product);
}

} // namespace

void Breed(RandomGenerator& random, const Problem& problem, Population& population) {
    const PopulationValues& settings = population.settings;
    auto& current = population.Current();
    auto& next = population.Next();
    const int32_t n = settings.populationSize;
    const int32_t maxLength = settings.maxLength;
    const int32_t elite = EliteCount(settings);
    for (int32_t i = 0; i < elite; ++i)
        CopyIndividual(*next[i], *current[i], maxLength);

    const long double crossover = settings.crossoverRate;
    const long double mutation = crossover + settings.mutationRate;
    const long double onePoint = mutation + settings.onePointMutationRate;
    for (int32_t i = elite; i < n; ++i) {
        const auto r = static_cast<float>(random.RandomUnit());
        const int32_t p = Select(random, population);
        if (r < settings.crossoverRate) {
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
    return static_cast<long double>(static_cast<int32_t>(sum)) / population.settings.populationSize;
}

BestPictures DrawBestImages(const Population& population, const Problem& problem,
                            FitnessEvaluators& evaluators) {
    const Individual& individual = *population.Current()[0];
    const int32_t* best = individual.nodes.data();
    BestPictures pictures;
    try {
        pictures.training = DataGrid(problem.trainingSide);
        pictures.validation = DataGrid(problem.validationSide);
    } catch (const std::bad_alloc&) {
        throw MemoryError(kRunMemoryMessage);
    }
    CaseOutputs(evaluators, problem, best, problem.TrainingCases(), pictures.training.Data(),
                individual.scaling);
    CaseOutputs(evaluators, problem, best, problem.ValidationCases(), pictures.validation.Data(),
                individual.scaling);
    return pictures;
}

} // namespace quba
