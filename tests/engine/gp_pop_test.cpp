#include "tests/engine/test_support.h"

#include "engine/gp_pop.h"
#include "engine/init.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace quba;

namespace {

TEST(CreatePopulation, MakesTwoFullBuffersOfEmptyIndividuals) {
    PopulationValues values = DefaultPopulationValues();
    values.populationSize = 20;
    values.generations = 7;
    auto population = CreatePopulation(values);
    EXPECT_EQ(population->currentBuffer, 0);
    // The histories grow as steps are made.
    EXPECT_TRUE(population->validationHistory.empty());
    for (auto& buffer : population->buffers) {
        ASSERT_EQ(buffer.size(), 20u);
        for (auto& individual : buffer)
            EXPECT_EQ(individual->nodes.size(), 100u);
    }
    EXPECT_NE(population->buffers[0][0].get(), population->buffers[1][0].get());

    RecordGeneration(*population, 0, 0.5f, 11);
    RecordGeneration(*population, 1, 0.25f, 12);
    EXPECT_EQ(population->validationHistory, (std::vector<float>{0.5f, 0.25f}));
    EXPECT_EQ(population->averageLengthHistory, (std::vector<int32_t>{11, 12}));

    ReleasePopulation(population, false);
    EXPECT_TRUE(population);
    EXPECT_TRUE(population->buffers[0].empty());
    ReleasePopulation(population, true);
    EXPECT_FALSE(population);
    ReleasePopulation(population, true); // a null population is ignored
}

// A population of distinct one-node programs with chosen normalized fitness,
// over a problem of "+" and "sin" with many constants.
class BreedTest : public ::testing::Test {
protected:
    ScopedProblem scope{{0, 4}, FilledGrid(2, 0), 2000, "0", "1"};
    std::unique_ptr<Population> population;

    RandomGenerator& random = scope.random;

