// GLSL that compiles as ES 3.0 and, with its first line changed, as 330: one
// function per program and a fragment main() that draws the first in grey.
#include "export/export.h"

#include "engine/primitives.h"
#include "export/printing.h"

namespace quba {

namespace {

const std::set<std::string, std::less<>>& Reserved() {
    static const std::set<std::string, std::less<>> words = {
        "attribute",   "const",     "uniform",
        "varying",     "layout",    "centroid",
        "flat",        "smooth",    "noperspective",
        "break",       "continue",  "do",
        "for",         "while",     "switch",
        "case",        "default",   "if",
        "else",        "in",        "out",
        "inout",       "float",     "int",
        "void",        "bool",      "true",
        "false",       "invariant", "discard",
        "return",      "mat2",      "mat3",
        "mat4",        "vec2",      "vec3",
        "vec4",        "ivec2",     "ivec3",
        "ivec4",       "bvec2",     "bvec3",
        "bvec4",       "uint",      "uvec2",
        "uvec3",       "uvec4",     "lowp",
        "mediump",     "highp",     "precision",
        "sampler2D",   "sampler3D", "samplerCube",
        "struct",      "main",      "sin",
        "cos",         "tan",       "log",
        "sqrt",        "abs",       "trunc",
        "mod",         "isnan",     "clamp",
        "iResolution", "fragColor", "N",
        "H",           "p",         "input",
        "output",      "class",     "union",
        "enum",        "typedef",   "template",
        "this",        "packed",    "goto",
        "inline",      "noinline",  "volatile",
        "public",      "static",    "extern",
        "external",    "interface", "long",
        "short",       "double",    "half",
        "fixed",       "unsigned",  "superp",
        "filter",      "sizeof",    "cast",
        "namespace",   "using",     "asm",
        "active",      "common",    "partition",
        "resource",    "sample",    "subroutine",
        "patch"};
    return words;
}

// GLSL reserves names that begin with gl_ or hold two underscores running.
std::string GlslIdentifier(std::string_view name) {
    std::string id = Identifier(name, Reserved());
    for (size_t at = id.find("__"); at != std::string::npos; at = id.find("__"))
        id.erase(at, 1);
    if (id.rfind("gl_", 0) == 0)
        id.insert(id.begin(), 'v');
    if (id == "_")
        id = "v_";
    return Reserved().count(id) != 0 ? id + "_" : id;
}

constexpr const char* kRules = R"(#version 300 es
precision highp float;
// Formulas evolved by QUBA for Image Compression, in 32-bit floats: close to
// the programs' own output, not bit for bit. For desktop GLSL the first line
// is "#version 330 core".

// The canvas in pixels.
uniform vec2 iResolution;
out vec4 fragColor;

float qb_nan() { return intBitsToFloat(0x7fc00000); }
// "/": 1 for a zero divisor.
float qb_div(float a, float b) { return b == 0.0 ? 1.0 : a / b; }
// sin, cos, tan: a not-a-number from a magnitude of 2^52 on.
float qb_sin(float x) { return abs(x) >= 4503599627370496.0 ? qb_nan() : sin(x); }
float qb_cos(float x) { return abs(x) >= 4503599627370496.0 ? qb_nan() : cos(x); }
float qb_tan(float x) { return abs(x) >= 4503599627370496.0 ? qb_nan() : tan(x); }
// The magnitude of the integer part's low 32 bits.
float qb_magnitude(float x)
{
    float low = mod(trunc(x), 4294967296.0);
    return low >= 2147483648.0 ? 4294967296.0 - low : low;
}
bool qb_fails(float x) { return isnan(x) || abs(x) >= 9223372036854775808.0; }
float qb_ln(float x) { float m = qb_magnitude(x); return qb_fails(x) ? qb_nan() : m == 0.0 ? 0.0 : log(m); }
float qb_log10(float x) { float m = qb_magnitude(x); return qb_fails(x) ? qb_nan() : m == 0.0 ? 0.0 : log(m) * 0.4342944819; }
float qb_sqrt(float x) { float m = qb_magnitude(x); return qb_fails(x) ? qb_nan() : sqrt(m); }
// if > and if <: c when the comparison holds, else d.
float qb_if_greater(float a, float b, float c, float d) { return isnan(a) || isnan(b) ? qb_nan() : a > b ? c : d; }
float qb_if_less(float a, float b, float c, float d) { return isnan(a) || isnan(b) ? qb_nan() : a < b ? c : d; }
)";

std::string Call(const Primitive& primitive, const std::vector<std::string>& args) {
    switch (primitive.rule) {
    case ValueRule::Arithmetic:
        return "(" + args[0] + " " + primitive.symbol + " " + args[1] + ")";
    case ValueRule::Divide:
        return "qb_div(" + args[0] + ", " + args[1] + ")";
    case ValueRule::Trigonometric:
    case ValueRule::IntegerMagnitude:
        return std::string("qb_") + (primitive.id == PrimitiveId::Ln ? "ln" : primitive.name) +
               "(" + args[0] + ")";
    case ValueRule::Conditional:
        break;
    }
    return std::string(primitive.symbol == '<' ? "qb_if_less(" : "qb_if_greater(") + args[0] +
           ", " + args[1] + ", " + args[2] + ", " + args[3] + ")";
}

std::string Literal(float value) {
    const std::string literal = FloatLiteral(value);
    return literal[0] == '-' ? "(" + literal + ")" : literal;
}

const StatementStyle kStyle{Literal, Call, "qb_t", "    float ", ";\n"};

// With a linear scaling, a + b f (a alone where b is 0).
std::string Scaled(const std::optional<Scaling>& scaling, const std::string& output) {
    if (!scaling)
        return output;
    if (scaling->factor == 0)
        return Literal(scaling->offset);
    return Literal(scaling->offset) + " + " + Literal(scaling->factor) + " * (" + output + ")";
}

std::string Function(const ExportItem& item, const std::string& name) {
    const Problem& problem = *item.program.problem;
    VariableNames names = VariableIdentifiers(problem, name, Reserved());
    names.x = GlslIdentifier(names.x);
    names.y = GlslIdentifier(names.y);
    if (names.y == names.x)
        names.y += "_y";
    const Statements statements = PrintStatements(problem, item.program.nodes, names, kStyle);
    std::string text = "\n";
    text += HeaderComment("//", item.program) + "float " + name + "(vec2 p)\n{\n    float " +
            names.x + " = p.x;\n    float " + names.y + " = p.y;\n" + statements.body +
            "    return " + Scaled(item.program.scaling, statements.root) + ";\n}\n";
    return text;
}

std::string Main(const ExportItem& first, const std::string& name) {
    const int32_t side = first.program.problem->trainingSide;
    return "\n// The first function in grey over the canvas, -1 black and 1 white, in the\n"
           "// frame of the grid's " +
           std::to_string(side) + " x " + std::to_string(side) +
           " cells: a pixel centre on a cell centre gives that cell.\n"
           "const float N = " +
           FloatLiteral(static_cast<float>(side)) +
           ";\nconst float H = " + FloatLiteral(static_cast<float>(side / 2)) +
           ";\n\nvoid main()\n{\n    vec2 cells = gl_FragCoord.xy / iResolution * N;\n"
           "    float X = (cells.x - H) / H;\n    float Y = (N - cells.y - H) / H;\n"
           "    float value = " +
           name +
           "(vec2(X, Y));\n    float grey = clamp((value + 1.0) * 0.5, 0.0, 1.0);\n"
           "    fragColor = isnan(value) ? vec4(1.0, 0.0, 1.0, 1.0) : vec4(vec3(grey), 1.0);\n}\n";
}

} // namespace

std::string ExportGlsl(const std::vector<ExportItem>& items) {
    std::string text = kRules;
    std::string firstName;
    for (const ExportItem& item : items) {
        const std::string name = GlslIdentifier(item.name);
        if (firstName.empty())
            firstName = name;
        text += Function(item, name);
    }
    if (!items.empty())
        text += Main(items.front(), firstName);
    return text;
}

} // namespace quba
