// The variation operators, the initial programs and a whole breeding step
// on random populations of well-formed programs over a random node table:
// every child is well formed, no longer than the maximum length and padded
// with zeros, and a fitness kept from the generation before is the one the
// program would get anew.
#include "fuzz/fuzz_problem.h"

#include "engine/fitness.h"
#include "engine/gp_opr.h"
#include "engine/gp_pop.h"
#include "engine/init.h"
#include "engine/misc.h"

#include <algorithm>
#include <cmath>
#include <memory>

using namespace quba;

namespace {

PopulationValues DecodeValues(ByteReader& in) {
    PopulationValues values;
    values.populationSize = 2 + in.Byte() % 7;
    values.generations = 1;
    values.selectionMethod = static_cast<SelectionMethod>(in.Byte() % 4); // 3 is none: index 0
    values.tournamentSize = 1 + in.Byte() % 6;
    values.crossoverRate = in.Fraction();
    values.mutationRate = in.Fraction() * (1 - values.crossoverRate);
    values.onePointMutationRate = in.Fraction() * (1 - values.crossoverRate - values.mutationRate);
    values.eliteFraction = in.Fraction() * 1.2f;
    values.maxLength = 1 + in.Byte();
    values.maxInitialDepth = in.Byte() % 12 - 2;
    // Far from 1, so that a terminal comes out in a few draws.
    values.functionRatio = in.Fraction() * 0.75f;
    values.variableRatio = in.Fraction() * (1 - values.functionRatio);
    return values;
}

void CheckChild(const Problem& problem, const Individual& child, int32_t maxLength) {
    FUZZ_CHECK(static_cast<int32_t>(child.nodes.size()) == maxLength);
    FUZZ_CHECK(child.length >= 1 && child.length <= maxLength);
    FUZZ_CHECK(IsWellFormed(problem, child.nodes.data(), child.length));
    FUZZ_CHECK(std::all_of(child.nodes.begin() + child.length, child.nodes.end(),
                           [](int32_t code) { return code == 0; }));
}

void CheckInitialProgram(const Problem& problem, const Individual& individual,
                         const Population& population) {
    CheckChild(problem, individual, population.settings.maxLength);
    FUZZ_CHECK(individual.length <= kMaxInitialNodes);
    FUZZ_CHECK(individual.nodes[0] < problem.functionCount);
    if (population.settings.maxInitialDepth >= 1) {
        FUZZ_CHECK(ProgramDepth(problem, individual.nodes.data(), individual.length) <=
                   population.settings.maxInitialDepth);
    }
}

// Fills the current buffer with decoded programs, or grows them as a run
// does when the maximum length allows it.
void FillPopulation(ByteReader& in, FuzzProblem& scope, Population& population) {
    const Problem& problem = scope.problem();
    if (in.Byte() % 2 == 0 && population.settings.maxLength >= kMaxInitialNodes) {
        InitializePopulation(scope.random, problem, population);
        for (const auto& individual : population.Current())
            CheckInitialProgram(problem, *individual, population);
        return;
    }
    for (auto& individual : population.Current()) {
        const std::vector<int32_t> program =
            DecodeProgram(in, problem, population.settings.maxLength);
        std::copy(program.begin(), program.end(), individual->nodes.begin());
        individual->length = static_cast<int32_t>(program.size());
    }
}

// A few operator calls with parents and operator chosen by the bytes.
void ApplyOperators(ByteReader& in, FuzzProblem& scope, Population& population) {
    const Problem& problem = scope.problem();
    RandomGenerator& random = scope.random;
    auto& parents = population.Current();
    auto& children = population.Next();
    const int32_t n = population.settings.populationSize;
    const int32_t maxLength = population.settings.maxLength;
    for (int call = 0; call < 8 && !in.Empty(); ++call) {
        const uint8_t choice = in.Byte();
        const Individual& first = *parents[in.Byte() % n];
        const Individual& second = *parents[in.Byte() % n];
        Individual& child = *children[call % n];
        switch (choice % 4) {
        case 0:
            Crossover(random, problem, child, first, second, maxLength);
            break;
        case 1:
            Mutation(random, problem, population, child, first, maxLength, 1 + in.Byte() % 40);
            break;
        case 2:
            OnePointCrossover(random, problem, child, first, second, maxLength);
            break;
        default:
            CopyIndividual(child, first, maxLength);
            FUZZ_CHECK(child.length == first.length && child.nodes == first.nodes);
            break;
        }
        CheckChild(problem, child, maxLength);
    }
}

void CheckRanking(const Population& population) {
    const auto& buffer = population.buffers[population.currentBuffer];
    for (size_t i = 0; i < buffer.size(); ++i) {
        const float value = buffer[i]->normalizedFitness;
        FUZZ_CHECK(value >= 0 && value <= 1);
        if (i > 0)
            FUZZ_CHECK(buffer[i - 1]->normalizedFitness >= value);
    }
}

// Evaluate, rank and breed, twice, as two generation steps do.
void BreedTwice(FuzzProblem& scope, FitnessEvaluators& evaluators, Population& population) {
    const Problem& problem = scope.problem();
    FitnessEvaluators reference({EvaluatorKind::Reference, 1});
    for (int step = 0; step < 2; ++step) {
        AssignFitness(population, problem, evaluators);
        for (const auto& individual : population.Current())
            FUZZ_CHECK(
                individual->rawFitness ==
                static_cast<float>(TrainingFitness(reference, problem, individual->nodes.data())));
        SortByFitness(population);
        CheckRanking(population);
        Breed(scope.random, problem, population);
        for (const auto& child : population.Next())
            CheckChild(problem, *child, population.settings.maxLength);
        population.currentBuffer = 1 - population.currentBuffer;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ByteReader in(data, size);
    FuzzProblem scope(in);
    // One worker thread, or two, whose results must be the same.
    FitnessEvaluators evaluators({EvaluatorKind::Batch, 1 + in.Byte() % 2});
    std::unique_ptr<Population> population = CreatePopulation(DecodeValues(in));
    scope.random.SeedRandom(in.Uint32());

    FillPopulation(in, scope, *population);
    ApplyOperators(in, scope, *population);
    BreedTwice(scope, evaluators, *population);
    return 0;
}
