#include "tests/engine/test_support.h"

#include "engine/gp_opr.h"
#include "engine/init.h"

#include <gtest/gtest.h>

#include <functional>

using namespace quba;

namespace {

class OperatorTest : public ::testing::Test {
protected:
    ScopedProblem scope{{0, 4, 10}, FilledGrid(2, 0)}; // +, sin, if >, X = 3, Y = 4
    Population population;
    const NodeEntry* table = nullptr;

    void SetUp() override {
        population.settings.functionRatio = 0.5f;
        population.settings.variableRatio = 0.3f;
        table = scope.problem().nodeTable.data();
    }

    RandomGenerator& random() { return scope.random; }
    Problem& problem() { return scope.problem(); }

    Individual Make(std::initializer_list<std::string> names, int32_t maxLength = 100) {
        return MakeIndividual(scope.Program(names), maxLength);
    }

    std::vector<int32_t> Nodes(const Individual& individual) {
        return {individual.nodes.begin(), individual.nodes.begin() + individual.length};
    }

    bool WellFormed(const Individual& individual) {
        return SubtreeEnd(table, individual.nodes.data(), 0, individual.length) ==
               individual.length - 1;
    }

    bool PaddedWithZeros(const Individual& individual) {
        for (size_t i = individual.length; i < individual.nodes.size(); ++i)
            if (individual.nodes[i] != 0)
                return false;
        return true;
    }

