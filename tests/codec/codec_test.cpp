// The codec: the allocation against a brute-force choice, and compressed
// files that keep their budget, decode to what the encoder measured and do
// not depend on the thread count.
#include "codec/compress.h"
#include "codec/compress_grid.h"
#include "codec/cosine_search.h"
#include "codec/decode.h"
#include "codec/rate_allocation.h"
#include "codec/sample_search.h"
#include "tests/engine/test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <mutex>
#include <optional>
#include <random>

using namespace quba;

namespace {

// Every way to cut the tree into leaves, each leaf at its cheapest option,
// split flags counted where a block may split: the least total cost.
double BruteForceCost(const std::vector<QuadNode>& tree,
                      const std::vector<std::vector<RateOption>>& options, double lambda,
                      int32_t n) {
    const QuadNode& node = tree[static_cast<size_t>(n)];
    const bool splits = node.children[0] >= 0;
    double leaf = std::numeric_limits<double>::infinity();
    for (const RateOption& option : options[static_cast<size_t>(n)])
        leaf = std::min(leaf, option.error + lambda * static_cast<double>(option.bits));
    if (!splits)
        return leaf;
    double parts = 0;
    for (int32_t child : node.children)
        parts += BruteForceCost(tree, options, lambda, child);
    return lambda + std::min(leaf, parts);
}

TEST(Allocation, MatchesTheBestOfEveryCutOfTheTree) {
    std::mt19937 random(23);
    for (int trial = 0; trial < 60; ++trial) {
        const int32_t side = 4 + static_cast<int32_t>(random() % 13);
        const std::vector<QuadNode> tree = QuadTree(side, 2 + static_cast<int32_t>(random() % 2));
        std::vector<std::vector<RateOption>> options(tree.size());
        for (size_t n = 0; n < tree.size(); ++n) {
            // The root always has an option; other blocks may have none.
            const auto count = static_cast<int32_t>(random() % 4) + (n == 0 ? 1 : 0);
            for (int32_t k = 0; k < count; ++k)
                options[n].push_back({static_cast<double>(random() % 60),
                                      std::uniform_real_distribution<double>(0, 50)(random) *
                                          static_cast<double>(tree[n].region.Cells())});
        }
        for (double lambda : {0.01, 0.5, 3.0, 40.0}) {
            const Allocation allocation = Allocate(tree, options, lambda);
            EXPECT_NEAR(allocation.error + lambda * static_cast<double>(allocation.bits),
                        BruteForceCost(tree, options, lambda, 0), 1e-6)
                << trial << " " << lambda;
            // The leaves cover the grid once, in visiting order.
            int64_t cells = 0;
            for (size_t k = 0; k < allocation.leaves.size(); ++k) {
                cells += tree[static_cast<size_t>(allocation.leaves[k])].region.Cells();
                if (k > 0) {
                    EXPECT_GT(allocation.leaves[k], allocation.leaves[k - 1]);
                }
            }
            EXPECT_EQ(cells, int64_t{side} * side);
        }
    }
}

// A grid with an edge, a ramp and a bump: something for blocks to differ on.
DataGrid TestGrid(int32_t side) {
    DataGrid grid(side);
    for (int32_t r = 0; r < side; ++r)
        for (int32_t c = 0; c < side; ++c)
            grid.At(r, c) =
                static_cast<float>((c > side / 2 ? 0.4 : -0.3) + 0.02 * r +
                                   0.5 * std::exp(-((r - 5) * (r - 5) + (c - 9) * (c - 9)) / 8.0));
    return grid;
}

struct CodecCase {
    DataGrid grid;
    CompressionJob job;
    CodecSettings codec;
};

CodecCase SmallSetup(int32_t side, bool scaled) {
    CodecCase setup{TestGrid(side), {}, {}};
    setup.job.settings = DefaultRunSettings(setup.grid, 1);
    setup.job.settings.problem.functionChecked = {true, true, true, true, true};
    setup.job.settings.populations[0].populationSize = 120;
    setup.job.settings.populations[0].generations = 6;
    setup.job.settings.search.linearScaling = scaled;
    setup.job.settings.evaluation.threads = 2;
    setup.job.seed = 7;
    return setup;
}

Compression Compressed(const CodecCase& setup) {
    CompressionJob job = setup.job;
    job.grid = &setup.grid;
    Outcome<Compression> made = Compress(job, setup.codec);
    EXPECT_TRUE(made) << made.message;
    return std::move(*made.value);
}

TEST(Compress, FilesKeepTheirBudgetAndDecodeToWhatWasMeasured) {
    struct Case {
        bool scaled;
        bool tiles;
        int32_t stages;
        int64_t budget;
        bool layers = true; // samples and cosine series
    };
    // Formulas alone too: with a coarse layer it may take a file over.
    for (const Case& c : {Case{true, true, 1, 60}, Case{true, true, 2, 140},
                          Case{false, true, 1, 90}, Case{true, false, 3, 80},
                          Case{true, true, 2, 140, false}, Case{false, true, 1, 90, false}}) {
        CodecCase setup = SmallSetup(16, c.scaled);
        setup.job.settings.problem.constantCount = 20;
        setup.codec.budget = c.budget;
        setup.codec.tiles = c.tiles;
        setup.codec.stages = c.stages;
        setup.codec.samples = setup.codec.cosines = c.layers;
        const Compression made = Compressed(setup);
        EXPECT_TRUE(made.reached);
        EXPECT_TRUE(c.layers || (!made.file.Layered() && !made.file.blocks.empty()));
        EXPECT_LE(static_cast<int64_t>(made.bytes.size()), c.budget);
        const Outcome<FormulaFile> read = ReadFormulaFile(made.bytes);
        ASSERT_TRUE(read) << read.message;
        EXPECT_EQ(*read.value, made.file);
        FitnessEvaluators evaluators(EvaluationOptions{EvaluatorKind::Batch, 3});
        const DataGrid decoded = DecodeFormulaFile(*read.value, evaluators);
        EXPECT_EQ(decoded, made.decoded);
        EXPECT_EQ(GridPsnr(decoded, setup.grid), made.psnr);
        // Better than the grid's mean alone.
        EXPECT_GT(made.psnr, 12.0) << c.scaled << c.tiles << c.stages;
    }
}

TEST(Compress, WithCoarseLayersTheFileIsNeverWorseThanFormulasSamplesOrCosinesAlone) {
    // All three are among the candidates, made the same way.
    WorkerPool pool(2);
    for (const int64_t budget : {40, 120, 400}) {
        CodecCase setup = SmallSetup(16, true);
        setup.codec.tiles = true;
        setup.codec.budget = budget;
        setup.codec.samples = setup.codec.cosines = false;
        const Compression alone = Compressed(setup);
        setup.codec.samples = setup.codec.cosines = true;
        const Compression with = Compressed(setup);
        EXPECT_LE(static_cast<int64_t>(with.bytes.size()), budget);
        EXPECT_GE(with.psnr, alone.psnr) << budget;
        const std::optional<SampleFit> samples =
            BestSamples(setup.grid, PictureFit::Crop, setup.codec, pool);
        ASSERT_TRUE(samples);
        EXPECT_GE(with.psnr, 10 * std::log10(4.0 * 16 * 16 / samples->measure.error)) << budget;
        const std::optional<CosineFit> cosines =
            BestCosines(setup.grid, PictureFit::Crop, setup.codec, pool);
        ASSERT_TRUE(cosines);
        EXPECT_GE(with.psnr, 10 * std::log10(4.0 * 16 * 16 / cosines->measure.error)) << budget;
    }
}

TEST(Compress, ATargetPsnrIsReachedByTheSmallestFileFound) {
    CodecCase setup = SmallSetup(16, true);
    setup.codec.tiles = true;
    setup.codec.budget = 400;
    const Compression large = Compressed(setup);
    setup.codec.budget.reset();
    setup.codec.targetPsnr = large.psnr - 3;
    const Compression target = Compressed(setup);
    EXPECT_TRUE(target.reached);
    EXPECT_GE(target.psnr, large.psnr - 3);
    EXPECT_LT(target.bytes.size(), large.bytes.size());
}

TEST(CompressGrid, PicksWithinTheBudgetOrTheSmallestAtTheTarget) {
    const std::vector<int64_t> bytes = {10, 20, 30, 40};
    const std::vector<double> psnr = {12, 15, 19, 22};
    struct Case {
        std::optional<int64_t> budget;
        std::optional<double> target;
        int32_t pick;
    };
    for (const Case& c : {Case{35, {}, 2}, Case{40, {}, 3}, Case{9, {}, -1}, Case{{}, 15.0, 1},
                          Case{{}, 18.0, 2}, Case{{}, 30.0, 3}}) {
        CodecSettings codec;
        codec.budget = c.budget;
        codec.targetPsnr = c.target;
        EXPECT_EQ(PickWithinBudget(bytes, psnr, codec), c.pick)
            << c.budget.value_or(-1) << " " << c.target.value_or(-1);
    }
}

TEST(CompressGrid, RunsTheWholeGridThenTheCodecAndTellsHowFarItIs) {
    CodecCase setup = SmallSetup(16, true);
    setup.codec.budget = 90;
    setup.codec.tiles = true;
    setup.job.settings.problem.training = setup.grid;
    std::vector<int32_t> steps;
    std::vector<int64_t> shownBytes;
    int32_t blocksDone = 0;
    int32_t blocksTotal = 0;
    CompressionWatch watch;
    watch.runProgress = [&](int32_t done, int32_t total) {
        steps.push_back(done);
        EXPECT_EQ(total, 6);
    };
    watch.bestWithinBudget = [&](const BestProgram& program, int64_t bytes) {
        EXPECT_FALSE(program.nodes.empty());
        shownBytes.push_back(bytes);
    };
    watch.blockProgress = [&](int32_t done, int32_t total) {
        blocksDone = done;
        blocksTotal = total;
    };
    const Outcome<Compression> made =
        CompressGrid(setup.grid, setup.job.settings, setup.codec, PictureFit::Crop, 7, watch);
    ASSERT_TRUE(made) << made.message;
    EXPECT_LE(static_cast<int64_t>(made.value->bytes.size()), 90);
    EXPECT_EQ(steps, (std::vector<int32_t>{1, 2, 3, 4, 5, 6}));
    ASSERT_FALSE(shownBytes.empty());
    for (const int64_t bytes : shownBytes)
        EXPECT_LE(bytes, 90);
    EXPECT_GT(blocksTotal, 1);
    EXPECT_EQ(blocksDone, blocksTotal);

    // Cancelled during the run: no file.
    int32_t stepsBeforeCancel = 0;
    watch.keepGoing = [&] { return stepsBeforeCancel < 2; };
    watch.runProgress = [&](int32_t, int32_t) { ++stepsBeforeCancel; };
    const Outcome<Compression> cancelled =
        CompressGrid(setup.grid, setup.job.settings, setup.codec, PictureFit::Crop, 7, watch);
    EXPECT_FALSE(cancelled);
    EXPECT_EQ(stepsBeforeCancel, 2);
}

TEST(Compress, TheFileIsTheSameForAnyNumberOfThreads) {
    CodecCase setup = SmallSetup(16, true);
    setup.codec.tiles = true;
    setup.codec.stages = 2;
    setup.codec.budget = 120;
    setup.job.settings.evaluation.threads = 1;
    const std::string one = Compressed(setup).bytes;
    for (int32_t threads : {2, 5}) {
        setup.job.settings.evaluation.threads = threads;
        EXPECT_EQ(Compressed(setup).bytes, one) << threads;
    }
}

TEST(Compress, ARedrawOnCellCentresGivesTheDecodedCells) {
    CodecCase setup = SmallSetup(12, true);
    setup.codec.tiles = true;
    setup.codec.stages = 2;
    setup.codec.budget = 150;
    const Compression made = Compressed(setup);
    FitnessEvaluators evaluators(EvaluationOptions{EvaluatorKind::Batch, 2});
    for (int32_t factor : {1, 3}) {
        const int32_t pixels = 12 * factor;
        std::mutex lock;
        int32_t rows = 0;
        RenderFormulaFile(made.file, pixels, evaluators, [&](int32_t row, const float* values) {
            const std::lock_guard<std::mutex> held(lock);
            ++rows;
            if (row % factor != factor / 2)
                return;
            for (int32_t c = 0; c < 12; ++c)
                EXPECT_EQ(values[c * factor + factor / 2], made.decoded.At(row / factor, c))
                    << factor << " " << row << " " << c;
        });
        EXPECT_EQ(rows, pixels);
    }
}

} // namespace
