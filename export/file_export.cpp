// A formula file as code: its pieces, and the grid they redraw together.
#include "export/export.h"

#include "codec/decode.h"
#include "codec/piece.h"
#include "engine/misc.h"

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

std::string CGrid(const std::vector<FilePiece>& pieces, const std::string& outputName,
                  int32_t side) {
    std::string text = "\n/* The whole " + Number(side) + " x " + Number(side) +
                       " grid: the value of cell (row, column), the stages of its block added "
                       "in float. */\nfloat " +
                       CFunctionName(outputName) + "(int row, int column)\n{\n";
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
        text += "        return value;\n    }\n";
    }
    return text + "    return NAN;\n}\n";
}

std::string PythonGrid(const std::vector<FilePiece>& pieces, const std::string& outputName,
                       int32_t side) {
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
           "        out = np.where(inside, value, out)\n"
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
        text += CGrid(pieces, outputName, file.side);
    else if (format == ExportFormat::Python)
        text += PythonGrid(pieces, outputName, file.side);
    return text;
}

} // namespace quba
