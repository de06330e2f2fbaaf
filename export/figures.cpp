#include "export/figures.h"

#include <cmath>
#include <limits>
#include <set>

namespace quba {

int64_t FormulaBytes(const Problem& problem, const std::vector<int32_t>& nodes) {
    const int32_t firstConstant = problem.functionCount + problem.variableCount;
    std::set<int32_t> constants;
    for (int32_t code : nodes)
        if (code >= firstConstant)
            constants.insert(code);
    const auto symbols = static_cast<uint64_t>(firstConstant) + constants.size();
    int64_t bitsPerNode = 0;
    while ((uint64_t{1} << bitsPerNode) < symbols)
        ++bitsPerNode;
    const int64_t bits = static_cast<int64_t>(nodes.size()) * bitsPerNode +
                         32 * static_cast<int64_t>(constants.size());
    return (bits + 7) / 8;
}

int64_t FormulaBytes(const BestProgram& program) {
    const int64_t scaling = program.scaling ? 2 * sizeof(float) : 0;
    return FormulaBytes(*program.problem, program.nodes) + scaling;
}

int64_t RawBytes(int32_t side) {
    return int64_t{side} * side;
}

double Psnr(float meanSquaredError) {
    if (meanSquaredError == 0)
        return std::numeric_limits<double>::infinity();
    return 10.0 * std::log10(4.0 / static_cast<double>(meanSquaredError));
}

FormulaFigures FiguresOf(const BestProgram& program) {
    FormulaFigures figures;
    figures.formulaBytes = FormulaBytes(program);
    figures.rawBytes = RawBytes(program.problem->trainingSide);
    figures.compressionRatio =
        static_cast<double>(figures.rawBytes) / static_cast<double>(figures.formulaBytes);
    figures.psnr = Psnr(program.trainingFitness);
    figures.validationPsnr = Psnr(program.validationFitness);
    return figures;
}

} // namespace quba
