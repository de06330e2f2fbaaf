#include "codec/compress.h"

#include "codec/block_search.h"
#include "codec/decode.h"
#include "codec/piece.h"
#include "codec/rate_allocation.h"
#include "engine/evaluator_factory.h"
#include "engine/fitness.h"
#include "engine/functions.h"
#include "engine/worker_pool.h"

#include <atomic>
#include <cmath>
#include <limits>

namespace quba {

namespace {

constexpr int32_t kCoarsestPrecision = 1;
constexpr int32_t kFinestTriedPrecision = 12;
constexpr int32_t kLambdaSteps = 48;

// A block's candidates, stage by stage, and the most accurate of each stage
// but the last, on whose remainder the next stage was evolved.
struct BlockCandidates {
    Region region;
    std::vector<float> targets;
    std::vector<std::vector<Piece>> stages;
    std::vector<Piece> anchors;
};

// One way to code a block at a precision: its stages, quantised, and the
// squared error of their sum.
struct CodedOption {
    std::vector<Piece> stages;
    double error = 0;
};

struct BlockOptions {
    std::vector<CodedOption> options;
    int64_t predicted = 0; // its first offset's prediction, from the grid's cells
};

// Per-thread exact evaluators: the file is measured as the decoder decodes it.
class ExactEvaluators {
public:
    explicit ExactEvaluators(int32_t threads) {
        for (int32_t t = 0; t < threads; ++t)
            evaluators_.push_back(MakeEvaluator(EvaluatorKind::Batch));
    }
    Evaluator& operator[](int32_t thread) { return *evaluators_[static_cast<size_t>(thread)]; }

private:
    std::vector<std::unique_ptr<Evaluator>> evaluators_;
};

std::vector<float> Subtracted(const std::vector<float>& from, const std::vector<float>& values) {
    std::vector<float> rest(from.size());
    for (size_t k = 0; k < from.size(); ++k)
        rest[k] = from[k] - values[k];
    return rest;
}

void AddInto(std::vector<float>& sum, const std::vector<float>& values) {
    for (size_t k = 0; k < sum.size(); ++k)
        sum[k] = sum[k] + values[k];
}

// The candidate that fits `targets` best with exact constants, fitted.
std::optional<Piece> MostAccurate(const std::vector<Piece>& candidates,
                                  const std::array<bool, kFunctionCount>& functions,
                                  const Region& region, const std::vector<float>& targets,
                                  Evaluator& evaluator, std::vector<float>& outputs) {
    std::optional<Piece> best;
    double bestError = std::numeric_limits<double>::infinity();
    std::vector<float> out(targets.size());
    for (const Piece& candidate : candidates) {
        const std::optional<Piece> fitted =
            QuantisedPiece(candidate, functions, region, targets.data(), ConstantCoding::kExact,
                           evaluator, out.data());
        if (!fitted)
            continue;
        const double error = SquaredError(out.data(), targets.data(), region.Cells());
        if (error < bestError) {
            bestError = error;
            best = fitted;
            outputs = out;
        }
    }
    return best;
}

class Compressor {
public:
    Compressor(const CompressionJob& job, const CodecSettings& codec)
        : job_(job), codec_(codec), grid_(*job.grid), side_(grid_.Size()),
          threads_(WorkerThreads(job.settings.evaluation)), pool_(threads_), exact_(threads_),
          tree_(QuadTree(side_, codec.tiles ? codec.minBlock : 0)) {
        header_.side = side_;
        header_.fit = job.fit;
        header_.functions = job.settings.problem.functionChecked;
        header_.scaled = job.settings.search.linearScaling;
        header_.minBlock = codec.tiles ? codec.minBlock : 0;
        header_.stageLimit = codec.stages;
    }

    Outcome<Compression> Run() {
        if (!SearchBlocks())
            return Outcome<Compression>::Refused(
                "the run was ended before every block was evolved");
        std::optional<Trial> best;
        for (int32_t precision : Precisions()) {
            const std::vector<BlockOptions> options = OptionsAt(precision);
            std::optional<Trial> trial = BestCoding(options, precision);
            if (trial && (!best || Better(*trial, *best)))
                best = std::move(trial);
        }
        if (!best)
            return Outcome<Compression>::Refused("no formula of the grid can be coded");
        return {Finish(std::move(*best)), {}};
    }

private:
    struct Trial {
        FormulaFile file;
        int64_t bytes = 0;
        double error = 0;
        bool reached = false;
    };

