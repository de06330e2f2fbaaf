#include "engine/functions.h"

#include "engine/fitness.h"
#include "engine/primitive_rules.h"
#include "engine/problem.h"

// The recursive evaluator's routines. Every function routine first steps past
// its own node, then evaluates its arguments left to right, each exactly once,
// so the read position always passes over the whole subtree. A condition that
// would raise a floating-point error marks the evaluation as failed and the
// evaluation carries on.

namespace {

// Applies a value rule and reports its failure to the evaluation in progress.
template <typename Rule> long double Checked(Rule rule) {
    bool failed = false;
    const long double value = rule(failed);
    if (failed)
        MarkEvaluationError();
    return value;
}

// A first argument, held as a 32-bit float.
float FloatArgument(const int32_t* program, int32_t& position) {
    return StoreFloat(Evaluate(program, position));
}

enum class Arithmetic { Add, Subtract, Multiply };

template <Arithmetic Op> long double ArithmeticNode(const int32_t* program, int32_t& position) {
    ++position;
    const long double a = FloatArgument(program, position);
    const long double b = Evaluate(program, position);
    const long double result = Op == Arithmetic::Add        ? a + b
                               : Op == Arithmetic::Subtract ? a - b
                                                            : a * b;
    return Checked([&](bool& failed) { return rules::CheckedResult(result, failed); });
}

long double DivideNode(const int32_t* program, int32_t& position) {
    ++position;
    const float a = FloatArgument(program, position);
    const float b = FloatArgument(program, position);
    return Checked([&](bool& failed) { return rules::Divide(a, b, failed); });
}

template <double (*Function)(double)>
long double TrigonometricNode(const int32_t* program, int32_t& position) {
    ++position;
    const long double argument = Evaluate(program, position);
    return Checked([&](bool& failed) {
        return rules::Trigonometric<Function>(rules::RoundToDouble(argument, failed));
    });
}

template <double (*Function)(double)>
long double IntegerMagnitudeNode(const int32_t* program, int32_t& position) {
    ++position;
    const long double argument = Evaluate(program, position);
    return Checked(
        [&](bool& failed) { return rules::IntegerMagnitude<Function>(argument, failed); });
}

template <bool Less> long double ConditionalNode(const int32_t* program, int32_t& position) {
    ++position;
    const float a = FloatArgument(program, position);
    const long double b = Evaluate(program, position);
    const long double c = Evaluate(program, position);
    const long double d = Evaluate(program, position);
    return Checked([&](bool& failed) {
        return rules::Conditional<Less>(a, b, static_cast<float>(c), d, failed);
    });
}

} // namespace

FunctionTable BuildFunctionTable() {
    return {{
        {1, "+", ArithmeticNode<Arithmetic::Add>, 0},
        {1, "-", ArithmeticNode<Arithmetic::Subtract>, 0},
        {1, "*", ArithmeticNode<Arithmetic::Multiply>, 0},
        {1, "/", DivideNode, 0},
        {0, "sin", TrigonometricNode<rules::Sin>, 0},
        {0, "cos", TrigonometricNode<rules::Cos>, 0},
        {0, "tan", TrigonometricNode<rules::Tan>, 0},
        {0, "ln", IntegerMagnitudeNode<rules::Log>, 0},
        {0, "log10", IntegerMagnitudeNode<rules::Log10>, 0},
        {0, "sqrt", IntegerMagnitudeNode<rules::Sqrt>, 0},
        {3, "if >", ConditionalNode<false>, 0},
        {3, "if <", ConditionalNode<true>, 0},
    }};
}

long double VariableNode(const int32_t* program, int32_t& position) {
    const Problem& problem = CurrentProblem();
    const int32_t index = problem.nodeTable[program[position]].terminalIndex;
    ++position;
    return problem.variableValues[index];
}

long double ConstantNode(const int32_t* program, int32_t& position) {
    const Problem& problem = CurrentProblem();
    const int32_t index = problem.nodeTable[program[position]].terminalIndex;
    ++position;
    return problem.constants[index];
}
