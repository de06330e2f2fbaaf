// Python with NumPy: each function works on scalars and on whole arrays, in
// float64 with the values the program holds as 32-bit floats rounded to them.
#include "export/export.h"

#include "engine/primitives.h"
#include "export/printing.h"

namespace quba {

namespace {

const std::set<std::string, std::less<>>& Reserved() {
    static const std::set<std::string, std::less<>> words = {
        "False",   "None",     "True",     "and",    "as",    "assert", "async",  "await",
        "break",   "class",    "continue", "def",    "del",   "elif",   "else",   "except",
        "finally", "for",      "from",     "global", "if",    "import", "in",     "is",
        "lambda",  "nonlocal", "not",      "or",     "pass",  "raise",  "return", "try",
        "while",   "with",     "yield",    "np",     "numpy", "e",      "out"};
    return words;
}

constexpr const char* kRules = R"(import numpy as np


class _QbEvaluation:
    """The program's rules on arrays of cases, noting where an evaluation fails:
    a failed case gives a not-a-number whatever the rest of the program does."""

    def __init__(self, shape):
        self.failed = np.zeros(shape, dtype=bool)

    def _fail(self, where):
        self.failed = self.failed | where

    def held(self, v):
        """A value held as a 32-bit float; beyond its range the evaluation fails."""
        f = np.asarray(v, dtype=np.float64).astype(np.float32).astype(np.float64)
        self._fail(np.isinf(f))
        return f

    def checked(self, r):
        """+ - * overflowing to infinity fail."""
        self._fail(np.isinf(r))
        return r

    def div(self, a, b):
        """1 for a zero divisor; a not-a-number divisor fails."""
        self._fail(np.isnan(b))
        zero = b == 0
        return np.where(zero, 1.0, a / np.where(zero, 1.0, b))

    def trig(self, f, x):
        """A not-a-number from a magnitude of 2**52 on; beyond the double range fails."""
        self._fail(np.isinf(x))
        return np.where(np.abs(x) >= 2.0**52, np.nan, f(x))

    def magnitude(self, f, x):
        """Of the magnitude of the integer part's low 32 bits; 0 for 0. A
        not-a-number or a magnitude of 2**63 or more fails."""
        valid = np.abs(x) < 2.0**63
        self._fail(~valid)
        t = np.where(valid, np.trunc(x), 0).astype(np.int64)
        low = t & 0xFFFFFFFF
        low = np.where(low >= 2**31, low - 2**32, low)
        m = np.abs(low).astype(np.float64)
        value = np.where(m == 0, 0.0, f(np.where(m == 0, 1.0, m)))
        return np.where(valid, value, np.nan)

    def when(self, less, a, b, c, d):
        """c held as a float when the comparison holds, else d. A not-a-number
        compared fails; c beyond the float range fails when taken."""
        self._fail(np.isnan(a) | np.isnan(b))
        holds = a < b if less else a > b
        taken = np.asarray(c, dtype=np.float64).astype(np.float32).astype(np.float64)
        self._fail(holds & np.isinf(taken))
        return np.where(holds, taken, d)

    def output(self, v):
        """The value as a 32-bit float, a not-a-number where the evaluation failed."""
        f = np.asarray(v, dtype=np.float64).astype(np.float32).astype(np.float64)
        return np.where(self.failed | np.isinf(f), np.nan, f)
)";

std::string Call(const Primitive& primitive, const std::vector<std::string>& args) {
    switch (primitive.rule) {
    case ValueRule::Arithmetic:
        return "e.checked(e.held(" + args[0] + ") " + primitive.symbol + " " + args[1] + ")";
    case ValueRule::Divide:
        return "e.div(e.held(" + args[0] + "), e.held(" + args[1] + "))";
    case ValueRule::Trigonometric:
        return std::string("e.trig(np.") + primitive.name + ", " + args[0] + ")";
    case ValueRule::IntegerMagnitude:
        return std::string("e.magnitude(np.") +
               (primitive.id == PrimitiveId::Ln ? "log" : primitive.name) + ", " + args[0] + ")";
    case ValueRule::Conditional:
        break;
    }
    return std::string("e.when(") + (primitive.symbol == '<' ? "True" : "False") + ", e.held(" +
           args[0] + "), " + args[1] + ", " + args[2] + ", " + args[3] + ")";
}

const StatementStyle kStyle{[](float value) { return DoubleLiteral(value); }, Call, "_qb_t",
                            "        ", "\n"};

// With a linear scaling, the output made a + b f (a alone where b is 0).
std::string Scaling(const std::optional<quba::Scaling>& scaling) {
    if (!scaling)
        return {};
    const std::string offset = DoubleLiteral(scaling->offset);
    if (scaling->factor == 0)
        return "    out = np.full(np.shape(out), " + offset + ")\n";
    return "    out = " + offset + " + " + DoubleLiteral(scaling->factor) + " * out\n";
}

std::string Function(const ExportItem& item) {
    const std::string name = Identifier(item.name, Reserved());
    const VariableNames names = VariableIdentifiers(*item.program.problem, name, Reserved());
    const Statements statements =
        PrintStatements(*item.program.problem, item.program.nodes, names, kStyle);
    const std::string shape = "np.broadcast(" + names.x + ", " + names.y + ").shape";
    std::string text = "\n\n";
    text += HeaderComment("#", item.program) + "def " + name + "(" + names.x + ", " + names.y +
            "):\n    " + names.x + " = np.asarray(" + names.x + ", dtype=np.float64)\n    " +
            names.y + " = np.asarray(" + names.y + ", dtype=np.float64)\n    e = _QbEvaluation(" +
            shape + ")\n    with np.errstate(all=\"ignore\"):\n" + statements.body +
            "        out = e.output(np.broadcast_to(" + statements.root + ", " + shape + "))\n" +
            Scaling(item.program.scaling) + "    return out[()]\n";
    return text;
}

} // namespace

std::string PythonFunctionName(const std::string& name) {
    return Identifier(name, Reserved());
}

std::string ExportPython(const std::vector<ExportItem>& items) {
    std::string text =
        "# Formulas evolved by QUBA for Image Compression, for NumPy: each function\n"
        "# takes numbers or arrays and computes in float64, holding as 32-bit floats\n"
        "# the values that the program holds so. Close to the program's own output,\n"
        "# not bit for bit: the program computes in 80-bit extended precision. A\n"
        "# failed evaluation gives a not-a-number.\n";
    text += kRules;
    for (const ExportItem& item : items)
        text += Function(item);
    return text;
}

} // namespace quba
