// The twelve primitives of the function check list and their evaluation routines.
#pragma once

#include <array>
#include <cstdint>
#include <string>

// Evaluates the node at `position` and its arguments; on return `position` is
// one past the node's subtree.
using EvaluateRoutine = long double (*)(const int32_t* program, int32_t& position);

struct NodeEntry {
    int32_t arityMinus1 = -1; // arguments minus one; -1 for terminals
    std::string name;         // text in program listings
    EvaluateRoutine evaluate = nullptr;
    int32_t terminalIndex = 0; // variable or constant index; unused for functions
};

constexpr int kFunctionCount = 12;

// Check-list texts in check-list order; "- " keeps its trailing blank.
inline constexpr std::array<const char*, kFunctionCount> kFunctionListItems = {
    "+",   "- ",       "*",           "/",          "sin",  "cos",
    "tan", "ln (abs)", "log10 (abs)", "sqrt (abs)", "if >", "if <"};

using FunctionTable = std::array<NodeEntry, kFunctionCount>;

// The master table, in check-list order.
FunctionTable BuildFunctionTable();

// Routines of the two terminal kinds: the current variable value and the
// constant value named by the node's terminalIndex.
long double VariableNode(const int32_t* program, int32_t& position);
long double ConstantNode(const int32_t* program, int32_t& position);

// Value rules of the primitives once their arguments are known, shared by every
// evaluator so that all give the same bits. A condition that would raise a
// floating-point error marks the evaluation as failed (MarkEvaluationError).

// "/": both operands already held as 32-bit floats; 1 when the divisor is 0.
long double DivideValues(float a, float b);
// sin, cos, tan of the argument converted to a double; a not-a-number or a
// magnitude of 2^52 or more gives a quiet not-a-number.
long double TrigonometricValue(double (*function)(double), long double argument);
// ln, log10, sqrt of the magnitude of the argument's integer part; 0 for 0.
long double IntegerMagnitudeValue(double (*function)(double), long double argument);
// "if >" (less = false) and "if <": c rounded to 32 bits when taken, else d.
long double ConditionalValue(float a, long double b, long double c, long double d, bool less);