    // Seeds the generator with the first seed for which `wanted` holds of the
    // draws it makes, and leaves the generator at that seed.
    void SeedWhere(const std::function<bool()>& wanted) {
        for (uint32_t seed = 1;; ++seed) {
            random().SeedRandom(seed);
            if (wanted()) {
                random().SeedRandom(seed);
                return;
            }
        }
    }
};

TEST_F(OperatorTest, SubtreeEndFollowsTheArityBalance) {
    const Individual p = Make({"+", "sin", "X", "if >", "X", "Y", "X", "Y"});
    EXPECT_EQ(SubtreeEnd(table, p.nodes.data(), 0, p.length), 7);
    EXPECT_EQ(SubtreeEnd(table, p.nodes.data(), 1, p.length), 2);
    EXPECT_EQ(SubtreeEnd(table, p.nodes.data(), 3, p.length), 7);
    EXPECT_EQ(SubtreeEnd(table, p.nodes.data(), 5, p.length), 5);
    EXPECT_EQ(SubtreeEnd(table, p.nodes.data(), 0, 5), -1); // cut short
}

TEST_F(OperatorTest, CrossoverSplicesTheChosenSubtrees) {
    const Individual receiver = Make({"+", "X", "Y"});
    const Individual donor = Make({"sin", "if >", "X", "Y", "Y", "X"});
    // Receiver point 2 (Y), donor point 1 (the if-form).
    SeedWhere([this] { return random().RandomInt(3) == 2 && random().RandomInt(6) == 1; });
    Individual child = Make({"X"});
    Crossover(random(), problem(), child, receiver, donor, 100);
    EXPECT_EQ(Nodes(child), scope.Program({"+", "X", "if >", "X", "Y", "Y", "X"}));
    EXPECT_TRUE(PaddedWithZeros(child));
}

TEST_F(OperatorTest, CrossoverAtBothRootsCopiesTheDonorAndAtATerminalReceiverTakesTheSubtree) {
    const Individual receiver = Make({"+", "X", "Y"});
    const Individual donor = Make({"sin", "Y"});
    SeedWhere([this] { return random().RandomInt(3) == 0 && random().RandomInt(2) == 0; });
    Individual child = Make({"X"});
    Crossover(random(), problem(), child, receiver, donor, 100);
    EXPECT_EQ(Nodes(child), Nodes(donor));

    const Individual terminal = Make({"X"});
    SeedWhere([this] { return random().RandomInt(1) == 0 && random().RandomInt(2) == 1; });
    Crossover(random(), problem(), child, terminal, donor, 100);
    EXPECT_EQ(Nodes(child), scope.Program({"Y"}));
}

TEST_F(OperatorTest, CrossoverRedrawsBothPointsUntilTheChildFits) {
    // A full receiver of 71 nodes: only grafts no larger than the cut fit.
    std::vector<std::string> names;
    for (int i = 0; i < 35; ++i)
        names.push_back("+");
    for (int i = 0; i < 36; ++i)
        names.push_back("X");
    Individual receiver = MakeIndividual({}, 71);
    for (const auto& name : names)
        receiver.nodes[receiver.length++] = scope.Code(name);
    const Individual donor = Make({"if >", "X", "Y", "X", "Y"}, 71);
    random().SeedRandom(3);
    for (int trial = 0; trial < 200; ++trial) {
        Individual child = MakeIndividual({}, 71);
        Crossover(random(), problem(), child, receiver, donor, 71);
        ASSERT_LE(child.length, 71);
        ASSERT_TRUE(WellFormed(child));
    }
}

TEST_F(OperatorTest, MutationStaysWithinTheLimitsAndKeepsTheRest) {
    random().SeedRandom(11);
    const Individual parent = Make({"+", "sin", "X", "if >", "X", "Y", "X", "Y"}, 70);
    for (int trial = 0; trial < 300; ++trial) {
        Individual child = MakeIndividual({}, 70);
        Mutation(random(), problem(), population, child, parent, 70, 30);
        ASSERT_TRUE(WellFormed(child));
        ASSERT_LE(child.length, 70);
        ASSERT_LE(child.length, parent.length - 1 + 30);
        ASSERT_TRUE(PaddedWithZeros(child));
    }
}

TEST_F(OperatorTest, MutationOfAFullParentAtOneNodeCanOnlyPlaceATerminal) {
    Individual parent = MakeIndividual({}, 71);
    for (int i = 0; i < 35; ++i)
        parent.nodes[parent.length++] = scope.Code("+");
    for (int i = 0; i < 36; ++i)
        parent.nodes[parent.length++] = scope.Code("X");
    SeedWhere([this] { return random().RandomInt(71) == 70; }); // the last X
    Individual child = MakeIndividual({}, 71);
    Mutation(random(), problem(), population, child, parent, 71, 30);
    EXPECT_EQ(child.length, 71);
    EXPECT_EQ(table[child.nodes[70]].arityMinus1, -1);
    EXPECT_TRUE(std::equal(parent.nodes.begin(), parent.nodes.begin() + 70, child.nodes.begin()));
}

TEST_F(OperatorTest, OnePointCrossoverJoinsWhereTheOpenSlotsAgree) {
    const Individual first = Make({"+", "X", "Y"});
    const Individual second = Make({"+", "sin", "Y", "X"});
    // j = 0 and i = 0: both roots are "+", so the child is the first root over
    // the second's arguments.
    SeedWhere([this] { return random().RandomInt(3) == 0 && random().RandomInt(4) == 0; });
    Individual child = MakeIndividual({}, 100);
    OnePointCrossover(random(), problem(), child, first, second, 100);
    EXPECT_EQ(Nodes(child), scope.Program({"+", "sin", "Y", "X"}));

    SeedWhere([this] { return random().RandomInt(3) == 2 && random().RandomInt(4) == 3; });
    OnePointCrossover(random(), problem(), child, first, second, 100);
    EXPECT_EQ(Nodes(child), Nodes(first));
    EXPECT_TRUE(PaddedWithZeros(child));
}

TEST_F(OperatorTest, OnePointCrossoverAlwaysGivesAWellFormedChildWithinTheLimit) {
    random().SeedRandom(17);
    const Individual first = Make({"if >", "sin", "X", "Y", "+", "X", "Y", "X"}, 12);
    const Individual second = Make({"+", "if >", "X", "X", "Y", "Y", "sin", "sin", "X"}, 12);
    for (int trial = 0; trial < 300; ++trial) {
        Individual child = MakeIndividual({}, 12);
        OnePointCrossover(random(), problem(), child, first, second, 12);
        ASSERT_TRUE(WellFormed(child));
        ASSERT_LE(child.length, 12);
    }
}

TEST_F(OperatorTest, CopyIndividualTakesProgramAndFitnessAndClearsTheRest) {
    Individual parent = Make({"sin", "X"});
    parent.rawFitness = 0.5f;
    parent.adjustedFitness = 0.25f;
    parent.normalizedFitness = 0.125f;
    Individual child = Make({"+", "X", "if >", "X", "Y", "X", "Y"});
    CopyIndividual(child, parent, 100);
    EXPECT_EQ(Nodes(child), Nodes(parent));
    EXPECT_TRUE(PaddedWithZeros(child));
    EXPECT_EQ(child.rawFitness, 0.5f);
    EXPECT_EQ(child.adjustedFitness, 0.25f);
    EXPECT_EQ(child.normalizedFitness, 0.125f);
}

} // namespace
