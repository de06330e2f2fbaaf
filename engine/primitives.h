// The twelve primitives of the function check list, each defined once: its
// identity, its arity, the texts that name it in the check list, on quba-cli's
// command line and in program text, and the value rule it evaluates by. The
// evaluators, ProgramText, the command-line parser and the check list all
// read this table.
#pragma once

#include "engine/primitive_rules.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace quba {

enum class PrimitiveId : int32_t {
    Add,
    Subtract,
    Multiply,
    Divide,
    Sin,
    Cos,
    Tan,
    Ln,
    Log10,
    Sqrt,
    IfGreater,
    IfLess,
};

// Which rule of primitive_rules.h gives a primitive's value, which also fixes
// how each argument is held: see ArgumentPrecisions.
enum class ValueRule {
    Arithmetic,       // a held as a float, b extended: a + b, a - b, a * b
    Divide,           // both held as floats; 1 for a zero divisor
    Trigonometric,    // of the argument as a double; NaN from 2^52 on
    IntegerMagnitude, // of the magnitude of the argument's integer part
    Conditional,      // a held as a float compared with b; c as a float, or d
};

struct Primitive {
    PrimitiveId id;
    int32_t arityMinus1;
    const char* listText; // check-list item; "- " keeps its trailing blank
    const char* cliName;  // a name in quba-cli's --functions
    const char* name;     // in program text, and the node table's name
    ValueRule rule;
    // + - * for Arithmetic, > < for Conditional: the operation, and the sign
    // that program text writes between the compared values.
    char symbol;
    // The C library function of Trigonometric and IntegerMagnitude.
    double (*function)(double);
};

inline constexpr int kFunctionCount = 12;

// In check-list order, which is also the order of the node table.
inline constexpr std::array<Primitive, kFunctionCount> kPrimitives = {{
    {PrimitiveId::Add, 1, "+", "+", "+", ValueRule::Arithmetic, '+', nullptr},
    {PrimitiveId::Subtract, 1, "- ", "-", "-", ValueRule::Arithmetic, '-', nullptr},
    {PrimitiveId::Multiply, 1, "*", "*", "*", ValueRule::Arithmetic, '*', nullptr},
    {PrimitiveId::Divide, 1, "/", "/", "/", ValueRule::Divide, '/', nullptr},
    {PrimitiveId::Sin, 0, "sin", "sin", "sin", ValueRule::Trigonometric, 0, rules::Sin},
    {PrimitiveId::Cos, 0, "cos", "cos", "cos", ValueRule::Trigonometric, 0, rules::Cos},
    {PrimitiveId::Tan, 0, "tan", "tan", "tan", ValueRule::Trigonometric, 0, rules::Tan},
    {PrimitiveId::Ln, 0, "ln (abs)", "ln", "ln", ValueRule::IntegerMagnitude, 0, rules::Log},
    {PrimitiveId::Log10, 0, "log10 (abs)", "log10", "log10", ValueRule::IntegerMagnitude, 0,
     rules::Log10},
    {PrimitiveId::Sqrt, 0, "sqrt (abs)", "sqrt", "sqrt", ValueRule::IntegerMagnitude, 0,
     rules::Sqrt},
    {PrimitiveId::IfGreater, 3, "if >", "if>", "if >", ValueRule::Conditional, '>', nullptr},
    {PrimitiveId::IfLess, 3, "if <", "if<", "if <", ValueRule::Conditional, '<', nullptr},
}};

constexpr const Primitive& PrimitiveOf(PrimitiveId id) {
    return kPrimitives[static_cast<size_t>(id)];
}

// The primitive a quba-cli name stands for.
std::optional<PrimitiveId> PrimitiveByCliName(std::string_view name);

// How a node's parent holds each of its arguments, first argument first: a
// first argument of + - *, both operands of / and a of the if-forms as floats,
// an if-form's c as a float whose overflow counts only when c is returned, a
// trigonometric argument as a double, everything else in extended precision.
enum class Precision : uint8_t { Float, LazyFloat, Double, Extended };
struct ArgumentPrecisions {
    int32_t count = 0;
    std::array<Precision, 4> of{};
};
constexpr ArgumentPrecisions ArgumentPrecisionsOf(ValueRule rule) {
    switch (rule) {
    case ValueRule::Arithmetic:
        return {2, {Precision::Float, Precision::Extended}};
    case ValueRule::Divide:
        return {2, {Precision::Float, Precision::Float}};
    case ValueRule::Trigonometric:
        return {1, {Precision::Double}};
    case ValueRule::IntegerMagnitude:
        return {1, {Precision::Extended}};
    case ValueRule::Conditional:
        break;
    }
    return {4, {Precision::Float, Precision::Extended, Precision::LazyFloat, Precision::Extended}};
}

} // namespace quba
