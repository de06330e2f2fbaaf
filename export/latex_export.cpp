// LaTeX: each formula in display math, constants with four significant
// digits, the protected rules written as what they compute.
#include "export/export.h"

#include "engine/primitives.h"
#include "export/printing.h"

#include <cstdio>

namespace quba {

namespace {

// How tightly a term binds: cases (grouped wherever they are an operand, so
// that what follows them is not read as part of their last row), a sum, a
// product, or an atom.
enum class Binding { Cases = 0, Sum = 1, Product = 2, Atom = 3 };

struct Term {
    std::string text;
    Binding binding = Binding::Atom;
    bool negative = false; // begins with a minus sign
};

std::string Escaped(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '\\':
            out += "\\textbackslash{}";
            break;
        case '{':
        case '}':
        case '_':
        case '#':
        case '$':
        case '%':
        case '&':
            out += '\\';
            out += c;
            break;
        case '^':
            out += "\\hat{}";
            break;
        case '~':
            out += "\\sim{}";
            break;
        default:
            out += c;
        }
    }
    return out;
}

// A name as a symbol: one letter in italics, a longer name upright.
std::string Symbol(std::string_view name) {
    if (name.size() == 1 &&
        ((name[0] >= 'a' && name[0] <= 'z') || (name[0] >= 'A' && name[0] <= 'Z')))
        return std::string(name);
    return "\\mathrm{" + Escaped(name) + "}";
}

std::string Number(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4g", static_cast<double>(value));
    std::string number = text;
    const size_t e = number.find('e');
    if (e == std::string::npos)
        return number;
    const int exponent = std::stoi(number.substr(e + 1));
    return number.substr(0, e) + " \\times 10^{" + std::to_string(exponent) + "}";
}

std::string Grouped(const Term& term, Binding least, bool negativeToo) {
    if (term.binding < least || (negativeToo && term.negative))
        return "\\left(" + term.text + "\\right)";
    return term.text;
}

std::string OfIntegerPart(const Term& argument) {
    return "\\lvert\\operatorname{trunc}\\left(" + argument.text + "\\right)\\rvert";
}

Term Apply(const Primitive& primitive, const std::vector<Term>& args) {
    switch (primitive.rule) {
    case ValueRule::Arithmetic:
        if (primitive.symbol == '*')
            return {Grouped(args[0], Binding::Product, false) + " \\cdot " +
                        Grouped(args[1], Binding::Product, true),
                    Binding::Product, args[0].negative};
        return {
            Grouped(args[0], Binding::Sum, false) + " " + primitive.symbol + " " +
                Grouped(args[1], primitive.symbol == '-' ? Binding::Product : Binding::Sum, true),
            Binding::Sum, args[0].negative};
    case ValueRule::Divide:
        return {"\\frac{" + args[0].text + "}{" + args[1].text + "}"};
    case ValueRule::Trigonometric:
        return {std::string("\\") + primitive.name + "\\left(" + args[0].text + "\\right)"};
    case ValueRule::IntegerMagnitude:
        if (primitive.id == PrimitiveId::Sqrt)
            return {"\\sqrt{" + OfIntegerPart(args[0]) + "}"};
        return {std::string(primitive.id == PrimitiveId::Ln ? "\\ln" : "\\log_{10}") +
                OfIntegerPart(args[0])};
    case ValueRule::Conditional:
        break;
    }
    return {"\\begin{cases} " + args[2].text + " & \\text{if } " + args[0].text + " " +
                primitive.symbol + " " + args[1].text + " \\\\ " + args[3].text +
                " & \\text{otherwise} \\end{cases}",
            Binding::Cases};
}

class LatexPrinter {
public:
    LatexPrinter(const Problem& problem, const std::vector<int32_t>& nodes)
        : problem_(problem), nodes_(nodes) {}

    Term Subtree(int32_t& position) {
        const NodeEntry& node = problem_.nodeTable[nodes_[position]];
        if (node.type == NodeType::Variable)
            return {Symbol(node.name)};
        if (node.type == NodeType::Constant) {
            const std::string number = Number(problem_.constants[node.terminalIndex]);
            return {number, Binding::Atom, number[0] == '-'};
        }
        const Primitive& primitive = PrimitiveOf(node.primitive);
        std::vector<Term> arguments;
        for (int32_t a = 0; a <= primitive.arityMinus1; ++a) {
            ++position;
            arguments.push_back(Subtree(position));
        }
        return Apply(primitive, arguments);
    }

private:
    const Problem& problem_;
    const std::vector<int32_t>& nodes_;
};

std::string Formula(const ExportItem& item) {
    const Problem& problem = *item.program.problem;
    LatexPrinter printer(problem, item.program.nodes);
    int32_t position = 0;
    const Term value = printer.Subtree(position);
    const std::string x = Symbol(problem.nodeTable[problem.functionCount].name);
    const std::string y = Symbol(problem.nodeTable[problem.functionCount + 1].name);
    std::string text = "\n";
    std::string right = value.text;
    if (const auto& scaling = item.program.scaling) {
        right = scaling->factor == 0 ? Number(scaling->offset)
                                     : Number(scaling->offset) + " + " + Number(scaling->factor) +
                                           " \\cdot \\left(" + value.text + "\\right)";
    }
    text += HeaderComment("%", item.program) + "\\[\n  " + Symbol(item.name) + "(" + x + ", " + y +
            ") = " + right + "\n\\]\n";
    return text;
}

} // namespace

std::string ExportLatex(const std::vector<ExportItem>& items) {
    std::string text =
        "% Formulas evolved by QUBA for Image Compression. \\frac{a}{b} stands for 1\n"
        "% where b is 0; a logarithm or root of |trunc(x)| takes the low 32 bits\n"
        "% of the integer part and gives 0 for 0; the amsmath package sets cases.\n";
    for (const ExportItem& item : items)
        text += Formula(item);
    return text;
}

} // namespace quba
