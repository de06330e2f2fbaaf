#include "tests/engine/test_support.h"

#include "engine/gp_pop.h"
#include "engine/init.h"

#include <gtest/gtest.h>

using namespace quba;

namespace {

class ChooseNodeTest : public ::testing::Test {
protected:
    ScopedProblem scope{{0, 1, 2, 3}, FilledGrid(2, 0)}; // 4 functions, X, Y, 3 constants
    Population population;

    void SetUp() override {
        population.settings.functionRatio = 0.5f;
        population.settings.variableRatio = 0.2f;
    }

    // The kind of node ChooseNode returns when its unit draw is `draw` / 32767.
    std::string KindFor(NodeKind kind, int32_t draw) {
        scope.random.SetState(StateBeforeRand15(draw));
        const int32_t code = ChooseNode(scope.random, scope.problem(), population, kind);
        return code < 4 ? "function" : code < 6 ? "variable" : "constant";
    }
};

TEST_F(ChooseNodeTest, FreeDrawSplitsAtTheFunctionAndVariableRatios) {
    EXPECT_EQ(KindFor(NodeKind::Any, 16383), "function"); // r = 0.49998
    EXPECT_EQ(KindFor(NodeKind::Any, 16384), "variable"); // r = 0.50002
    EXPECT_EQ(KindFor(NodeKind::Any, 22936), "variable"); // r = 0.69997
    EXPECT_EQ(KindFor(NodeKind::Any, 22937), "constant"); // r = 0.70000305 > 0.5f + 0.2f
    EXPECT_EQ(KindFor(NodeKind::Mutation, 16383), "function");
    EXPECT_EQ(KindFor(NodeKind::Mutation, 32767), "constant");
}

TEST_F(ChooseNodeTest, TerminalDrawKeepsTheVariableToConstantProportion) {
    EXPECT_EQ(KindFor(NodeKind::Terminal, 13106), "variable"); // r = 0.39997
    EXPECT_EQ(KindFor(NodeKind::Terminal, 13107), "constant"); // r = 0.40001
    EXPECT_EQ(KindFor(NodeKind::Terminal, 0), "variable");
}

TEST_F(ChooseNodeTest, EveryKindMakesTheUnitDrawFirst) {
    RandomGenerator& random = scope.random;
    random.SeedRandom(5);
    random.Rand15();
    const int32_t expected = random.RandomInt(4);
    random.SeedRandom(5);
    EXPECT_EQ(ChooseNode(random, scope.problem(), population, NodeKind::Function), expected);
}

// Walks a program and returns its depth, or -1 when it is not well formed.
int32_t Depth(const Problem& problem, const Individual& individual) {
    std::vector<int32_t> open{0};
    int32_t deepest = 0;
    for (int32_t i = 0; i < individual.length; ++i) {
        if (open.empty())
            return -1;
        const int32_t depth = open.back();
        open.pop_back();
        deepest = std::max(deepest, depth);
        for (int32_t a = 0; a <= problem.nodeTable[individual.nodes[i]].arityMinus1; ++a)
            open.push_back(depth + 1);
    }
    return open.empty() ? deepest : -1;
}

class InitializeTest : public ::testing::Test {
protected:
    ScopedProblem scope{{0, 4, 10}, FilledGrid(2, 0)}; // +, sin, if >

    std::unique_ptr<Population> Initialized(int32_t depth, float functionRatio,
                                            int32_t size = 300) {
        PopulationValues values = DefaultPopulationValues();
        values.populationSize = size;
        values.maxInitialDepth = depth;
        values.functionRatio = functionRatio;
        auto population = CreatePopulation(values);
        scope.random.SeedRandom(42);
        InitializePopulation(scope.random, scope.problem(), *population);
        return population;
    }
};

TEST_F(InitializeTest, ProgramsAreWellFormedRootedInAFunctionAndWithinTheDepth) {
    for (int32_t depth : {1, 2, 5}) {
        auto population = Initialized(depth, 0.5f);
        for (const auto& individual : population->Current()) {
            ASSERT_GE(individual->length, 2);
            EXPECT_LT(individual->nodes[0], 3) << "root is a function";
            const int32_t d = Depth(scope.problem(), *individual);
            EXPECT_GE(d, 1);
            EXPECT_LE(d, depth);
            for (int32_t i = individual->length; i < population->settings.maxLength; ++i)
                ASSERT_EQ(individual->nodes[i], 0);
        }
    }
}

TEST_F(InitializeTest, DepthOneGivesOneFunctionOverTerminals) {
    auto population = Initialized(1, 0.9f);
    for (const auto& individual : population->Current()) {
        const int32_t arity = scope.problem().nodeTable[individual->nodes[0]].arityMinus1 + 1;
        EXPECT_EQ(individual->length, arity + 1);
    }
}

TEST_F(InitializeTest, GrowthBeyondSeventyNodesIsBegunAgain) {
    // Without a depth cut-off and with many functions most growths pass 70
    // nodes and must be thrown away; only complete programs are kept.
    auto population = Initialized(0, 0.65f);
    int32_t longest = 0;
    for (const auto& individual : population->Current()) {
        EXPECT_GE(Depth(scope.problem(), *individual), 1);
        longest = std::max(longest, individual->length);
    }
    EXPECT_LE(longest, kMaxInitialNodes);
}

TEST_F(InitializeTest, SameSeedSameSettingsSamePrograms) {
    auto first = Initialized(5, 0.5f, 50);
    auto second = Initialized(5, 0.5f, 50);
    for (int32_t i = 0; i < 50; ++i)
        EXPECT_EQ(first->Current()[i]->nodes, second->Current()[i]->nodes);
}

} // namespace
