// The sample grid: at full size it holds 8-bit grey exactly, and the search
// keeps every budget, measures what the file decodes to and gets no worse
// with more bytes; the layers' file layouts are pinned by stored bytes.
#include "codec/decode.h"
#include "codec/piece.h"
#include "codec/sample_search.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace quba;

namespace {

// Shading, an edge and noise, rounded to 8-bit grey levels.
DataGrid EightBitGrid(int32_t side, uint32_t seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int32_t> noise(-6, 6);
    DataGrid grid(side);
    for (int32_t r = 0; r < side; ++r)
        for (int32_t c = 0; c < side; ++c) {
            const int32_t level =
                std::clamp(60 + 4 * r + (c > side / 3 ? 70 : 0) + noise(random), 0, 255);
            grid.At(r, c) = static_cast<float>(level / 127.5 - 1);
        }
    return grid;
}

TEST(SampleGrid, AtFullSizeWith255StepsItRedrawsEightBitGreyExactly) {
    const DataGrid grid = EightBitGrid(13, 1);
    SampleGrid samples{13, 13, SampleGrid::kMostSteps, {}};
    for (float cell : grid.Cells())
        samples.values.push_back(static_cast<int32_t>(std::lround((cell + 1) * 127.5)));
    const std::vector<float> layer = SampleLayer(samples, 13);
    EXPECT_EQ(layer, grid.Cells());
}

TEST(SampleSearch, KeepsEveryBudgetMeasuresTheDecodedFileAndGetsNoWorseWithMoreBytes) {
    const DataGrid grid = EightBitGrid(24, 2);
    FitnessEvaluators evaluators(EvaluationOptions{EvaluatorKind::Batch, 1});
    WorkerPool pool(2);
    double previous = std::numeric_limits<double>::infinity();
    for (int64_t budget : {12, 16, 24, 40, 80, 160, 320, 2000}) {
        CodecSettings codec;
        codec.budget = budget;
        const std::optional<SampleFit> fit = BestSamples(grid, PictureFit::Crop, codec, pool);
        ASSERT_TRUE(fit) << budget;
        FormulaFile file;
        file.side = 24;
        file.samples = fit->samples;
        const std::string bytes = WriteFormulaFile(file);
        EXPECT_EQ(static_cast<int64_t>(bytes.size()), fit->measure.bytes);
        EXPECT_LE(fit->measure.bytes, budget);
        const DataGrid decoded = DecodeFormulaFile(*ReadFormulaFile(bytes).value, evaluators);
        EXPECT_EQ(decoded.Cells(), fit->layer);
        const double error = SquaredError(decoded.Data(), grid.Data(), 24 * 24);
        EXPECT_EQ(error, fit->measure.error);
        EXPECT_LE(error, previous) << budget;
        previous = error;
    }
    // 2000 bytes hold the 576 grey levels themselves.
    EXPECT_EQ(previous, 0);

    // The smallest file at a target PSNR reaches it; a budget of its size
    // gives a file at least as accurate.
    CodecSettings target;
    target.targetPsnr = 30;
    const std::optional<SampleFit> reached = BestSamples(grid, PictureFit::Crop, target, pool);
    ASSERT_TRUE(reached && reached->measure.reached);
    EXPECT_LE(reached->measure.error, 4.0 * 24 * 24 / 1000);
    CodecSettings budget;
    budget.budget = reached->measure.bytes;
    EXPECT_LE(BestSamples(grid, PictureFit::Crop, budget, pool)->measure.error,
              reached->measure.error);
}

TEST(SampleSearch, NoFileFitsBelowTheSmallestOne) {
    WorkerPool pool(2);
    CodecSettings codec;
    codec.budget = 8;
    EXPECT_FALSE(BestSamples(EightBitGrid(8, 3), PictureFit::Crop, codec, pool));
}

TEST(FormulaFile, TheCoarseLayersLayoutsArePinned) {
    // Stored files must keep reading as the same layers: version 2, a 4 x 4
    // grid, no formulas, 2 x 3 samples of 5 levels; version 3, the same grid
    // with three cosine terms at step 2^(-6/4).
    FormulaFile samples;
    samples.side = 4;
    samples.samples = SampleGrid{2, 3, 4, {0, 1, 2, 4, 3, 2}};
    FormulaFile cosines;
    cosines.side = 4;
    cosines.cosines = CosineSeries{-6, {5, 0, -2, 0, 0, 1}};
    for (const auto& [file, pinned] : {std::pair{samples, "5146200c4c8475d7d03105cc85"},
                                       std::pair{cosines, "5146300c68d2e6cf4001bd8445"}}) {
        const std::string bytes = WriteFormulaFile(file);
        std::string hex;
        for (unsigned char byte : bytes)
            hex += "0123456789abcdef"[byte >> 4], hex += "0123456789abcdef"[byte & 15];
        EXPECT_EQ(hex, pinned);
        const Outcome<FormulaFile> read = ReadFormulaFile(bytes);
        ASSERT_TRUE(read);
        EXPECT_EQ(*read.value, file);
    }
}

} // namespace
