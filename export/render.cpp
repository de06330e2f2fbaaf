#include "export/render.h"

#include <vector>

namespace quba {

namespace {

// The grid coordinate of a pixel centre: pixel p of `pixels` lies at cell
// position u = (p + 0.5) N / pixels, and cell c's centre at u = c + 0.5 has
// the coordinate (c + 0.5 - h) / h of the fitness cases. Both steps are
// exact in extended for a pixel centre on a cell centre.
float Coordinate(int32_t p, int32_t pixels, int32_t side) {
    const auto half = static_cast<float>(side / 2);
    const long double u = (static_cast<long double>(p) + 0.5L) * side / pixels;
    return static_cast<float>((u - half) / half);
}

} // namespace

void RenderRows(const BestProgram& program, int32_t pixels, FitnessEvaluators& evaluators,
                const std::function<void(int32_t row, const float* values)>& take) {
    const Problem& problem = *program.problem;
    const int32_t side = problem.trainingSide;
    const auto count = static_cast<size_t>(pixels);
    std::vector<float> xs(count);
    for (int32_t p = 0; p < pixels; ++p)
        xs[static_cast<size_t>(p)] = Coordinate(p, pixels, side);
    const std::vector<float> targets(count, 0.0f);
    // Each thread's own row of y and of values.
    struct Scratch {
        std::vector<float> ys;
        std::vector<float> values;
    };
    std::vector<Scratch> scratch(static_cast<size_t>(evaluators.Threads()),
                                 Scratch{std::vector<float>(count), std::vector<float>(count)});
    evaluators.ForEachOnThread(pixels, 4, [&](int32_t row, int32_t thread) {
        Scratch& own = scratch[static_cast<size_t>(thread)];
        std::fill(own.ys.begin(), own.ys.end(), Coordinate(row, pixels, side));
        evaluators.ForThread(thread).Outputs(
            problem, program.nodes.data(),
            CaseSet{xs.data(), own.ys.data(), targets.data(), pixels}, own.values.data());
        if (program.scaling)
            for (float& value : own.values)
                value = Scaled(*program.scaling, value);
        take(row, own.values.data());
    });
}

DataGrid TrainingOutput(const BestProgram& program, FitnessEvaluators& evaluators) {
    const Problem& problem = *program.problem;
    DataGrid grid(problem.trainingSide);
    CaseOutputs(evaluators, problem, program.nodes.data(), problem.TrainingCases(), grid.Data(),
                program.scaling);
    return grid;
}

} // namespace quba
