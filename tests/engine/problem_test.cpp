#include "tests/engine/test_support.h"

#include "engine/problem.h"

#include <gtest/gtest.h>

using namespace quba;

namespace {

TEST(BuildProblem, DefaultNodeTableHoldsFunctionsVariablesThenConstants) {
    ScopedProblem scope(DefaultRunSettings(FilledGrid(30, 0.5f), 1).problem);
    const Problem& p = scope.problem();
    ASSERT_EQ(p.nodeTable.size(), 1006u);
    EXPECT_EQ(p.functionCount, 4);
    EXPECT_EQ(p.variableCount, 2);
    EXPECT_EQ(p.constantCount, 1000);
    const char* names[] = {"+", "-", "*", "/", "X", "Y"};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(p.nodeTable[i].name, names[i]);
    EXPECT_EQ(p.nodeTable[4].terminalIndex, 0);
    EXPECT_EQ(p.nodeTable[5].terminalIndex, 1);
    EXPECT_EQ(p.constants[0], -1.0f);
    EXPECT_EQ(p.constants[1], static_cast<float>(-1.0L + 2.0L / 1000));
    EXPECT_EQ(p.constants[999], static_cast<float>(-1.0L + 999 * 2.0L / 1000));
    EXPECT_EQ(p.nodeTable[6].name, "-1.000");
    EXPECT_EQ(p.nodeTable[7].name, "-1.000"); // -0.998 rounds to one digit
    EXPECT_EQ(p.nodeTable[1005].name, "1.000");
    EXPECT_EQ(p.nodeTable[1005].terminalIndex, 999);
    EXPECT_FALSE(p.paused);
}

TEST(BuildProblem, UsesTheCheckedFunctionsInCheckListOrder) {
    ScopedProblem scope({11, 4}, FilledGrid(2, 0), 3, "0", "1");
    const Problem& p = scope.problem();
    EXPECT_EQ(p.nodeTable[0].name, "sin");
    EXPECT_EQ(p.nodeTable[0].arityMinus1, 0);
    EXPECT_EQ(p.nodeTable[1].name, "if <");
    EXPECT_EQ(p.nodeTable[1].arityMinus1, 3);
    EXPECT_EQ(p.nodeTable[2].name, "X");
    std::vector<std::string> names;
    for (int i = 4; i < 7; ++i)
        names.push_back(p.nodeTable[i].name);
    EXPECT_EQ(names, (std::vector<std::string>{"0.000", "0.300", "0.700"}));
    EXPECT_EQ(p.constants[1], static_cast<float>(1.0L / 3));
}

TEST(BuildProblem, GoesOnWithPlusWhenNoFunctionIsChecked) {
    std::array<bool, kFunctionCount> checked{};
    EXPECT_TRUE(EnsureOneFunction(checked));
    EXPECT_TRUE(checked[0]);
    EXPECT_FALSE(EnsureOneFunction(checked));

    ScopedProblem scope(std::initializer_list<int>{}, FilledGrid(2, 0));
    EXPECT_EQ(scope.problem().functionCount, 1);
    EXPECT_EQ(scope.problem().nodeTable[0].name, "+");
}

TEST(BuildProblem, ReversedOrEmptyRangesAreTakenAsTheyAre) {
    ScopedProblem reversed({0}, FilledGrid(2, 0), 2, "1", "-1");
    EXPECT_EQ(reversed.problem().constants, (std::vector<float>{1, 0}));
    ScopedProblem empty({0}, FilledGrid(2, 0), 3, "0.5", "0.5");
    EXPECT_EQ(empty.problem().constants, (std::vector<float>{0.5f, 0.5f, 0.5f}));
}

TEST(BuildProblem, NodesCarryTheirPrimitiveAndKind) {
    ScopedProblem scope({3, 10}, FilledGrid(2, 0), 2, "0", "1");
    const Problem& p = scope.problem();
    EXPECT_EQ(p.nodeTable[0].primitive, PrimitiveId::Divide);
    EXPECT_EQ(p.nodeTable[1].primitive, PrimitiveId::IfGreater);
    EXPECT_EQ(p.nodeTable[1].type, NodeType::Function);
    EXPECT_EQ(p.nodeTable[2].type, NodeType::Variable);
    EXPECT_EQ(p.nodeTable[5].type, NodeType::Constant);
}

TEST(ConstantName, RoundsToOneSignificantDigitTiesAwayFromZero) {
    struct Case {
        float value;
        const char* name;
    };
    const Case cases[] = {
        {-0.998f, "-1.000"}, {0.5f, "0.500"},    {0.004f, "0.004"},   {0.0f, "0.000"},
        {0.25f, "0.300"},    {-0.25f, "-0.300"}, {0.35f, "0.300"}, // 0.35f lies below 0.35
        {0.95f, "0.900"},                                          // 0.95f lies below 0.95
        {0.96f, "1.000"},    {9.6f, "1e+01"},    {-10.0f, "-1e+01"},  {-0.0004f, "-0.000"},
        {0.0005f, "0.001"},  {123.0f, "1e+02"},  {1.0f / 3, "0.300"}, {2.0f / 3, "0.700"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ConstantName(c.value), c.name) << c.value;
}

} // namespace
