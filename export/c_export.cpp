// C99 that computes what the engine computes: extended intermediates, the
// roundings of the engine's evaluators at the same places, the protected
// rules, and a not-a-number where an evaluation fails.
#include "export/export.h"

#include "engine/primitives.h"
#include "export/printing.h"

namespace quba {

namespace {

const std::set<std::string, std::less<>>& Reserved() {
    static const std::set<std::string, std::less<>> words = {
        "auto",       "break",    "case",     "char",
        "const",      "continue", "default",  "do",
        "double",     "else",     "enum",     "extern",
        "float",      "for",      "goto",     "if",
        "inline",     "int",      "long",     "register",
        "restrict",   "return",   "short",    "signed",
        "sizeof",     "static",   "struct",   "switch",
        "typedef",    "union",    "unsigned", "void",
        "volatile",   "while",    "_Bool",    "_Complex",
        "_Imaginary", "main",     "sin",      "cos",
        "tan",        "log",      "log10",    "sqrt",
        "fabs",       "fabsl",    "isnan",    "isinf",
        "NAN",        "INFINITY", "HUGE_VAL", "math_errhandling"};
    return words;
}

// The rules, once a file. Each takes its arguments as the engine's evaluators
// hold them and notes a floating-point error in *failed.
constexpr const char* kRules = R"(#include <math.h>

/* A value held as a 32-bit float; beyond the float range the evaluation fails. */
static inline float qb_float(long double v, int *failed)
{
    float f = (float)v;
    if (isinf(f))
        *failed = 1;
    return f;
}

/* A value converted to a double; beyond the double range the evaluation fails. */
static inline double qb_double(long double v, int *failed)
{
    double d = (double)v;
    if (isinf(d))
        *failed = 1;
    return d;
}

/* + - * in extended precision; an overflow to infinity fails. */
static inline long double qb_checked(long double r, int *failed)
{
    if (isinf(r))
        *failed = 1;
    return r;
}

static inline long double qb_add(float a, long double b, int *failed) { return qb_checked(a + b, failed); }
static inline long double qb_sub(float a, long double b, int *failed) { return qb_checked(a - b, failed); }
static inline long double qb_mul(float a, long double b, int *failed) { return qb_checked(a * b, failed); }

/* "/": 1 for a zero divisor; a not-a-number divisor fails. */
static inline long double qb_div(float a, float b, int *failed)
{
    if (isnan(b)) {
        *failed = 1;
        return NAN;
    }
    if (b == 0.0f)
        return 1.0L;
    return (long double)a / b;
}

/* The library's own function at run time: a compiler that folds a call on a
   constant rounds it its own way, which may differ from the library's in the
   last bit. */
typedef double (*qb_function)(double);
static inline double qb_call(qb_function f, double x)
{
    volatile qb_function opaque = f;
    return opaque(x);
}

/* sin, cos, tan: a not-a-number from a magnitude of 2^52 on. */
static inline long double qb_trig(qb_function f, double x)
{
    if (isnan(x) || fabs(x) >= 0x1p52)
        return NAN;
    return qb_call(f, x);
}

/* ln, log10, sqrt of the magnitude of the integer part's low 32 bits; 0 for 0.
   A not-a-number or a magnitude of 2^63 or more fails. */
static inline long double qb_magnitude(qb_function f, long double x, int *failed)
{
    long long truncated;
    int low;
    unsigned int magnitude;
    if (isnan(x) || fabsl(x) >= 0x1p63L) {
        *failed = 1;
        return NAN;
    }
    truncated = (long long)x;
    low = (int)(unsigned int)(unsigned long long)truncated;
    magnitude = low < 0 ? 0u - (unsigned int)low : (unsigned int)low;
    if (magnitude == 0)
        return 0.0L;
    return qb_call(f, (double)magnitude);
}

/* if > (less = 0) and if < (less = 1): c held as a float when taken, else d.
   A not-a-number compared fails; c beyond the float range fails when taken. */
static inline long double qb_if(int less, float a, long double b, long double c, long double d,
                         int *failed)
{
    long double first = a;
    if (isnan(a) || isnan(b)) {
        *failed = 1;
        return NAN;
    }
    if (less ? first < b : first > b) {
        float taken = (float)c;
        if (isinf(taken))
            *failed = 1;
        return taken;
    }
    return d;
}
)";

std::string AsFloat(const std::string& expression) {
    return "qb_float(" + expression + ", &qb_failed)";
}

std::string Call(const Primitive& primitive, const std::vector<std::string>& args) {
    switch (primitive.rule) {
    case ValueRule::Arithmetic: {
        const char* name = primitive.symbol == '+'   ? "qb_add"
                           : primitive.symbol == '-' ? "qb_sub"
                                                     : "qb_mul";
        return std::string(name) + "(" + AsFloat(args[0]) + ", " + args[1] + ", &qb_failed)";
    }
    case ValueRule::Divide:
        return "qb_div(" + AsFloat(args[0]) + ", " + AsFloat(args[1]) + ", &qb_failed)";
    case ValueRule::Trigonometric:
        return std::string("qb_trig(") + primitive.name + ", qb_double(" + args[0] +
               ", &qb_failed))";
    case ValueRule::IntegerMagnitude:
        return std::string("qb_magnitude(") +
               (primitive.id == PrimitiveId::Ln ? "log" : primitive.name) + ", " + args[0] +
               ", &qb_failed)";
    case ValueRule::Conditional:
        break;
    }
    return std::string("qb_if(") + (primitive.symbol == '<' ? "1" : "0") + ", " + AsFloat(args[0]) +
           ", " + args[1] + ", " + args[2] + ", " + args[3] + ", &qb_failed)";
}

const StatementStyle kStyle{[](float value) { return FloatLiteral(value) + "f"; }, Call, "qb_t",
                            "    const long double ", ";\n"};

// The program's output as the function returns it: with a linear scaling
// a + b f in double, rounded to a float (a alone where b is 0).
std::string Scaled(const std::optional<Scaling>& scaling, const std::string& output) {
    if (!scaling)
        return output;
    const std::string offset = FloatLiteral(scaling->offset) + "f";
    if (scaling->factor == 0)
        return offset;
    return "(float)((double)" + offset + " + (double)" + FloatLiteral(scaling->factor) +
           "f * (double)" + output + ")";
}

// The header as a C comment, still open; a "*/" in a name must not end it early.
std::string CComment(const BestProgram& program) {
    const std::string header = HeaderComment(" *", program);
    std::string comment;
    for (size_t k = 0; k < header.size(); ++k) {
        comment += header[k];
        if (header[k] == '*' && k + 1 < header.size() && header[k + 1] == '/')
            comment += ' ';
    }
    comment[0] = '/';
    return comment;
}

std::string Function(const ExportItem& item) {
    const std::string name = Identifier(item.name, Reserved());
    const VariableNames names = VariableIdentifiers(*item.program.problem, name, Reserved());
    const Statements statements =
        PrintStatements(*item.program.problem, item.program.nodes, names, kStyle);
    std::string text = "\n";
    text += CComment(item.program) + " */\nfloat " + name + "(float " + names.x + ", float " +
            names.y + ")\n{\n    int qb_failed = 0;\n" + statements.body +
            "    {\n        const float qb_out = (float)" + statements.root +
            ";\n        if (qb_failed || isinf(qb_out))\n            return " +
            Scaled(item.program.scaling, "NAN") + ";\n        return " +
            Scaled(item.program.scaling, "qb_out") + ";\n    }\n}\n";
    return text;
}

} // namespace

std::string CFunctionName(const std::string& name) {
    return Identifier(name, Reserved());
}

std::string ExportC(const std::vector<ExportItem>& items) {
    std::string text =
        "/* Formulas evolved by QUBA for Image Compression. Each function computes what the\n"
        " * program computes: intermediates in long double (the x87 80-bit format of gcc on\n"
        " * x86-64), the values that the program holds as 32-bit floats rounded where it\n"
        " * rounds them, and NAN where its evaluation fails. Compile as ISO C (-std=c99 or\n"
        " * later, which keeps a*b+c from being fused) and link with -lm. */\n";
    text += kRules;
    for (const ExportItem& item : items)
        text += Function(item);
    return text;
}

} // namespace quba
