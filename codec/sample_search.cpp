#include "codec/sample_search.h"

#include "codec/formula_file.h"
#include "codec/piece.h"

#include <Eigen/Dense>

#include <algorithm>
#include <array>
#include <cmath>

namespace quba {

namespace {

// Steps between -1 and 1 tried, coarse to fine; 255 holds 8-bit grey exactly.
constexpr std::array<int32_t, 19> kSteps = {1,  2,  3,  4,  5,  6,  8,   10,  12, 16,
                                            20, 24, 32, 48, 64, 96, 128, 192, 255};
// Every sample-grid side up to this is tried; beyond it, sides a few
// percent apart.
constexpr int32_t kEverySideUpTo = 24;
constexpr double kSideStep = 1.08;
// Within a budget, how many steps in a row may miss it before finer ones
// are given up, and how many of the finest that fit are measured.
constexpr size_t kMissesInARow = 4;
constexpr size_t kMeasured = 3;

std::vector<int32_t> SidesTried(int32_t side) {
    std::vector<int32_t> sides;
    for (int32_t n = 1; n <= side;
         n = n < kEverySideUpTo ? n + 1 : std::max(n + 1, static_cast<int32_t>(n * kSideStep)))
        sides.push_back(n);
    if (sides.back() != side)
        sides.push_back(side);
    return sides;
}

// The interpolation along one axis as a matrix: `side` outputs of `samples`.
Eigen::MatrixXd AxisMatrix(int32_t samples, int32_t side) {
    const AxisTaps taps = CubicTaps(samples, side);
    Eigen::MatrixXd matrix = Eigen::MatrixXd::Zero(side, samples);
    for (int32_t p = 0; p < side; ++p)
        for (int32_t k = 0; k < 4; ++k)
            matrix(p, std::clamp(taps.first[static_cast<size_t>(p)] + k, 0, samples - 1)) +=
                taps.weights[static_cast<size_t>(p)][static_cast<size_t>(k)];
    return matrix;
}

// The least-squares inverse of the axis' interpolation.
Eigen::MatrixXd Unmixing(int32_t samples, int32_t side) {
    const Eigen::MatrixXd u = AxisMatrix(samples, side);
    return (u.transpose() * u).ldlt().solve(u.transpose());
}

class SampleSearch {
public:
    SampleSearch(const DataGrid& grid, PictureFit fit, const CodecSettings& codec,
                 const std::function<bool()>& keepGoing)
        : grid_(grid), codec_(codec), keepGoing_(keepGoing), side_(grid.Size()) {
        header_.side = side_;
        header_.fit = fit;
        cells_ =
            Eigen::Map<const Eigen::Matrix<float, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor>>(
                grid.Data(), side_, side_)
                .cast<double>();
    }

    // Each height of grid with every width, heights spread over the threads;
    // the best of each height, then of all in order of height, so that the
    // choice never depends on the threads.
    std::optional<SampleFit> Run(WorkerPool& pool) {
        const std::vector<int32_t> sides = SidesTried(side_);
        std::vector<Eigen::MatrixXd> unmixing(sides.size());
        pool.ForEach(static_cast<int32_t>(sides.size()), 1, [&](int32_t n, int32_t) {
            unmixing[static_cast<size_t>(n)] = Unmixing(sides[static_cast<size_t>(n)], side_);
        });
        std::vector<std::optional<SampleFit>> byHeight(sides.size());
        pool.ForEach(static_cast<int32_t>(sides.size()), 1, [&](int32_t h, int32_t) {
            std::optional<SampleFit>& best = byHeight[static_cast<size_t>(h)];
            if (!MayServe(sides[static_cast<size_t>(h)], 1, best))
                return;
            const Eigen::MatrixXd down = unmixing[static_cast<size_t>(h)] * cells_;
            for (const Eigen::MatrixXd& across : unmixing) {
                if (!keepGoing_() || !MayServe(down.rows(), across.rows(), best))
                    break;
                TrySize(down * across.transpose(), best);
            }
        });
        std::optional<SampleFit> best;
        if (!keepGoing_())
            return best;
        for (std::optional<SampleFit>& own : byHeight)
            if (own && (!best || BetterFile(own->measure, best->measure, codec_)))
                best = std::move(own);
        return best;
    }

private:
    SampleFit Quantised(const Eigen::MatrixXd& fitted, int32_t steps) const {
        SampleFit fit;
        SampleGrid& samples = fit.samples;
        samples.rows = static_cast<int32_t>(fitted.rows());
        samples.columns = static_cast<int32_t>(fitted.cols());
        samples.steps = steps;
        for (Eigen::Index r = 0; r < fitted.rows(); ++r)
            for (Eigen::Index c = 0; c < fitted.cols(); ++c)
                samples.values.push_back(static_cast<int32_t>(
                    std::clamp<long long>(std::llround((fitted(r, c) + 1) * steps / 2), 0, steps)));
        FormulaFile file = header_;
        file.samples = samples;
        fit.measure.bytes = FormulaFileBytes(file);
        return fit;
    }

