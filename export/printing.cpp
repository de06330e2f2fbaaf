#include "export/printing.h"

#include <array>
#include <charconv>
#include <cstdio>

namespace quba {

namespace {

bool IsIdentifierCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// A number's text with a point added where it would read as an integer.
std::string WithPoint(std::string text) {
    if (text.find_first_of(".eEn") == std::string::npos)
        text += ".0";
    return text;
}

// A text on one comment line: control characters (a line break in a name)
// become blanks.
std::string OneLine(std::string text) {
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = ' ';
    return text;
}

std::string ErrorText(float error) {
    char text[64];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(error));
    return text;
}

} // namespace

std::string Identifier(std::string_view name, const std::set<std::string, std::less<>>& reserved) {
    std::string id;
    for (char c : name)
        id += IsIdentifierCharacter(c) ? c : '_';
    // Names of the printers' own (qb_..., _qb_...) are kept apart too.
    if (id.empty() || (id[0] >= '0' && id[0] <= '9') || id.rfind("qb_", 0) == 0 ||
        id.rfind("_qb", 0) == 0)
        id.insert(id.begin(), 'v');
    while (reserved.count(id) != 0)
        id += '_';
    return id;
}

std::string FloatLiteral(float value) {
    std::array<char, 32> text{};
    const auto end = std::to_chars(text.data(), text.data() + text.size(), value).ptr;
    return WithPoint(std::string(text.data(), end));
}

std::string DoubleLiteral(double value) {
    std::array<char, 40> text{};
    const auto end = std::to_chars(text.data(), text.data() + text.size(), value).ptr;
    return WithPoint(std::string(text.data(), end));
}

std::string HeaderComment(std::string_view prefix, const BestProgram& program) {
    const std::string p(prefix);
    return p + " " + OneLine(program.text) + "\n" + p + " population " +
           std::to_string(program.population + 1) + ", seed " + std::to_string(program.seed) +
           ", generation " + std::to_string(program.generation) + "\n" + p + " training error " +
           ErrorText(program.trainingFitness) + ", validation error " +
           ErrorText(program.validationFitness) + ", length " +
           std::to_string(program.nodes.size()) + "\n";
}

VariableNames VariableIdentifiers(const Problem& problem, const std::string& functionName,
                                  const std::set<std::string, std::less<>>& reserved) {
    std::set<std::string, std::less<>> taken = reserved;
    taken.insert(functionName);
    const int32_t variables = problem.functionCount;
    VariableNames names;
    names.x = Identifier(problem.nodeTable[variables].name, taken);
    taken.insert(names.x);
    names.y = Identifier(problem.nodeTable[variables + 1].name, taken);
    return names;
}

namespace {

class StatementPrinter {
public:
    StatementPrinter(const Problem& problem, const std::vector<int32_t>& nodes,
                     const VariableNames& names, const StatementStyle& style)
        : problem_(problem), nodes_(nodes), names_(names), style_(style) {}

    // Statements for the subtree at `position`; returns the expression of its
    // value, leaving `position` on the subtree's last node.
    std::string Subtree(int32_t& position) {
        const NodeEntry& node = problem_.nodeTable[nodes_[position]];
        if (node.type == NodeType::Variable)
            return node.terminalIndex == 0 ? names_.x : names_.y;
        if (node.type == NodeType::Constant)
            return style_.constant(problem_.constants[node.terminalIndex]);
        const Primitive& primitive = PrimitiveOf(node.primitive);
        std::vector<std::string> arguments;
        for (int32_t a = 0; a <= primitive.arityMinus1; ++a) {
            ++position;
            arguments.push_back(Subtree(position));
        }
        std::string value = style_.temporary;
        value += std::to_string(temporaries_++);
        body_.append(style_.statementBefore)
            .append(value)
            .append(" = ")
            .append(style_.call(primitive, arguments))
            .append(style_.statementAfter);
        return value;
    }

    std::string TakeBody() { return std::move(body_); }

private:
    const Problem& problem_;
    const std::vector<int32_t>& nodes_;
    const VariableNames& names_;
    const StatementStyle& style_;
    std::string body_;
    int temporaries_ = 0;
};

} // namespace

Statements PrintStatements(const Problem& problem, const std::vector<int32_t>& nodes,
                           const VariableNames& names, const StatementStyle& style) {
    StatementPrinter printer(problem, nodes, names, style);
    int32_t position = 0;
    Statements statements;
    statements.root = printer.Subtree(position);
    statements.body = printer.TakeBody();
    return statements;
}

} // namespace quba
