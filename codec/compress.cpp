#include "codec/compress.h"

#include "codec/block_search.h"
#include "codec/cosine_search.h"
#include "codec/decode.h"
#include "codec/piece.h"
#include "codec/rate_allocation.h"
#include "codec/sample_search.h"
#include "engine/evaluator_factory.h"
#include "engine/fitness.h"
#include "engine/functions.h"
#include "engine/worker_pool.h"

#include <atomic>
#include <cmath>
#include <limits>
#include <map>

namespace quba {

namespace {

constexpr const char* kEnded = "the run was ended before every block was evolved";
constexpr int32_t kCoarsestPrecision = 1;
constexpr int32_t kMiddlePrecision = 4;
constexpr int32_t kFinestTriedPrecision = 14;
constexpr int32_t kLambdaSteps = 40;
// Allocations at a precision, each priced with the file the one before found.
constexpr int32_t kModelRounds = 3;
// The part of the budget, in percent, the samples under formulas may take.
constexpr int64_t kBaseShare = 50;
// At a target PSNR, the dB they may fall short of it by.
constexpr double kBaseShortfall = 6;

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
    // With a base, the formulas are fitted to what its samples leave.
    Compressor(const CompressionJob& job, const CodecSettings& codec, const SampleFit* base)
        : job_(job), codec_(codec), residual_(base ? Residual(*job.grid, *base) : DataGrid()),
          grid_(base ? residual_ : *job.grid), side_(grid_.Size()),
          threads_(WorkerThreads(job.settings.evaluation)), pool_(threads_), exact_(threads_),
          tree_(QuadTree(side_, codec.tiles ? codec.minBlock : 0)) {
        header_.side = side_;
        header_.fit = job.fit;
        header_.functions = job.settings.problem.functionChecked;
        header_.scaled = job.settings.search.linearScaling;
        header_.minBlock = codec.tiles ? codec.minBlock : 0;
        header_.stageLimit = codec.stages;
        if (base)
            header_.samples = base->samples;
    }

    Outcome<Compression> Run() {
        if (!SearchBlocks())
            return Outcome<Compression>::Refused(kEnded);
        std::optional<Trial> best = BestPrecision();
        if (!best)
            return Outcome<Compression>::Refused("no formula of the grid can be coded");
        return {Finish(std::move(*best)), {}};
    }

private:
    static DataGrid Residual(const DataGrid& grid, const SampleFit& base) {
        DataGrid rest(grid.Size());
        for (size_t k = 0; k < base.layer.size(); ++k)
            rest.Data()[k] = grid.Data()[k] - base.layer[k];
        return rest;
    }

    struct Trial {
        FormulaFile file;
        int64_t bytes = 0;
        double error = 0;
        bool reached = false;
    };