    void Measure(SampleFit& fit) const {
        fit.layer = SampleLayer(fit.samples, side_);
        fit.measure.error =
            SquaredError(fit.layer.data(), grid_.Data(), static_cast<int64_t>(fit.layer.size()));
        fit.measure.reached = KeepsGoal(codec_, fit.measure.bytes, fit.measure.error, side_);
    }

    // Within a budget: the steps from the coarsest up, until a few in a row
    // after the last that fit do not (the bytes grow with the steps, but not
    // strictly); the most accurate of the finest few that fit.
    std::optional<SampleFit> WithinBudget(const Eigen::MatrixXd& fitted) const {
        std::vector<SampleFit> fitting;
        size_t misses = 0;
        for (size_t k = 0; k < kSteps.size() && misses < kMissesInARow; ++k) {
            SampleFit fit = Quantised(fitted, kSteps[k]);
            if (fit.measure.bytes > *codec_.budget) {
                ++misses;
                continue;
            }
            misses = 0;
            fitting.push_back(std::move(fit));
        }
        std::optional<SampleFit> chosen;
        for (size_t k = fitting.size(); k-- > 0 && k + kMeasured >= fitting.size();) {
            Measure(fitting[k]);
            if (!chosen || BetterFile(fitting[k].measure, chosen->measure, codec_))
                chosen = std::move(fitting[k]);
        }
        return chosen;
    }

    // At a target: the coarsest steps that reach it, by bisection (the error
    // falls as the steps get finer), or the finest where none does.
    std::optional<SampleFit> CoarsestAtTarget(const Eigen::MatrixXd& fitted) const {
        size_t low = 0;
        size_t high = kSteps.size() - 1;
        std::optional<SampleFit> chosen;
        while (low <= high) {
            const size_t middle = (low + high) / 2;
            SampleFit fit = Quantised(fitted, kSteps[middle]);
            Measure(fit);
            const bool reached = fit.measure.reached;
            if (!chosen || reached || !chosen->measure.reached)
                chosen = std::move(fit);
            if (reached) {
                if (middle == 0)
                    break;
                high = middle - 1;
            } else {
                low = middle + 1;
            }
        }
        return chosen;
    }

    // Whether a grid of this size, or any wider, may be better than `best`:
    // none takes fewer bytes than one whose samples are all as predicted.
    [[nodiscard]] bool MayServe(Eigen::Index rows, Eigen::Index columns,
                                const std::optional<SampleFit>& best) const {
        const int64_t fewest =
            Quantised(Eigen::MatrixXd::Constant(rows, columns, -1), kSteps.front()).measure.bytes;
        return codec_.budget ? fewest <= *codec_.budget
                             : !best || !best->measure.reached || fewest <= best->measure.bytes;
    }

    // The best quantisation of one size of sample grid, kept where better
    // than `best`.
    void TrySize(const Eigen::MatrixXd& fitted, std::optional<SampleFit>& best) const {
        std::optional<SampleFit> chosen =
            codec_.budget ? WithinBudget(fitted) : CoarsestAtTarget(fitted);
        if (!chosen)
            return;
        if (!best || BetterFile(chosen->measure, best->measure, codec_))
            best = std::move(chosen);
    }

    const DataGrid& grid_;
    const CodecSettings& codec_;
    const std::function<bool()>& keepGoing_;
    int32_t side_;
    FormulaFile header_;
    Eigen::MatrixXd cells_;
};

} // namespace

std::optional<SampleFit> BestSamples(const DataGrid& grid, PictureFit fit,
                                     const CodecSettings& codec, WorkerPool& pool,
                                     const std::function<bool()>& keepGoing) {
    return SampleSearch(grid, fit, codec, keepGoing).Run(pool);
}

} // namespace quba