    // `elite` is the percentage as typed.
    void Make(int32_t size, float elite = 10, SelectionMethod selection = SelectionMethod::Random) {
        PopulationValues values = DefaultPopulationValues();
        values.populationSize = size;
        values.eliteFraction = static_cast<float>(elite * 0.01L);
        values.selectionMethod = selection;
        values.tournamentSize = 3;
        population = CreatePopulation(values);
        for (int32_t i = 0; i < size; ++i) {
            Individual& individual = *population->Current()[i];
            individual.nodes[0] = scope.Code("#" + std::to_string(i));
            individual.length = 1;
            individual.rawFitness = static_cast<float>(i);
            individual.normalizedFitness = 1.0f / static_cast<float>(size);
        }
        for (auto& individual : population->Next())
            individual->rawFitness = -1; // marks a child that was not copied
    }
    void Rates(float crossover, float mutation, float onePoint) {
        population->settings.crossoverRate = crossover;
        population->settings.mutationRate = mutation;
        population->settings.onePointMutationRate = onePoint;
    }
    const Individual& Child(int32_t i) { return *population->Next()[i]; }
};

TEST_F(BreedTest, EliteCopiesTheBestOfTheRankedBufferFirst) {
    Make(1000);
    Rates(0.7f, 0.2f, 0.0f);
    random.SeedRandom(9);
    Breed(random, scope.problem(), *population);
    for (int32_t i = 0; i < 100; ++i)
        ASSERT_EQ(Child(i).nodes[0], population->Current()[i]->nodes[0]) << i;
    EXPECT_EQ(Child(0).rawFitness, 0.0f);
    EXPECT_EQ(Child(99).rawFitness, 99.0f);
}

TEST_F(BreedTest, WithoutEliteEveryChildIsBredInTheDrawOrder) {
    // Three individuals at 10 % give no elite (0.3 truncated). With only
    // reproduction each child costs one unit draw and one random selection.
    Make(3);
    Rates(0, 0, 0);
    random.SeedRandom(21);
    std::vector<int32_t> expected;
    for (int i = 0; i < 3; ++i) {
        random.Rand15();
        expected.push_back(random.RandomInt(3));
    }
    const RandomState after = random.State();
    random.SeedRandom(21);
    Breed(random, scope.problem(), *population);
    EXPECT_EQ(random.State().low, after.low);
    EXPECT_EQ(random.State().high, after.high);
    for (int32_t i = 0; i < 3; ++i)
        EXPECT_EQ(Child(i).nodes[0], population->Current()[expected[i]]->nodes[0]);
}

TEST_F(BreedTest, TheUnitDrawPicksTheOperatorByTheRateSums) {
    Make(2, 0);
    Rates(0.7f, 0.2f, 0.0f);
    // No function and no variable: a mutation can only grow a constant far
    // from the parents' two.
    population->settings.functionRatio = 0;
    population->settings.variableRatio = 0;
    auto operatorFor = [&](int32_t draw) {
        for (auto& individual : population->Next())
            individual->rawFitness = -1;
        random.SetState(StateBeforeRand15(draw));
        Breed(random, scope.problem(), *population);
        const Individual& child = Child(0);
        if (child.rawFitness != -1)
            return "reproduction";
        const bool parental = child.nodes[0] == population->Current()[0]->nodes[0] ||
                              child.nodes[0] == population->Current()[1]->nodes[0];
        return parental ? "crossover" : "mutation";
    };
    EXPECT_STREQ(operatorFor(22936), "crossover");    // r = 0.69997
    EXPECT_STREQ(operatorFor(29490), "mutation");     // r = 0.89999 < 0.7f + 0.2f
    EXPECT_STREQ(operatorFor(29491), "reproduction"); // r = 0.90002
    population->settings.onePointMutationRate = 0.1f;
    EXPECT_STREQ(operatorFor(29491), "crossover"); // one-point of two terminals
}

TEST_F(BreedTest, RedrawOfTheSecondParentIsBounded) {
    // All the weight on index 0: proportional selection always returns 0, so
    // the donor falls back to index 1 after the bounded redraw, and a child
    // of two one-node parents is the donor's node.
    Make(3, 0, SelectionMethod::Proportional);
    for (int32_t i = 0; i < 3; ++i)
        population->Current()[i]->normalizedFitness = i == 0 ? 1.0f : 0.0f;
    Rates(1.0f, 0, 0);
    random.SeedRandom(4);
    Breed(random, scope.problem(), *population);
    for (int32_t i = 0; i < 3; ++i)
        EXPECT_EQ(Child(i).nodes[0], scope.Code("#1")) << i;
}

TEST_F(BreedTest, AFractionalEliteProductIsTruncated) {
    // 35 x 10 % = 3.5: three copies, and the fourth child is bred.
    Make(35);
    Rates(1.0f, 0, 0);
    random.SeedRandom(5);
    Breed(random, scope.problem(), *population);
    for (int32_t i = 0; i < 3; ++i)
        EXPECT_EQ(Child(i).rawFitness, static_cast<float>(i)) << i;
    EXPECT_EQ(Child(3).rawFitness, -1.0f);
}

TEST_F(BreedTest, ProportionalSelectionWalksTheCumulativeFloatSum) {
    Make(3, 0, SelectionMethod::Proportional);
    const float weights[] = {0.5f, 0.3f, 0.2f};
    for (int32_t i = 0; i < 3; ++i)
        population->Current()[i]->normalizedFitness = weights[i];
    auto selectAt = [&](int32_t draw) {
        random.SetState(StateBeforeRand15(draw));
        return SelectProportional(random, *population);
    };
    EXPECT_EQ(selectAt(13107), 0); // r = 0.4
    EXPECT_EQ(selectAt(16384), 1); // r = 0.50002
    EXPECT_EQ(selectAt(29490), 2); // r = 0.89999
    // 0.5f + 0.3f + 0.2f rounds to exactly 1, which is not above r = 1.
    EXPECT_EQ(selectAt(32767), 0);
}

TEST_F(BreedTest, TournamentPicksTheStrictlyBestAndTheFirstDrawnAmongEquals) {
    Make(6, 0, SelectionMethod::Tournament);
    const float weights[] = {0.1f, 0.3f, 0.3f, 0.1f, 0.2f, 0.0f};
    for (int32_t i = 0; i < 6; ++i)
        population->Current()[i]->normalizedFitness = weights[i];
    for (uint32_t seed = 1; seed < 200; ++seed) {
        random.SeedRandom(seed);
        int32_t expected = random.RandomInt(6);
        for (int j = 1; j < 3; ++j) {
            const int32_t candidate = random.RandomInt(6);
            if (weights[candidate] > weights[expected])
                expected = candidate;
        }
        random.SeedRandom(seed);
        ASSERT_EQ(SelectTournament(random, *population), expected) << seed;
    }
}

TEST_F(BreedTest, AverageLengthDividesTheSumInExtended) {
    Make(3);
    population->Current()[1]->length = 3;
    population->Current()[2]->length = 7;
    EXPECT_EQ(AverageLength(*population), 11.0L / 3);
}

TEST(DrawBestImages, EvaluatesTheBestOnEveryCaseAndMarksFailedCells) {
    DataGrid training = FilledGrid(2, 0);
    DataGrid validation = FilledGrid(3, 0);
    ProblemValues settings = ValuesWith({1, 3}, training, 3, "0", "1");
    settings.validation = validation;
    settings.useTrainingData = false;
    ScopedProblem scope(settings);
    Population population;
    population.buffers[0].push_back(
        std::make_unique<Individual>(MakeIndividual(scope.Program({"/", "Y", "X"}), 70)));
    const BestPictures pictures = DrawBestImages(population, scope.problem(), scope.evaluators);

    // Y / X on the 2 x 2 grid: X = -0.5, 0.5 across, Y = -0.5, 0.5 down.
    EXPECT_EQ(pictures.training.Size(), 2);
    EXPECT_EQ(pictures.training.Cells(), (std::vector<float>{1, -1, -1, 1}));
    // On the 3 x 3 grid h = 1, so X runs -0.5, 0.5, 1.5 and none is 0.
    ASSERT_EQ(pictures.validation.Size(), 3);
    EXPECT_EQ(pictures.validation.At(1, 1), 1.0f);

    population.Current()[0]->nodes = scope.Program({"/", "Y", "-", "X", "X"});
    population.Current()[0]->length = 5;
    const BestPictures zeroDivisor = DrawBestImages(population, scope.problem(), scope.evaluators);
    for (float cell : zeroDivisor.training.Cells())
        EXPECT_EQ(cell, 1.0f); // division by 0 gives 1
}

TEST(DrawBestImages, CellsWhoseEvaluationFailsHoldNotANumber) {
    DataGrid grid = FilledGrid(2, 0);
    ScopedProblem scope({2}, grid, 1, "1e30", "2e30");
    Population population;
    // c * c = 1e60 does not fit a float.
    population.buffers[0].push_back(
        std::make_unique<Individual>(MakeIndividual(scope.Program({"*", "#0", "#0"}), 70)));
    const BestPictures pictures = DrawBestImages(population, scope.problem(), scope.evaluators);
    for (float cell : pictures.training.Cells())
        EXPECT_TRUE(std::isnan(cell));
}

} // namespace
