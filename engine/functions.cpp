#include "engine/functions.h"

#include "engine/fitness.h"
#include "engine/problem.h"

#include <cmath>
#include <cstdlib>
#include <limits>

// Every function routine first steps past its own node, then evaluates its
// arguments left to right, each exactly once, so the read position always
// passes over the whole subtree. Conditions that would raise a floating-point
// error are reported through MarkEvaluationError and evaluation carries on.

namespace {

constexpr long double kNaN = std::numeric_limits<long double>::quiet_NaN();

long double Argument(const int32_t* program, int32_t& position) {
    return Evaluate(program, position);
}

// A first argument, held as a 32-bit float.
float FloatArgument(const int32_t* program, int32_t& position) {
    return StoreFloat(Evaluate(program, position));
}

long double CheckedResult(long double value) {
    if (std::isinf(value)) MarkEvaluationError();
    return value;
}

long double Add(const int32_t* program, int32_t& position) {
    ++position;
    const float a = FloatArgument(program, position);
    const long double b = Argument(program, position);
    return CheckedResult(a + b);
}

long double Subtract(const int32_t* program, int32_t& position) {
    ++position;
    const float a = FloatArgument(program, position);
    const long double b = Argument(program, position);
    return CheckedResult(a - b);
}

long double Multiply(const int32_t* program, int32_t& position) {
    ++position;
    const float a = FloatArgument(program, position);
    const long double b = Argument(program, position);
    return CheckedResult(a * b);
}

long double Divide(const int32_t* program, int32_t& position) {
    ++position;
    const float a = FloatArgument(program, position);
    const float b = FloatArgument(program, position);
    return DivideValues(a, b);
}

long double Sine(const int32_t* program, int32_t& position) {
    ++position;
    return TrigonometricValue(std::sin, Argument(program, position));
}

long double Cosine(const int32_t* program, int32_t& position) {
    ++position;
    return TrigonometricValue(std::cos, Argument(program, position));
}

long double Tangent(const int32_t* program, int32_t& position) {
    ++position;
    return TrigonometricValue(std::tan, Argument(program, position));
}

long double NaturalLog(const int32_t* program, int32_t& position) {
    ++position;
    return IntegerMagnitudeValue(std::log, Argument(program, position));
}

long double DecimalLog(const int32_t* program, int32_t& position) {
    ++position;
    return IntegerMagnitudeValue(std::log10, Argument(program, position));
}

long double SquareRoot(const int32_t* program, int32_t& position) {
    ++position;
    return IntegerMagnitudeValue(std::sqrt, Argument(program, position));
}

long double IfGreater(const int32_t* program, int32_t& position) {
    ++position;
    const float a = FloatArgument(program, position);
    const long double b = Argument(program, position);
    const long double c = Argument(program, position);
    const long double d = Argument(program, position);
    return ConditionalValue(a, b, c, d, false);
}

long double IfLess(const int32_t* program, int32_t& position) {
    ++position;
    const float a = FloatArgument(program, position);
    const long double b = Argument(program, position);
    const long double c = Argument(program, position);
    const long double d = Argument(program, position);
    return ConditionalValue(a, b, c, d, true);
}

} // namespace

long double DivideValues(float a, float b) {
    if (std::isnan(b)) {
        MarkEvaluationError();
        return kNaN;
    }
    if (b == 0.0f) return 1.0L;
    return static_cast<long double>(a) / b;
}

long double TrigonometricValue(double (*function)(double), long double argument) {
    const double x = static_cast<double>(argument);
    if (std::isinf(x)) {
        MarkEvaluationError();
        return kNaN;
    }
    if (std::isnan(x) || std::fabs(x) >= 0x1p52) return kNaN;
    return function(x);
}

long double IntegerMagnitudeValue(double (*function)(double), long double argument) {
    if (std::isnan(argument) || std::fabs(argument) >= 0x1p63L) {
        MarkEvaluationError();
        return kNaN;
    }
    // The low 32 bits of the 64-bit truncation, as a signed value; its
    // magnitude as unsigned keeps 2^31 positive.
    const auto truncated = static_cast<int64_t>(argument);
    const auto low = static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(truncated)));
    const uint32_t magnitude =
        low < 0 ? 0u - static_cast<uint32_t>(low) : static_cast<uint32_t>(low);
    if (magnitude == 0) return 0.0L;
    return function(static_cast<double>(magnitude));
}

long double ConditionalValue(float a, long double b, long double c, long double d, bool less) {
    if (std::isnan(a) || std::isnan(b)) {
        MarkEvaluationError();
        return kNaN;
    }
    const long double first = a;
    const bool taken = less ? first < b : first > b;
    if (taken) return StoreFloat(c);
    return d;
}

FunctionTable BuildFunctionTable() {
    const EvaluateRoutine routines[kFunctionCount] = {Add,        Subtract,   Multiply,  Divide,
                                                      Sine,       Cosine,     Tangent,   NaturalLog,
                                                      DecimalLog, SquareRoot, IfGreater, IfLess};
    const char* names[kFunctionCount] = {"+",   "-",  "*",     "/",    "sin",  "cos",
                                         "tan", "ln", "log10", "sqrt", "if >", "if <"};
    const int32_t arities[kFunctionCount] = {1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 3, 3};
    FunctionTable table;
    for (int k = 0; k < kFunctionCount; ++k)
        table[k] = NodeEntry{arities[k], names[k], routines[k], 0};
    return table;
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
