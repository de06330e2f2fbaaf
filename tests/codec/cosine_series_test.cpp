// The cosine series: its scan and steps, the layer against the transform
// the search takes the coefficients from, and the search keeping every
// budget, measuring what the file decodes to, getting no worse with more
// bytes and the same for any number of threads.
#include "codec/cosine_search.h"
#include "codec/decode.h"
#include "codec/piece.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace quba;

namespace {

TEST(CosineSeries, ScanAndStepsArePinned) {
    EXPECT_EQ(CosineScan(3), (std::vector<int32_t>{0, 1, 3, 6, 4, 2, 5, 7, 8}));
    for (int32_t e = CosineSeries::kLowestExponent; e <= CosineSeries::kHighestExponent; ++e) {
        const double step = CosineSeries{e, {}}.Step();
        const double next = CosineSeries{e + 4, {}}.Step();
        EXPECT_NEAR(step, std::pow(2.0, e / 4.0), 1e-15 * step) << e;
        if (e + 4 <= CosineSeries::kHighestExponent) {
            EXPECT_EQ(next, 2 * step) << e;
        }
    }
}

TEST(CosineSeries, TheLayerOfOneTermTransformsBackToThatTermAlone) {
    // Each term drawn by the decoder is what the encoder's transform reads
    // as that term: the scan, the basis and its scale agree.
    const int32_t side = 6;
    for (const int32_t position : {0, 1, 2, 7, 20, 35}) {
        CosineSeries series{-8, std::vector<int32_t>(static_cast<size_t>(position) + 1, 0)};
        series.levels.back() = -3;
        const std::vector<float> layer = CosineLayer(series, side, side);
        const std::vector<double> coefficients = CosineCoefficients(layer.data(), side);
        for (size_t k = 0; k < coefficients.size(); ++k)
            EXPECT_NEAR(coefficients[k], k == static_cast<size_t>(position) ? -3 * 0.25 : 0.0, 1e-6)
                << position << " " << k;
    }
}

// Smooth shading, a stripe pattern and noise.
DataGrid StripedGrid(int32_t side) {
    std::mt19937 random(5);
    std::uniform_real_distribution<float> noise(-0.05f, 0.05f);
    DataGrid grid(side);
    for (int32_t r = 0; r < side; ++r)
        for (int32_t c = 0; c < side; ++c)
            grid.At(r, c) =
                static_cast<float>(0.3 * r / side - 0.2 + 0.4 * std::cos(1.7 * c)) + noise(random);
    return grid;
}

TEST(CosineSearch, KeepsEveryBudgetMeasuresTheDecodedFileAndGetsNoWorseWithMoreBytes) {
    const DataGrid grid = StripedGrid(20);
    FitnessEvaluators evaluators(EvaluationOptions{EvaluatorKind::Batch, 1});
    WorkerPool pool(2);
    WorkerPool one(1);
    double previous = std::numeric_limits<double>::infinity();
    for (int64_t budget : {10, 16, 24, 40, 80, 160, 640}) {
        CodecSettings codec;
        codec.budget = budget;
        const std::optional<CosineFit> fit = BestCosines(grid, PictureFit::Crop, codec, pool);
        ASSERT_TRUE(fit) << budget;
        FormulaFile file;
        file.side = 20;
        file.cosines = fit->series;
        const std::string bytes = WriteFormulaFile(file);
        EXPECT_EQ(static_cast<int64_t>(bytes.size()), fit->measure.bytes);
        EXPECT_LE(fit->measure.bytes, budget);
        const DataGrid decoded = DecodeFormulaFile(*ReadFormulaFile(bytes).value, evaluators);
        EXPECT_EQ(decoded.Cells(), fit->layer);
        const double error = SquaredError(decoded.Data(), grid.Data(), 20 * 20);
        EXPECT_EQ(error, fit->measure.error);
        EXPECT_LE(error, previous) << budget;
        previous = error;
        EXPECT_EQ(BestCosines(grid, PictureFit::Crop, codec, one)->series, fit->series) << budget;
    }
    // With room for every term the grid comes back within the noise.
    EXPECT_GT(10 * std::log10(4.0 * 400 / previous), 40);
}

TEST(CosineSearch, AtATargetItTakesNoMoreBytesThanTheBudgetThatReachesIt) {
    const DataGrid grid = StripedGrid(16);
    WorkerPool pool(2);
    CodecSettings budget;
    budget.budget = 60;
    const std::optional<CosineFit> within = BestCosines(grid, PictureFit::Crop, budget, pool);
    ASSERT_TRUE(within);
    CodecSettings target;
    // A hair below its PSNR, which the round trip through the logarithm may miss.
    target.targetPsnr = 10 * std::log10(4.0 * 256 / within->measure.error) - 1e-9;
    const std::optional<CosineFit> reached = BestCosines(grid, PictureFit::Crop, target, pool);
    ASSERT_TRUE(reached);
    EXPECT_TRUE(reached->measure.reached);
    EXPECT_LE(reached->measure.bytes, within->measure.bytes);
}

} // namespace