    [[nodiscard]] std::vector<int32_t> Precisions() const {
        std::vector<int32_t> precisions;
        for (int32_t p = kCoarsestPrecision; p <= kFinestTriedPrecision; ++p)
            precisions.push_back(p);
        precisions.push_back(ConstantCoding::kExact);
        return precisions;
    }

    // Evolves every block's stages, blocks spread over the threads.
    bool SearchBlocks() {
        ProblemValues values = job_.settings.problem;
        values.training = DataGrid();
        values.validation = DataGrid();
        const std::unique_ptr<Problem> base = BuildProblem(values, BuildFunctionTable());
        blocks_.resize(tree_.size());
        std::atomic<int32_t> done = 0;
        const auto total = static_cast<int32_t>(tree_.size());
        pool_.ForEach(total, 1, [&](int32_t n, int32_t thread) {
            blocks_[static_cast<size_t>(n)] = SearchBlock(*base, n, exact_[thread]);
            ++done;
            if (thread == 0)
                job_.progress(done.load(), total);
        });
        job_.progress(total, total);
        return job_.keepGoing();
    }

    BlockCandidates SearchBlock(const Problem& base, int32_t n, Evaluator& evaluator) {
        BlockCandidates block;
        block.region = tree_[static_cast<size_t>(n)].region;
        block.targets = BlockCells(grid_.Data(), side_, block.region);
        std::vector<float> rest = block.targets;
        for (int32_t s = 0; s < codec_.stages; ++s) {
            if (n == 0 && s == 0)
                block.stages.push_back(CandidatePieces(job_.runPrograms, header_.scaled));
            else
                block.stages.push_back(EvolveBlock(base, job_.settings, block.region, side_, rest,
                                                   BlockSeed(job_.seed, n, s), job_.keepGoing));
            if (s + 1 == codec_.stages)
                break;
            std::vector<float> outputs;
            std::optional<Piece> anchor = MostAccurate(block.stages.back(), header_.functions,
                                                       block.region, rest, evaluator, outputs);
            if (!anchor)
                break;
            block.anchors.push_back(std::move(*anchor));
            rest = Subtracted(rest, outputs);
        }
        return block;
    }

    // Every block's options with its constants quantised at `precision`.
    std::vector<BlockOptions> OptionsAt(int32_t precision) {
        std::vector<BlockOptions> options(blocks_.size());
        pool_.ForEach(static_cast<int32_t>(blocks_.size()), 1, [&](int32_t n, int32_t thread) {
            options[static_cast<size_t>(n)] =
                BlockOptionsAt(blocks_[static_cast<size_t>(n)], precision, exact_[thread]);
        });
        return options;
    }

    BlockOptions BlockOptionsAt(const BlockCandidates& block, int32_t precision,
                                Evaluator& evaluator) const {
        BlockOptions own;
        own.predicted = PredictedFromGrid(block.region, precision);
        const auto count = block.targets.size();
        std::vector<float> sum;
        std::vector<float> rest = block.targets;
        std::vector<float> out(count);
        std::vector<Piece> anchors;
        for (size_t s = 0; s < block.stages.size(); ++s) {
            for (const Piece& candidate : block.stages[s]) {
                std::optional<Piece> coded =
                    QuantisedPiece(candidate, header_.functions, block.region, rest.data(),
                                   precision, evaluator, out.data());
                if (!coded)
                    continue;
                if (s > 0)
                    AddInto(out, sum);
                const double error =
                    SquaredError(out.data(), block.targets.data(), block.region.Cells());
                if (!std::isfinite(error))
                    continue;
                CodedOption option{anchors, error};
                option.stages.push_back(std::move(*coded));
                own.options.push_back(std::move(option));
            }
            if (s >= block.anchors.size())
                break;
            std::optional<Piece> anchor =
                QuantisedPiece(block.anchors[s], header_.functions, block.region, rest.data(),
                               precision, evaluator, out.data());
            if (!anchor)
                break;
            if (s == 0)
                sum = out;
            else
                AddInto(sum, out);
            rest = Subtracted(block.targets, sum);
            anchors.push_back(std::move(*anchor));
        }
        return own;
    }

