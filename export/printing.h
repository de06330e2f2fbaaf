// What the export printers share: identifiers, numbers and the header of a
// function.
#pragma once

#include "engine/best_program.h"
#include "engine/primitives.h"

#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace quba {

// `name` made into an identifier of letters, digits and underscores that
// starts with a letter or an underscore, is none of `reserved` and does not
// begin like the printers' own names (qb_, _qb).
std::string Identifier(std::string_view name, const std::set<std::string, std::less<>>& reserved);

// The shortest decimal that reads back as the same float, with a point or an
// exponent so that it is no integer literal ("1.0", "-0.998", "1e-05").
std::string FloatLiteral(float value);
// The same for the double.
std::string DoubleLiteral(double value);

// The lines of a function's header, each after `prefix` (a comment mark);
// control characters of the program text become blanks.
std::string HeaderComment(std::string_view prefix, const BestProgram& program);

// The names of the program's two variables, made into identifiers that
// differ from each other and from `functionName`.
struct VariableNames {
    std::string x;
    std::string y;
};
VariableNames VariableIdentifiers(const Problem& problem, const std::string& functionName,
                                  const std::set<std::string, std::less<>>& reserved);

// How a target writes a program as statements, one a function node.
struct StatementStyle {
    std::function<std::string(float)> constant; // a constant's literal
    // The expression of a function node from its arguments' expressions.
    std::function<std::string(const Primitive&, const std::vector<std::string>&)> call;
    std::string temporary;       // prefix of the temporaries' names: "qb_t"
    std::string statementBefore; // what precedes a temporary's name: "    float "
    std::string statementAfter;  // what ends a statement: ";\n"
};

// The program in prefix order as statements that give each function node's
// value a temporary, arguments first.
struct Statements {
    std::string body;
    std::string root; // the expression of the program's value
};
Statements PrintStatements(const Problem& problem, const std::vector<int32_t>& nodes,
                           const VariableNames& names, const StatementStyle& style);

} // namespace quba
