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
