#include "engine/functions.h"

#include "engine/evaluation.h"
#include "engine/primitive_rules.h"

#include <utility>

// Every function routine first steps past its own node, then evaluates its
// arguments left to right, each exactly once, so the read position always
// passes over the whole subtree. A condition that would raise a floating-point
// error marks the evaluation as failed and the evaluation carries on.

namespace quba {

namespace {

// Applies a value rule and reports its failure to the evaluation in progress.
template <typename Rule> long double Checked(EvaluationContext& context, Rule rule) {
    bool failed = false;
    const long double value = rule(failed);
    if (failed)
        MarkEvaluationError(context);
    return value;
}

// A first argument, held as a 32-bit float.
float FloatArgument(EvaluationContext& context, const int32_t* program, int32_t& position) {
    return StoreFloat(context, Evaluate(context, program, position));
}

template <PrimitiveId Id>
long double PrimitiveNode(EvaluationContext& context, const int32_t* program, int32_t& position) {
    constexpr Primitive primitive = PrimitiveOf(Id);
    ++position;
    if constexpr (primitive.rule == ValueRule::Arithmetic) {
        const long double a = FloatArgument(context, program, position);
        const long double b = Evaluate(context, program, position);
        const long double result = primitive.symbol == '+'   ? a + b
                                   : primitive.symbol == '-' ? a - b
                                                             : a * b;
        return Checked(context, [&](bool& failed) { return rules::CheckedResult(result, failed); });
    } else if constexpr (primitive.rule == ValueRule::Divide) {
        const float a = FloatArgument(context, program, position);
        const float b = FloatArgument(context, program, position);
        return Checked(context, [&](bool& failed) { return rules::Divide(a, b, failed); });
    } else if constexpr (primitive.rule == ValueRule::Trigonometric) {
        const long double argument = Evaluate(context, program, position);
        return Checked(context, [&](bool& failed) {
            return rules::Trigonometric<primitive.function>(rules::RoundToDouble(argument, failed));
        });
    } else if constexpr (primitive.rule == ValueRule::IntegerMagnitude) {
        const long double argument = Evaluate(context, program, position);
        return Checked(context, [&](bool& failed) {
            return rules::IntegerMagnitude<primitive.function>(argument, failed);
        });
    } else {
        const float a = FloatArgument(context, program, position);
        const long double b = Evaluate(context, program, position);
        const long double c = Evaluate(context, program, position);
        const long double d = Evaluate(context, program, position);
        return Checked(context, [&](bool& failed) {
            return rules::Conditional<primitive.symbol == '<'>(a, b, static_cast<float>(c), d,
                                                               failed);
        });
    }
}

template <size_t... I> FunctionTable MakeTable(std::index_sequence<I...>) {
    FunctionTable table;
    ((table.functions[I] = NodeEntry{kPrimitives[I].arityMinus1, kPrimitives[I].name,
                                     PrimitiveNode<static_cast<PrimitiveId>(I)>, 0,
                                     NodeType::Function, static_cast<PrimitiveId>(I)}),
     ...);
    table.variableReader = VariableNode;
    table.constantReader = ConstantNode;
    return table;
}

} // namespace

FunctionTable BuildFunctionTable() {
    return MakeTable(std::make_index_sequence<kFunctionCount>());
}

long double VariableNode(EvaluationContext& context, const int32_t* program, int32_t& position) {
    const int32_t index = context.problem.nodeTable[program[position]].terminalIndex;
    ++position;
    return context.variableValues[index];
}

long double ConstantNode(EvaluationContext& context, const int32_t* program, int32_t& position) {
    const int32_t index = context.problem.nodeTable[program[position]].terminalIndex;
    ++position;
    return context.problem.constants[index];
}

} // namespace quba