    // A first offset's likely prediction: the mean of the grid's cells
    // above and to the left, in quanta.
    [[nodiscard]] int64_t PredictedFromGrid(const Region& region, int32_t precision) const {
        if (precision == ConstantCoding::kExact)
            return 0;
        double sum = 0;
        int64_t count = 0;
        for (int32_t c = 0; region.row > 0 && c < region.width; ++c, ++count)
            sum += grid_.At(region.row - 1, region.column + c);
        for (int32_t r = 0; region.column > 0 && r < region.height; ++r, ++count)
            sum += grid_.At(region.row + r, region.column - 1);
        return count == 0 ? 0
                          : std::llround(std::ldexp(sum / static_cast<double>(count), precision));
    }

    [[nodiscard]] int64_t OptionBits(const FormulaFile& header, const CodedOption& option,
                                     int64_t predicted) const {
        const auto count = static_cast<int64_t>(option.stages.size());
        int64_t bits = header.stageLimit > 1 ? count - 1 + (count < header.stageLimit ? 1 : 0) : 0;
        for (size_t s = 0; s < option.stages.size(); ++s)
            bits += PieceBits(header, option.stages[s],
                              s == 0 ? std::optional<int64_t>(predicted) : std::nullopt);
        return bits;
    }

    [[nodiscard]] std::vector<std::vector<RateOption>>
    RateOptions(const FormulaFile& header, const std::vector<BlockOptions>& options) const {
        std::vector<std::vector<RateOption>> rates(options.size());
        for (size_t n = 0; n < options.size(); ++n)
            for (const CodedOption& option : options[n].options)
                rates[n].push_back(
                    {OptionBits(header, option, options[n].predicted), option.error});
        return rates;
    }

    [[nodiscard]] Trial Build(const FormulaFile& header, const std::vector<BlockOptions>& options,
                              const Allocation& allocation) const {
        Trial trial;
        trial.file = header;
        for (size_t k = 0; k < allocation.leaves.size(); ++k) {
            const auto n = static_cast<size_t>(allocation.leaves[k]);
            const CodedOption& option =
                options[n].options[static_cast<size_t>(allocation.choices[k])];
            trial.file.blocks.push_back({tree_[n].region, option.stages});
        }
        // Only the functions the chosen programs use number the node codes.
        std::array<bool, kFunctionCount> used{};
        for (const FileBlock& block : trial.file.blocks)
            for (const Piece& piece : block.stages) {
                const auto own = FunctionsOf(piece);
                for (size_t f = 0; f < used.size(); ++f)
                    used[f] = used[f] || own[f];
            }
        trial.file.functions = used;
        trial.bytes =
            static_cast<int64_t>(kFormulaMagic.size()) + (FileBits(trial.file) + 7) / 8 + 4;
        trial.error = allocation.error;
        return trial;
    }

    [[nodiscard]] bool Reached(const Trial& trial) const {
        if (codec_.budget)
            return trial.bytes <= *codec_.budget;
        return trial.error <= LargestError();
    }

    [[nodiscard]] double LargestError() const {
        return 4.0 * static_cast<double>(side_) * side_ / std::pow(10.0, *codec_.targetPsnr / 10);
    }

    // Within the budget the smaller error wins, at a target the smaller
    // file; one that misses loses to one that does not, and among misses
    // the nearer wins.
    [[nodiscard]] bool Better(const Trial& a, const Trial& b) const {
        if (a.reached != b.reached)
            return a.reached;
        if (codec_.budget)
            return a.reached ? a.error < b.error : a.bytes < b.bytes;
        return a.reached ? a.bytes < b.bytes || (a.bytes == b.bytes && a.error < b.error)
                         : a.error < b.error;
    }

