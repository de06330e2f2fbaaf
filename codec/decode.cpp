#include "codec/decode.h"

#include "codec/piece.h"
#include "engine/misc.h"

#include <cmath>
#include <memory>
#include <vector>

namespace quba {

namespace {

// The programs of every block's stages, made once; a flat piece has none.
struct BlockPrograms {
    const FileBlock* block = nullptr;
    std::vector<std::unique_ptr<PieceProgram>> stages;
};

std::vector<BlockPrograms> ProgramsOf(const FormulaFile& file) {
    std::vector<BlockPrograms> programs;
    programs.reserve(file.blocks.size());
    for (const FileBlock& block : file.blocks) {
        BlockPrograms own{&block, {}};
        for (const Piece& piece : block.stages)
            own.stages.push_back(
                piece.Flat() ? nullptr
                             : std::make_unique<PieceProgram>(piece, file.functions, block.region));
        programs.push_back(std::move(own));
    }
    return programs;
}

// The stages' values at `cases` added in float in stage order into `sum`;
// `scratch` holds as many floats.
void AddStages(const BlockPrograms& programs, Evaluator& evaluator, const CaseSet& cases,
               float* sum, float* scratch) {
    const auto& stages = programs.block->stages;
    for (size_t s = 0; s < stages.size(); ++s) {
        const Piece& piece = stages[s];
        float* values = s == 0 ? sum : scratch;
        if (piece.Flat()) {
            std::fill(values, values + cases.count, piece.scaling->offset);
        } else {
            programs.stages[s]->RawOutputs(evaluator, cases, values);
            if (piece.scaling)
                for (int32_t k = 0; k < cases.count; ++k)
                    values[k] = Scaled(*piece.scaling, values[k]);
        }
        if (s > 0)
            for (int32_t k = 0; k < cases.count; ++k)
                sum[k] = sum[k] + scratch[k];
    }
}

// Which block holds each cell.
std::vector<int32_t> BlockMap(const FormulaFile& file) {
    std::vector<int32_t> map(static_cast<size_t>(file.side) * static_cast<size_t>(file.side), 0);
    for (size_t b = 0; b < file.blocks.size(); ++b) {
        const Region& region = file.blocks[b].region;
        for (int32_t r = 0; r < region.height; ++r)
            for (int32_t c = 0; c < region.width; ++c)
                map[static_cast<size_t>(region.row + r) * static_cast<size_t>(file.side) +
                    static_cast<size_t>(region.column + c)] = static_cast<int32_t>(b);
    }
    return map;
}

// A pixel centre's position on the grid, in cells.
long double GridPosition(int32_t p, int32_t pixels, int32_t side) {
    return (static_cast<long double>(p) + 0.5L) * side / pixels;
}

// A grid position in a block's own coordinate along one axis.
float BlockCoordinate(long double position, int32_t start, int32_t length) {
    const auto half = static_cast<long double>(length / 2);
    return static_cast<float>((position - start - half) / half);
}

int32_t CellOf(long double position, int32_t side) {
    return std::min(side - 1, static_cast<int32_t>(std::floor(position)));
}

} // namespace

DataGrid DecodeFormulaFile(const FormulaFile& file, FitnessEvaluators& evaluators) {
    DataGrid grid(file.side);
    const std::vector<BlockPrograms> programs = ProgramsOf(file);
    std::vector<std::vector<float>> scratch(static_cast<size_t>(evaluators.Threads()));
    evaluators.ForEachOnThread(
        static_cast<int32_t>(programs.size()), 1, [&](int32_t b, int32_t thread) {
            const Region& region = programs[static_cast<size_t>(b)].block->region;
            const auto count = static_cast<size_t>(region.Cells());
            std::vector<float> xs;
            std::vector<float> ys;
            FillBlockCoordinates(region.width, region.height, xs, ys);
            std::vector<float> sum(count);
            std::vector<float>& own = scratch[static_cast<size_t>(thread)];
            own.resize(std::max(own.size(), count));
            const std::vector<float> targets(count, 0.0f);
            AddStages(programs[static_cast<size_t>(b)], evaluators.ForThread(thread),
                      CaseSet{xs.data(), ys.data(), targets.data(), static_cast<int32_t>(count)},
                      sum.data(), own.data());
            for (int32_t r = 0; r < region.height; ++r)
                std::copy_n(sum.data() + static_cast<size_t>(r) * region.width, region.width,
                            &grid.At(region.row + r, region.column));
        });
    if (file.Layered()) {
        const std::vector<float> layer = file.samples
                                             ? SampleLayer(*file.samples, file.side)
                                             : CosineLayer(*file.cosines, file.side, file.side);
        float* cells = grid.Data();
        for (size_t k = 0; k < layer.size(); ++k)
            cells[k] = file.blocks.empty() ? layer[k] : layer[k] + cells[k];
    }
    return grid;
}

void RenderFormulaFile(const FormulaFile& file, int32_t pixels, FitnessEvaluators& evaluators,
                       const std::function<void(int32_t row, const float* values)>& take) {
    const std::vector<BlockPrograms> programs = ProgramsOf(file);
    const std::vector<int32_t> map = BlockMap(file);
    const int32_t side = file.side;
    const auto count = static_cast<size_t>(pixels);
    std::vector<int32_t> columns(count);
    for (int32_t p = 0; p < pixels; ++p)
        columns[static_cast<size_t>(p)] = CellOf(GridPosition(p, pixels, side), side);
    struct Scratch {
        std::vector<float> xs, ys, targets, values, stage;
    };
    std::vector<Scratch> scratch(static_cast<size_t>(evaluators.Threads()),
                                 Scratch{std::vector<float>(count), std::vector<float>(count),
                                         std::vector<float>(count, 0.0f), std::vector<float>(count),
                                         std::vector<float>(count)});
    std::optional<SampleRows> samples;
    std::optional<CosineRows> cosines;
    if (file.samples)
        samples.emplace(*file.samples, pixels);
    if (file.cosines)
        cosines.emplace(*file.cosines, side, pixels);
    evaluators.ForEachOnThread(pixels, 4, [&](int32_t row, int32_t thread) {
        Scratch& own = scratch[static_cast<size_t>(thread)];
        const long double v = GridPosition(row, pixels, side);
        const int32_t cellRow = CellOf(v, side);
        // Pixels of one block side by side are evaluated together.
        for (int32_t first = 0; first < pixels && !programs.empty();) {
            const int32_t b =
                map[static_cast<size_t>(cellRow) * side + columns[static_cast<size_t>(first)]];
            int32_t end = first + 1;
            while (end < pixels &&
                   map[static_cast<size_t>(cellRow) * side + columns[static_cast<size_t>(end)]] ==
                       b)
                ++end;
            const BlockPrograms& block = programs[static_cast<size_t>(b)];
            const Region& region = block.block->region;
            const int32_t n = end - first;
            for (int32_t k = 0; k < n; ++k) {
                own.xs[static_cast<size_t>(k)] = BlockCoordinate(
                    GridPosition(first + k, pixels, side), region.column, region.width);
                own.ys[static_cast<size_t>(k)] = BlockCoordinate(v, region.row, region.height);
            }
            AddStages(block, evaluators.ForThread(thread),
                      CaseSet{own.xs.data(), own.ys.data(), own.targets.data(), n},
                      own.values.data() + first, own.stage.data());
            first = end;
        }
        if (file.Layered()) {
            if (samples)
                samples->Row(row, own.stage.data());
            else
                cosines->Row(row, own.stage.data());
            for (size_t k = 0; k < count; ++k)
                own.values[k] = programs.empty() ? own.stage[k] : own.stage[k] + own.values[k];
        }
        take(row, own.values.data());
    });
}

std::optional<BestProgram> SingleProgram(const FormulaFile& file, const std::string& outputName) {
    if (file.Layered() || file.blocks.size() != 1 || file.blocks[0].stages.size() != 1)
        return std::nullopt;
    Piece piece = file.blocks[0].stages[0];
    // A flat piece as the program X, which its factor of 0 leaves out.
    if (piece.Flat())
        piece.nodes.push_back({FileNode::Kind::X});
    const PieceProgram program(piece, file.functions, file.blocks[0].region);
    BestProgram best;
    best.problem = program.SharedProblem();
    best.nodes = program.Codes();
    best.scaling = piece.scaling;
    best.text = OutputText(outputName, *best.problem, best.nodes.data(), best.scaling);
    return best;
}

} // namespace quba
