// A formula file as code: its pieces, and the grid they redraw together.
#include "export/export.h"

#include "codec/decode.h"
#include "codec/piece.h"
#include "engine/misc.h"

#include <cstdio>

namespace quba {

namespace {

struct FilePiece {
    ExportItem item;
    const Region* block = nullptr;
};

std::vector<FilePiece> PiecesOf(const FormulaFile& file, const std::string& outputName) {
    std::vector<FilePiece> pieces;
    for (size_t b = 0; b < file.blocks.size(); ++b) {
        const FileBlock& block = file.blocks[b];
        for (size_t s = 0; s < block.stages.size(); ++s) {
            Piece piece = block.stages[s];
            // A flat piece as the program X, which its factor of 0 leaves out.
            if (piece.Flat())
                piece.nodes.push_back({FileNode::Kind::X});
            const PieceProgram program(piece, file.functions, block.region);
            BestProgram best;
            best.problem = program.SharedProblem();
            best.nodes = program.Codes();
            best.scaling = piece.scaling;
            const std::string name =
                outputName + "_b" + std::to_string(b) + "_s" + std::to_string(s + 1);
            best.text = OutputText(name, *best.problem, best.nodes.data(), best.scaling);
            pieces.push_back({{name, std::move(best)}, &block.region});
        }
    }
    return pieces;
}

std::string Number(int32_t value) {
    return std::to_string(value);
}

std::string SampleValues(const SampleGrid& samples, const char* lineStart) {
    std::string text;
    for (int32_t r = 0; r < samples.rows; ++r) {
        text += lineStart;
        for (int32_t c = 0; c < samples.columns; ++c)
            text += Number(samples.values[static_cast<size_t>(r * samples.columns + c)]) + ", ";
        text += "\n";
    }
    return text;
}

std::string SampleCaption(const SampleGrid& samples) {
    return Number(samples.rows) + " x " + Number(samples.columns) +
           " samples q standing for q 2 / " + Number(samples.steps) +
           " - 1, drawn by bicubic interpolation";
}

// The sample grid's layer at a cell, as the decoder draws it: the taps'
// positions and weights, the sums along the rows and then down, in double.
std::string CSampleLayer(const SampleGrid& samples, const std::string& name, int32_t side) {
    const std::string rows = Number(samples.rows);
    const std::string columns = Number(samples.columns);
    return "\n/* The sample grid: " + SampleCaption(samples) + ". */\nstatic const unsigned char " +
           name + "_samples[" + Number(samples.rows * samples.columns) + "] = {\n" +
           SampleValues(samples, "    ") + "};\n\nstatic double " + name +
           "_cubic(double t)\n{\n    t = fabs(t);\n    if (t <= 1)\n        return (1.5 * t - "
           "2.5) * t * t + 1;\n    if (t < 2)\n        return ((-0.5 * t + 2.5) * t - 4) * t + "
           "2;\n    return 0;\n}\n\nstatic void " +
           name +
           "_taps(int p, int samples, int *first, double *w)\n{\n    const double position = (p "
           "+ 0.5) * samples / " +
           Number(side) +
           " - 0.5;\n    const int whole = (int)floor(position);\n    const double fraction = "
           "position - whole;\n    *first = whole - 1;\n    w[0] = " +
           name + "_cubic(fraction + 1);\n    w[1] = " + name +
           "_cubic(fraction);\n    w[2] = " + name + "_cubic(fraction - 1);\n    w[3] = " + name +
           "_cubic(fraction - 2);\n}\n\nstatic int " + name +
           "_clamped(int i, int count)\n{\n    return i < 0 ? 0 : i >= count ? count - 1 : "
           "i;\n}\n\nstatic float " +
           name +
           "_layer(int row, int column)\n{\n    int down, across;\n    double wy[4], wx[4], sum "
           "= 0;\n    " +
           name + "_taps(row, " + rows + ", &down, wy);\n    " + name + "_taps(column, " + columns +
           ", &across, wx);\n    for (int k = 0; k < 4; ++k) {\n        const int r = " + name +
           "_clamped(down + k, " + rows +
           ");\n        double along = 0;\n        for (int j = 0; j < 4; ++j) {\n            "
           "const int c = " +
           name + "_clamped(across + j, " + columns + ");\n            along += wx[j] * (" + name +
           "_samples[r * " + columns + " + c] * 2.0 / " + Number(samples.steps) +
           " - 1);\n        }\n        sum += wy[k] * along;\n    }\n    return (float)(sum < "
           "-1 ? -1 : sum > 1 ? 1 : sum);\n}\n";
}

// Each term as u, v and its coefficient to 17 digits, which read back to
// the same double, in the order the decoder sums them.
std::string CosineValues(const CosineSeries& series, int32_t side, const char* lineStart,
                         const char* open, const char* close) {
    std::string text;
    for (const CosineTerm& term : CosineTerms(series, side)) {
        char coefficient[32];
        std::snprintf(coefficient, sizeof coefficient, "%.17g", term.coefficient);
        text += std::string(lineStart) + open + Number(term.u) + ", " + Number(term.v) + ", " +
                coefficient + close + ",\n";
    }
    return text;
}

std::string CosineCaption(const CosineSeries& series, int32_t side) {
    return Number(series.Terms()) + " terms (u, v, coefficient) of the " + Number(side) + " x " +
           Number(side) + " grid's orthonormal cosine transform";
}

// The series at a cell, as the decoder sums it: each row frequency's terms
// along the column, then those sums down the row, in double.
std::string CCosineLayer(const CosineSeries& series, const std::string& name, int32_t side) {
    const std::string n = Number(side);
    const std::string header = "\n/* The cosine series: " + CosineCaption(series, side) + ". */\n";
    if (series.Terms() == 0)
        return header + "static float " + name +
               "_layer(int row, int column)\n{\n    (void)row;\n    (void)column;\n    return "
               "0;\n}\n";
    return header + "static const struct {\n    int u, v;\n    double coefficient;\n} " + name +
           "_terms[" + Number(series.Terms()) + "] = {\n" +
           CosineValues(series, side, "    ", "{", "}") + "};\n\nstatic double " + name +
           "_basis(int k, int p)\n{\n    return (k == 0 ? sqrt(1.0 / " + n + ") : sqrt(2.0 / " + n +
           ")) * cos(3.141592653589793 * k * (2 * p + 1) / (2.0 * " + n +
           "));\n}\n\nstatic float " + name +
           "_layer(int row, int column)\n{\n    const int count = " + Number(series.Terms()) +
           ";\n    double sum = 0, along = 0;\n    for (int t = 0; t < count; ++t) {\n        "
           "along += " +
           name + "_terms[t].coefficient * " + name + "_basis(" + name +
           "_terms[t].v, column);\n        if (t + 1 == count || " + name +
           "_terms[t + 1].u != " + name + "_terms[t].u) {\n            sum += " + name + "_basis(" +
           name +
           "_terms[t].u, row) * along;\n            along = 0;\n        }\n    }\n    return "
           "(float)(sum < -1 ? -1 : sum > 1 ? 1 : sum);\n}\n";
}

std::string CLayer(const FormulaFile& file, const std::string& name) {
    return file.samples ? CSampleLayer(*file.samples, name, file.side)
                        : CCosineLayer(*file.cosines, name, file.side);
}

std::string LayerWords(const FormulaFile& file) {
    return file.samples ? "the sample grid's layer" : "the cosine series";
}

std::string CGrid(const std::vector<FilePiece>& pieces, const std::string& outputName,
                  const FormulaFile& file) {
    const int32_t side = file.side;
    const std::string layer = CFunctionName(outputName) + "_layer";
    std::string text = "\n/* The whole " + Number(side) + " x " + Number(side) +
                       " grid: the value of cell (row, column), the stages of its block added "
                       "in float" +
                       (file.Layered() ? ", then added to " + LayerWords(file) : "") +
                       ". */\nfloat " + CFunctionName(outputName) + "(int row, int column)\n{\n";
    if (file.Layered()) {
        text = CLayer(file, CFunctionName(outputName)) + text;
        if (pieces.empty())
            return text + "    return " + layer + "(row, column);\n}\n";
    }
    const std::string result =
        file.Layered() ? layer + "(row, column) + value" : std::string("value");
    for (size_t k = 0; k < pieces.size();) {
        const Region& r = *pieces[k].block;
        text += "    if (row >= " + Number(r.row) + " && row < " + Number(r.row + r.height) +
                " && column >= " + Number(r.column) + " && column < " + Number(r.column + r.width) +
                ") {\n        const float x = (float)(((long double)(column - " + Number(r.column) +
                ") - " + Number(r.width / 2) + " + 0.5L) / " + Number(r.width / 2) +
                ");\n        const float y = (float)(((long double)(row - " + Number(r.row) +
                ") - " + Number(r.height / 2) + " + 0.5L) / " + Number(r.height / 2) +
                ");\n        float value = " + CFunctionName(pieces[k].item.name) + "(x, y);\n";
        for (++k; k < pieces.size() && pieces[k].block == &r; ++k)
            text += "        value = value + " + CFunctionName(pieces[k].item.name) + "(x, y);\n";
        text += "        return " + result + ";\n    }\n";
    }
    return text + "    return NAN;\n}\n";
}

std::string PythonSampleLayer(const SampleGrid& samples, const std::string& name, int32_t side) {
    return "\n\n# The sample grid: " + SampleCaption(samples) + ".\n_" + name +
           "_samples = np.array([\n" + SampleValues(samples, "    ") +
           "], dtype=np.int64).reshape(" + Number(samples.rows) + ", " + Number(samples.columns) +
           ")\n\n\ndef _" + name +
           "_cubic(t):\n    t = np.abs(t)\n    return np.where(t <= 1, (1.5 * t - 2.5) * t * t + "
           "1,\n                    np.where(t < 2, ((-0.5 * t + 2.5) * t - 4) * t + 2, "
           "0.0))\n\n\ndef _" +
           name + "_taps(p, samples):\n    position = (p + 0.5) * samples / " + Number(side) +
           " - 0.5\n    whole = np.floor(position).astype(np.int64)\n    fraction = position - "
           "whole\n    weights = [_" +
           name + "_cubic(fraction + 1), _" + name + "_cubic(fraction), _" + name +
           "_cubic(fraction - 1), _" + name +
           "_cubic(fraction - 2)]\n    return whole - 1, weights\n\n\ndef _" + name +
           "_layer(row, column):\n    rows, columns = _" + name +
           "_samples.shape\n    down, wy = _" + name + "_taps(row, rows)\n    across, wx = _" +
           name +
           "_taps(column, columns)\n    total = np.zeros(np.broadcast(row, column).shape)\n    "
           "for k in range(4):\n        r = np.clip(down + k, 0, rows - 1)\n        along = "
           "np.zeros_like(total)\n        for j in range(4):\n            c = np.clip(across + "
           "j, 0, columns - 1)\n            along = along + wx[j] * (_" +
           name + "_samples[r, c] * 2.0 / " + Number(samples.steps) +
           " - 1)\n        total = total + wy[k] * along\n    return np.clip(total, -1, "
           "1).astype(np.float32)\n";
}

std::string PythonCosineLayer(const CosineSeries& series, const std::string& name, int32_t side) {
    const std::string n = Number(side);
    // math's cosine is the C library's, which the decoder calls too; NumPy's may differ.
    return "\n\nimport math  # noqa: E402\n\n# The cosine series: " + CosineCaption(series, side) +
           ".\n_" + name + "_terms = [\n" + CosineValues(series, side, "    ", "(", ")") +
           "]\n\n\ndef _" + name + "_basis(k, p):\n    scale = math.sqrt(1.0 / " + n +
           ") if k == 0 else math.sqrt(2.0 / " + n +
           ")\n    return np.array([scale * math.cos(math.pi * k * (2 * q + 1) / (2.0 * " + n +
           ")) for q in range(" + n + ")])[p]\n\n\ndef _" + name +
           "_layer(row, column):\n    total = np.zeros(np.broadcast(row, column).shape)\n    "
           "along = np.zeros_like(total)\n    for t, (u, v, coefficient) in enumerate(_" +
           name + "_terms):\n        along = along + coefficient * _" + name +
           "_basis(v, column)\n        if t + 1 == len(_" + name + "_terms) or _" + name +
           "_terms[t + 1][0] != u:\n            total = total + _" + name +
           "_basis(u, row) * along\n            along = np.zeros_like(total)\n    return "
           "np.clip(total, -1, 1).astype(np.float32)\n";
}

std::string PythonLayer(const FormulaFile& file, const std::string& name) {
    return file.samples ? PythonSampleLayer(*file.samples, name, file.side)
                        : PythonCosineLayer(*file.cosines, name, file.side);
}

std::string PythonGrid(const std::vector<FilePiece>& pieces, const std::string& outputName,
                       const FormulaFile& file) {
    const int32_t side = file.side;
    std::string blocks;
    for (size_t k = 0; k < pieces.size();) {
        const Region& r = *pieces[k].block;
        blocks += "    (" + Number(r.row) + ", " + Number(r.column) + ", " + Number(r.height) +
                  ", " + Number(r.width) + ", (";
        for (; k < pieces.size() && pieces[k].block == &r; ++k)
            blocks += PythonFunctionName(pieces[k].item.name) + ", ";
        blocks += ")),\n";
    }
    const std::string name = PythonFunctionName(outputName);
    return "\n\n_" + name + "_blocks = [\n" + blocks + "]\n\n\ndef " + name +
           "(row, column):\n"
           "    \"\"\"The whole " +
           Number(side) + " x " + Number(side) +
           " grid: the value of cell (row, column), integers or arrays of\n"
           "    them, the stages of its block added in float32.\"\"\"\n"
           "    row = np.asarray(row, dtype=np.int64)\n"
           "    column = np.asarray(column, dtype=np.int64)\n"
           "    out = np.full(np.broadcast(row, column).shape, np.nan, dtype=np.float32)\n"
           "    for top, left, height, width, stages in _" +
           name +
           "_blocks:\n"
           "        inside = (row >= top) & (row < top + height) & (column >= left) & (column < "
           "left + width)\n"
           "        x = (((column - left) - width // 2 + 0.5) / (width // 2)).astype(np.float32)\n"
           "        y = (((row - top) - height // 2 + 0.5) / (height // 2)).astype(np.float32)\n"
           "        value = np.zeros(np.shape(inside), dtype=np.float32)\n"
           "        for stage in stages:\n"
           "            value = value + np.asarray(stage(x, y), dtype=np.float32)\n"
           "        out = np.where(inside, value, out)\n" +
           (!file.Layered()  ? ""
            : pieces.empty() ? "    out = _" + name + "_layer(row, column)\n"
                             : "    out = _" + name + "_layer(row, column) + out\n") +
           "    return out[()]\n";
}

} // namespace

std::string ExportFileText(ExportFormat format, const FormulaFile& file,
                           const std::string& outputName) {
    if (const std::optional<BestProgram> single = SingleProgram(file, outputName))
        return ExportText(format, {{outputName, *single}});
    const std::vector<FilePiece> pieces = PiecesOf(file, outputName);
    std::vector<ExportItem> items;
    for (const FilePiece& piece : pieces)
        items.push_back(piece.item);
    std::string text = ExportText(format, items);
    if (format == ExportFormat::C)
        return text + CGrid(pieces, outputName, file);
    if (format == ExportFormat::Python)
        return text +
               (file.Layered() ? PythonLayer(file, PythonFunctionName(outputName))
                               : std::string()) +
               PythonGrid(pieces, outputName, file);
    // The other formats hold the formulas; the samples go along as a comment.
    if (file.samples)
        text += std::string(format == ExportFormat::Latex ? "%" : "//") + " Sample grid, " +
                SampleCaption(*file.samples) + " under the formulas:\n" +
                SampleValues(*file.samples, format == ExportFormat::Latex ? "% " : "// ");
    if (file.cosines)
        text += std::string(format == ExportFormat::Latex ? "%" : "//") + " Cosine series, " +
                CosineCaption(*file.cosines, file.side) + " under the formulas:\n" +
                CosineValues(*file.cosines, file.side, format == ExportFormat::Latex ? "% " : "// ",
                             "(", ")");
    return text;
}

} // namespace quba
