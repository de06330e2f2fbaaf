#include "codec/program_file.h"

#include "codec/piece.h"

namespace quba {

namespace {

FormulaFile OneBlockFile(Piece piece, int32_t side, PictureFit fit) {
    FormulaFile file;
    file.side = side;
    file.fit = fit;
    file.scaled = piece.scaling.has_value();
    file.functions = FunctionsOf(piece);
    file.blocks.push_back({{0, 0, side, side}, {std::move(piece)}});
    return file;
}

} // namespace

FormulaFile ExactFormulaFile(const BestProgram& program, int32_t side, PictureFit fit) {
    return OneBlockFile(PieceOf(program), side, fit);
}

int64_t ProgramFileBytes(const Problem& problem, const int32_t* nodes, int32_t length,
                         const std::optional<Scaling>& scaling) {
    // The grid's size and fit take the same bits whatever they are.
    const FormulaFile file =
        OneBlockFile(PieceOf(problem, nodes, length, scaling), 2, PictureFit::Crop);
    return FormulaFileBytes(file);
}

} // namespace quba
