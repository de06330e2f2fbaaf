#include "export/figures.h"

#include "codec/program_file.h"

#include <cmath>
#include <limits>

namespace quba {

int64_t FormulaBytes(const BestProgram& program) {
    return ProgramFileBytes(*program.problem, program.nodes.data(),
                            static_cast<int32_t>(program.nodes.size()), program.scaling);
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