    // The precision of the constants, searched from the middle of its range
    // towards the better side for as long as files get better; then exact
    // constants.
    std::optional<Trial> BestPrecision() {
        std::map<int32_t, std::optional<Trial>> tried;
        const auto at = [&](int32_t precision) -> const std::optional<Trial>& {
            auto found = tried.find(precision);
            if (found == tried.end())
                found = tried.emplace(precision, BestCoding(precision)).first;
            return found->second;
        };
        const auto better = [&](const std::optional<Trial>& a, const std::optional<Trial>& b) {
            return a && (!b || Better(*a, *b));
        };
        int32_t precision = kMiddlePrecision;
        const int32_t step = better(at(precision + 1), at(precision)) ? 1 : -1;
        while (precision + step >= kCoarsestPrecision &&
               precision + step <= kFinestTriedPrecision &&
               better(at(precision + step), at(precision)))
            precision += step;
        std::optional<Trial> best = at(precision);
        if (better(at(ConstantCoding::kExact), best))
            best = at(ConstantCoding::kExact);
        return best;
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
            if (n == 0 && s == 0 && !header_.samples)
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

    // Every option priced with the model, blocks spread over the threads.
    [[nodiscard]] std::vector<std::vector<RateOption>>
    RateOptions(const FormulaFile& header, const std::vector<BlockOptions>& options,
                const CodingModel& model) {
        std::vector<std::vector<RateOption>> rates(options.size());
        pool_.ForEach(static_cast<int32_t>(options.size()), 8, [&](int32_t n, int32_t) {
            const BlockOptions& own = options[static_cast<size_t>(n)];
            for (const CodedOption& option : own.options)
                rates[static_cast<size_t>(n)].push_back(
                    {BlockCost(header, option.stages, own.predicted, model), option.error});
        });
        return rates;
    }

    [[nodiscard]] static SplitFlagBits FlagBits(const CodingModel& model) {
        SplitFlagBits flags(contexts::kDepths);
        for (int32_t depth = 0; depth < contexts::kDepths; ++depth)
            flags[static_cast<size_t>(depth)] = {SplitCost(model, depth, false),
                                                 SplitCost(model, depth, true)};
        return flags;
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
        trial.bytes = FormulaFileBytes(trial.file);
        trial.error = allocation.error;
        return trial;
    }

    [[nodiscard]] bool Reached(const Trial& trial) const {
        return KeepsGoal(codec_, trial.bytes, trial.error, side_);
    }

    [[nodiscard]] bool Better(const Trial& a, const Trial& b) const {
        return BetterFile({a.bytes, a.error, a.reached}, {b.bytes, b.error, b.reached}, codec_);
    }

    // The best file at one trade-off after another: lambda is swept by
    // bisection on its logarithm, its direction set by whether the file
    // reached what was asked.
    std::optional<Trial> Sweep(const FormulaFile& header, const std::vector<BlockOptions>& options,
                               const CodingModel& model) {
        const std::vector<std::vector<RateOption>> rates = RateOptions(header, options, model);
        const SplitFlagBits flags = FlagBits(model);
        double low = std::log(1e-12);
        double high = std::log(16.0 * side_ * side_);
        std::optional<Trial> best;
        for (int32_t step = 0; step < kLambdaSteps; ++step) {
            const double middle = (low + high) / 2;
            const Allocation allocation = Allocate(tree_, rates, std::exp(middle), flags);
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

    // The best file at a precision: allocated with every bit priced alike,
    // then again with the probabilities and exp-Golomb orders of the file
    // found, which the allocation then prices.
    std::optional<Trial> BestCoding(int32_t precision) {
        const std::vector<BlockOptions> options = OptionsAt(precision);
        FormulaFile header = header_;
        header.coding.precision = precision;
        if (precision != ConstantCoding::kExact) {
            header.coding.offsetOrder = std::max(0, precision - 3);
            header.coding.valueOrder = std::max(0, precision - 2);
        }
        CodingModel model = EvenModel();
        std::optional<Trial> best;
        for (int32_t round = 0; round < kModelRounds; ++round) {
            std::optional<Trial> trial = Sweep(header, options, model);
            if (!trial)
                break;
            if (!best || Better(*trial, *best))
                best = trial;
            if (precision != ConstantCoding::kExact)
                FitOrders(trial->file, header.coding);
            trial->file.coding = header.coding;
            model = FileModel(trial->file);
        }
        return best;
    }

    // The orders that code this file's values in the fewest bits.
    static void FitOrders(FormulaFile file, ConstantCoding& coding) {
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
    }

    Compression Finish(Trial trial) {
        // Orders fitted to the file itself, then the file measured as decoded.
        if (!trial.file.coding.Exact())
            FitOrders(trial.file, trial.file.coding);
        Compression result;
        result.bytes = WriteFormulaFile(trial.file);
        FitnessEvaluators evaluators(EvaluationOptions{EvaluatorKind::Batch, threads_});
        result.decoded = DecodeFormulaFile(trial.file, evaluators);
        result.psnr = GridPsnr(result.decoded, *job_.grid);
        result.file = std::move(trial.file);
        result.reached = FileKeepsGoal(codec_, result);
        return result;
    }

    const CompressionJob& job_;
    const CodecSettings& codec_;
    DataGrid residual_;
    const DataGrid& grid_; // what the formulas are fitted to
    int32_t side_;
    int32_t threads_;
    WorkerPool pool_;
    ExactEvaluators exact_;
    std::vector<QuadNode> tree_;
    FormulaFile header_;
    std::vector<BlockCandidates> blocks_;
};

// A file of a coarse layer alone, `file` holding the layer and `layer` its cells.
Compression LayerAlone(const DataGrid& grid, PictureFit fit, FormulaFile file,
                       const std::vector<float>& layer, const CodecSettings& codec) {
    Compression result;
    result.file = std::move(file);
    result.file.side = grid.Size();
    result.file.fit = fit;
    result.bytes = WriteFormulaFile(result.file);
    result.decoded = DataGrid(grid.Size());
    std::copy(layer.begin(), layer.end(), result.decoded.Data());
    result.psnr = GridPsnr(result.decoded, grid);
    result.reached = FileKeepsGoal(codec, result);
    return result;
}

// What the samples under formulas are chosen for: part of the budget, or
// a PSNR some way short of the target.
CodecSettings BaseShare(const CodecSettings& codec) {
    CodecSettings share = codec;
    if (codec.budget)
        share.budget = *codec.budget * kBaseShare / 100;
    else
        share.targetPsnr = *codec.targetPsnr - kBaseShortfall;
    return share;
}

FileMeasure MeasureOf(const Compression& file, const DataGrid& grid) {
    return {
        static_cast<int64_t>(file.bytes.size()),
        SquaredError(file.decoded.Data(), grid.Data(), static_cast<int64_t>(grid.Cells().size())),
        file.reached};
}

} // namespace

bool KeepsGoal(const CodecSettings& codec, int64_t bytes, double error, int32_t side) {
    if (codec.budget)
        return bytes <= *codec.budget;
    return error <= 4.0 * static_cast<double>(side) * side / std::pow(10.0, *codec.targetPsnr / 10);
}

bool FileKeepsGoal(const CodecSettings& codec, const Compression& file) {
    return codec.budget ? static_cast<int64_t>(file.bytes.size()) <= *codec.budget
                        : file.psnr >= *codec.targetPsnr;
}

bool BetterFile(const FileMeasure& a, const FileMeasure& b, const CodecSettings& codec) {
    if (a.reached != b.reached)
        return a.reached;
    if (codec.budget)
        return a.reached ? a.error < b.error : a.bytes < b.bytes;
    return a.reached ? a.bytes < b.bytes || (a.bytes == b.bytes && a.error < b.error)
                     : a.error < b.error;
}

int64_t SmallestFormulaFile(const FormulaFile& header) {
    FormulaFile empty = header;
    empty.blocks.clear();
    return static_cast<int64_t>(WriteFormulaFile(empty).size());
}

Outcome<Compression> Compress(const CompressionJob& job, const CodecSettings& codec) {
    if (!codec.Chooses() || (!codec.samples && !codec.cosines))
        return Compressor(job, codec, nullptr).Run();
    // With samples, two searches of the blocks: the progress of each is half the whole.
    const int32_t searches = codec.samples ? 2 : 1;
    int32_t blocks = 0;
    CompressionJob first = job;
    first.progress = [&job, &blocks, searches](int32_t done, int32_t total) {
        blocks = total;
        job.progress(done, searches * total);
    };
    Outcome<Compression> formulas = Compressor(first, codec, nullptr).Run();
    if (!job.keepGoing())
        return formulas;
    std::vector<Compression> files;
    if (formulas)
        files.push_back(std::move(*formulas.value));
    WorkerPool pool(WorkerThreads(job.settings.evaluation));
    const auto layerAlone = [&](std::optional<SampleGrid> samples,
                                std::optional<CosineSeries> cosines,
                                const std::vector<float>& layer) {
        FormulaFile file;
        file.samples = std::move(samples);
        file.cosines = std::move(cosines);
        files.push_back(LayerAlone(*job.grid, job.fit, std::move(file), layer, codec));
    };
    if (std::optional<CosineFit> cosines =
            codec.cosines ? BestCosines(*job.grid, job.fit, codec, pool, job.keepGoing)
                          : std::nullopt)
        layerAlone(std::nullopt, cosines->series, cosines->layer);
    if (std::optional<SampleFit> samples =
            codec.samples ? BestSamples(*job.grid, job.fit, codec, pool, job.keepGoing)
                          : std::nullopt) {
        layerAlone(samples->samples, std::nullopt, samples->layer);
        // Samples within part of the budget (or short of the target),
        // formulas for the rest.
        if (std::optional<SampleFit> base =
                BestSamples(*job.grid, job.fit, BaseShare(codec), pool, job.keepGoing)) {
            CompressionJob second = job;
            second.progress = [&job](int32_t done, int32_t total) {
                job.progress(total + done, 2 * total);
            };
            Outcome<Compression> both = Compressor(second, codec, &*base).Run();
            if (both)
                files.push_back(std::move(*both.value));
        }
    }
    if (!job.keepGoing())
        return Outcome<Compression>::Refused(kEnded);
    job.progress(searches * blocks, searches * blocks);
    if (files.empty())
        return formulas;
    size_t best = 0;
    for (size_t k = 1; k < files.size(); ++k)
        if (BetterFile(MeasureOf(files[k], *job.grid), MeasureOf(files[best], *job.grid), codec))
            best = k;
    return {std::move(files[best]), {}};
}

double GridPsnr(const DataGrid& decoded, const DataGrid& grid) {
    const double error =
        SquaredError(decoded.Data(), grid.Data(), static_cast<int64_t>(grid.Cells().size()));
    if (error == 0)
        return std::numeric_limits<double>::infinity();
    return 10 * std::log10(4.0 / (error / static_cast<double>(grid.Cells().size())));
}

} // namespace quba