    // The best file at one trade-off after another: lambda is swept by
    // bisection on its logarithm, its direction set by whether the file
    // reached what was asked.
    std::optional<Trial> Sweep(const FormulaFile& header,
                               const std::vector<BlockOptions>& options) const {
        const std::vector<std::vector<RateOption>> rates = RateOptions(header, options);
        double low = std::log(1e-12);
        double high = std::log(16.0 * side_ * side_);
        std::optional<Trial> best;
        for (int32_t step = 0; step < kLambdaSteps; ++step) {
            const double middle = (low + high) / 2;
            const Allocation allocation = Allocate(tree_, rates, std::exp(middle));
            if (!std::isfinite(allocation.error))
                return best;
            Trial trial = Build(header, options, allocation);
            trial.reached = Reached(trial);
            // Within the budget: more bits may fit; at the target: fewer may do.
            if (trial.reached == codec_.budget.has_value())
                high = middle;
            else
                low = middle;
            if (!best || Better(trial, *best))
                best = std::move(trial);
        }
        return best;
    }

    // The best file at a precision, its exp-Golomb orders fitted to what it codes.
    std::optional<Trial> BestCoding(const std::vector<BlockOptions>& options,
                                    int32_t precision) const {
        FormulaFile header = header_;
        header.coding.precision = precision;
        if (precision != ConstantCoding::kExact) {
            header.coding.offsetOrder = std::max(0, precision - 3);
            header.coding.valueOrder = std::max(0, precision - 2);
        }
        std::optional<Trial> best;
        for (int32_t round = 0; round < 2; ++round) {
            std::optional<Trial> trial = Sweep(header, options);
            if (!trial)
                break;
            if (!best || Better(*trial, *best))
                best = trial;
            if (precision == ConstantCoding::kExact || !FitOrders(trial->file, header.coding))
                break;
        }
        return best;
    }

    // The orders that code this file's values in the fewest bits; false when
    // they are the ones it has.
    static bool FitOrders(FormulaFile file, ConstantCoding& coding) {
        const ConstantCoding before = file.coding;
        for (int32_t* order : {&file.coding.offsetOrder, &file.coding.valueOrder}) {
            int32_t bestOrder = *order;
            int64_t fewest = FileBits(file);
            for (int32_t k = 0; k <= ConstantCoding::kLongestOrder; ++k) {
                *order = k;
                const int64_t bits = FileBits(file);
                if (bits < fewest) {
                    fewest = bits;
                    bestOrder = k;
                }
            }
            *order = bestOrder;
        }
        coding.offsetOrder = file.coding.offsetOrder;
        coding.valueOrder = file.coding.valueOrder;
        return !(file.coding == before);
    }

    Compression Finish(Trial trial) {
        // Orders fitted to the file itself, then the file measured as decoded.
        if (!trial.file.coding.Exact())
            FitOrders(trial.file, trial.file.coding);
        Compression result;
        result.bytes = WriteFormulaFile(trial.file);
        FitnessEvaluators evaluators(EvaluationOptions{EvaluatorKind::Batch, threads_});
        result.decoded = DecodeFormulaFile(trial.file, evaluators);
        result.psnr = GridPsnr(result.decoded, grid_);
        result.file = std::move(trial.file);
        result.reached = codec_.budget ? static_cast<int64_t>(result.bytes.size()) <= *codec_.budget
                                       : result.psnr >= *codec_.targetPsnr;
        return result;
    }

    const CompressionJob& job_;
    const CodecSettings& codec_;
    const DataGrid& grid_;
    int32_t side_;
    int32_t threads_;
    WorkerPool pool_;
    ExactEvaluators exact_;
    std::vector<QuadNode> tree_;
    FormulaFile header_;
    std::vector<BlockCandidates> blocks_;
};

} // namespace

int64_t SmallestFormulaFile(const FormulaFile& header) {
    FormulaFile empty = header;
    empty.blocks.clear();
    return static_cast<int64_t>(WriteFormulaFile(empty).size());
}

Outcome<Compression> Compress(const CompressionJob& job, const CodecSettings& codec) {
    return Compressor(job, codec).Run();
}

double GridPsnr(const DataGrid& decoded, const DataGrid& grid) {
    const double error =
        SquaredError(decoded.Data(), grid.Data(), static_cast<int64_t>(grid.Cells().size()));
    if (error == 0)
        return std::numeric_limits<double>::infinity();
    return 10 * std::log10(4.0 / (error / static_cast<double>(grid.Cells().size())));
}

} // namespace quba
