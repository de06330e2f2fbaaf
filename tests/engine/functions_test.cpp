#include "tests/engine/test_support.h"

#include "engine/evaluation.h"
#include "engine/functions.h"

#include <gtest/gtest.h>

#include <cmath>

namespace quba {
namespace {

class PrimitiveTest : public ::testing::Test {
protected:
    ScopedProblem scope{{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, FilledGrid(2, 0.5f)};
    bool failed = false; // whether the last evaluation met a floating-point error

    long double EvaluateAt(const std::vector<int32_t>& program, float x, float y) {
        return scope.EvaluateAt(program, x, y, &failed);
    }
    long double At(std::initializer_list<std::string> names, float x, float y = 0) {
        return EvaluateAt(scope.Program(names), x, y);
    }
    bool Failed() const { return failed; }

    // op X op X ... X with `count` X's: a product whose inner values are never
    // rounded, because each one is a second argument.
    std::vector<int32_t> Chain(const std::string& op, int count) {
        std::vector<int32_t> program;
        for (int i = 1; i < count; ++i) {
            program.push_back(scope.Code(op));
            program.push_back(scope.Code("X"));
        }
        program.push_back(scope.Code("X"));
        return program;
    }
};

TEST(FunctionTable, HoldsTheTwelvePrimitivesInCheckListOrder) {
    const FunctionTable table = BuildFunctionTable();
    const char* names[] = {"+",   "-",  "*",     "/",    "sin",  "cos",
                           "tan", "ln", "log10", "sqrt", "if >", "if <"};
    const int32_t arities[] = {1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 3, 3};
    for (int k = 0; k < kFunctionCount; ++k) {
        EXPECT_EQ(table.functions[k].name, names[k]);
        EXPECT_EQ(table.functions[k].arityMinus1, arities[k]);
        EXPECT_EQ(table.functions[k].primitive, static_cast<PrimitiveId>(k));
    }
    EXPECT_STREQ(kPrimitives[1].listText, "- ");
    EXPECT_STREQ(kPrimitives[7].listText, "ln (abs)");
    EXPECT_EQ(PrimitiveByCliName("if<"), PrimitiveId::IfLess);
    EXPECT_EQ(PrimitiveByCliName("if <"), std::nullopt);
}

TEST_F(PrimitiveTest, RoundsTheFirstArgumentToFloatButNotTheSecond) {
    const long double third = 1.0L / 3.0L; // X / Y with X = 1, Y = 3 is held in extended
    const long double expected = static_cast<long double>(static_cast<float>(third)) - third;
    EXPECT_EQ(At({"-", "/", "X", "Y", "/", "X", "Y"}, 1, 3), expected);
    EXPECT_NE(expected, 0.0L);
    EXPECT_EQ(At({"+", "X", "/", "X", "Y"}, 1, 3), 1.0L + third);
    EXPECT_EQ(At({"*", "/", "X", "Y", "Y"}, 1, 3), static_cast<float>(third) * 3.0L);
}

TEST_F(PrimitiveTest, DivisionRoundsBothOperandsAndGivesOneForAZeroDivisor) {
    const long double third = 1.0L / 3.0L;
    const float f = static_cast<float>(third);
    EXPECT_EQ(At({"/", "/", "X", "Y", "/", "X", "Y"}, 1, 3), 1.0L); // both rounded alike
    EXPECT_EQ(At({"/", "Y", "/", "X", "Y"}, 1, 3), 3.0L / f);
    EXPECT_EQ(At({"/", "X", "-", "X", "X"}, 5), 1.0L);
    // 1e-20 * 1e-20 * 1e-20 exists in extended but rounds to a float 0.
    EXPECT_EQ(At({"/", "Y", "*", "X", "*", "X", "X"}, 1e-20f, 2), 1.0L);
    EXPECT_FALSE(Failed());
}

TEST_F(PrimitiveTest, LogarithmsAndRootTakeTheIntegerPartsMagnitude) {
    EXPECT_EQ(At({"ln", "X"}, 0.999f), 0.0L);
    EXPECT_EQ(At({"ln", "X"}, 1.5f), 0.0L);
    EXPECT_EQ(At({"ln", "X"}, -3.2f), static_cast<long double>(std::log(3.0)));
    EXPECT_EQ(At({"log10", "X"}, 250.7f), static_cast<long double>(std::log10(250.0)));
    EXPECT_EQ(At({"sqrt", "X"}, -8.9f), static_cast<long double>(std::sqrt(8.0)));
    EXPECT_EQ(At({"sqrt", "X"}, 0.3f), 0.0L);
    // Only the low 32 bits of the truncation count, and 2^31 stays positive.
    EXPECT_EQ(At({"sqrt", "X"}, 4294967808.0f), static_cast<long double>(std::sqrt(512.0)));
    EXPECT_EQ(At({"sqrt", "X"}, 2147483648.0f), static_cast<long double>(std::sqrt(2147483648.0)));
    EXPECT_EQ(At({"ln", "X"}, 4611686018427387904.0f), 0.0L); // 2^62: low bits all zero
    EXPECT_FALSE(Failed());
}

TEST_F(PrimitiveTest, TrigonometryOfHugeArgumentsIsQuietlyNotANumber) {
    EXPECT_EQ(At({"sin", "X"}, 0.5f), static_cast<long double>(std::sin(0.5)));
    EXPECT_EQ(At({"cos", "X"}, 0.5f), static_cast<long double>(std::cos(0.5)));
    EXPECT_EQ(At({"tan", "X"}, 0.5f), static_cast<long double>(std::tan(0.5)));
    EXPECT_TRUE(std::isnan(At({"sin", "X"}, 1e16f)));
    EXPECT_TRUE(std::isnan(At({"cos", "X"}, 4503599627370496.0f)));  // 2^52
    EXPECT_FALSE(std::isnan(At({"cos", "X"}, 4503599090499584.0f))); // just below 2^52
    EXPECT_FALSE(Failed());
}

TEST_F(PrimitiveTest, IfFormsEvaluateEveryArgumentAndRoundOnlyTheThirdWhenTaken) {
    const long double third = 1.0L / 3.0L;
    EXPECT_EQ(At({"if >", "X", "Y", "X", "Y"}, 2, 2), 2.0L); // a = b gives d
    EXPECT_EQ(At({"if <", "X", "Y", "Y", "X"}, 2, 2), 2.0L);
    EXPECT_EQ(At({"if >", "Y", "X", "/", "X", "Y", "Y"}, 1, 3),
              static_cast<float>(third));                               // c taken, rounded
    EXPECT_EQ(At({"if <", "Y", "X", "Y", "/", "X", "Y"}, 1, 3), third); // d taken, not rounded
    // The comparison is of the rounded a against the unrounded b.
    EXPECT_EQ(At({"if >", "/", "X", "Y", "/", "X", "Y", "X", "Y"}, 1, 3),
              static_cast<float>(third) > third ? 1.0L : 3.0L);
    // The read position passes over both branches.
    const auto program = scope.Program({"+", "if <", "X", "Y", "X", "Y", "Y"});
    int32_t position = 0;
    EvaluationContext context(scope.problem());
    SetVariables(context, 1, 2);
    EXPECT_EQ(Evaluate(context, program.data(), position), 3.0L);
    EXPECT_EQ(position, 7);
}

TEST_F(PrimitiveTest, NotANumberPassesWhereItIsNotComparedOrTruncated) {
    // sin Y with Y = 1e16 is a not-a-number.
    EXPECT_TRUE(std::isnan(At({"+", "X", "sin", "Y"}, 1, 1e16f)));
    EXPECT_TRUE(std::isnan(At({"/", "sin", "Y", "X"}, 1, 1e16f)));
    EXPECT_TRUE(std::isnan(At({"if >", "X", "Y", "Y", "sin", "Y"}, 1, 1e16f)));
    EXPECT_TRUE(std::isnan(At({"cos", "sin", "Y"}, 1, 1e16f)));
    EXPECT_FALSE(Failed());
}

// Every condition that the floating-point traps would catch marks the
// evaluation as failed instead of stopping the program.
TEST_F(PrimitiveTest, MarksEveryFloatingPointErrorCondition) {
    struct Case {
        const char* what;
        std::vector<int32_t> program;
        float x, y;
    };
    const std::vector<Case> cases = {
        {"first argument beyond float range", scope.Program({"+", "*", "X", "X", "Y"}), 1e20f, 1},
        {"divisor beyond float range", scope.Program({"/", "Y", "*", "X", "X"}), 1e20f, 1},
        {"dividend beyond float range though the divisor is 0",
         scope.Program({"/", "*", "X", "X", "-", "Y", "Y"}), 1e20f, 1},
        {"not-a-number divisor", scope.Program({"/", "X", "sin", "Y"}), 1, 1e16f},
        {"not-a-number compared first", scope.Program({"if <", "sin", "Y", "X", "X", "X"}), 1,
         1e16f},
        {"not-a-number compared second", scope.Program({"if >", "X", "sin", "Y", "X", "X"}), 1,
         1e16f},
        {"taken third argument beyond float range",
         scope.Program({"if >", "Y", "X", "*", "X", "X", "Y"}), 1e20f, 1e30f},
        {"not-a-number logarithm", scope.Program({"ln", "sin", "Y"}), 1, 1e16f},
        {"logarithm of 2^63", scope.Program({"log10", "X"}), 9223372036854775808.0f, 0},
        {"root of -2^63", scope.Program({"sqrt", "X"}), -9223372036854775808.0f, 0},
    };
    for (const Case& c : cases) {
        EvaluateAt(c.program, c.x, c.y);
        EXPECT_TRUE(Failed()) << c.what;
    }
    auto sine = Chain("*", 17); // 1e340, beyond the double range
    sine.insert(sine.begin(), scope.Code("sin"));
    EvaluateAt(sine, 1e20f, 0);
    EXPECT_TRUE(Failed()) << "sine of a value beyond double range";
    // The extended product 1e38^130 overflows extended precision itself.
    auto huge = Chain("*", 130);
    EvaluateAt(huge, 1e38f, 0);
    EXPECT_TRUE(Failed()) << "extended overflow";
    // A discarded third argument is never rounded, so it cannot fail.
    EvaluateAt(scope.Program({"if >", "X", "Y", "*", "X", "X", "Y"}), 1e20f, 1e30f);
    EXPECT_FALSE(Failed());
}

} // namespace
} // namespace quba
