#include "codec/cosine_search.h"

#include "codec/formula_file.h"
#include "codec/piece.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace quba {

namespace {

// How many of the best steps' series are decoded and measured; the rest
// are judged by their coefficients' error, which the decoder's clamping
// can only lower.
constexpr size_t kMeasured = 3;
// Within a budget, how many coefficients past the most that fit are tried
// in the bytes left over.
constexpr size_t kFillTries = 24;

class CosineSearch {
public:
    CosineSearch(const DataGrid& grid, PictureFit fit, const CodecSettings& codec,
                 const std::function<bool()>& keepGoing)
        : grid_(grid), codec_(codec), keepGoing_(keepGoing), side_(grid.Size()),
          coefficients_(CosineCoefficients(grid.Data(), side_)), rank_(coefficients_.size()) {
        header_.side = side_;
        header_.fit = fit;
        std::iota(rank_.begin(), rank_.end(), 0);
        std::stable_sort(rank_.begin(), rank_.end(), [&](int32_t a, int32_t b) {
            return std::fabs(coefficients_[static_cast<size_t>(a)]) >
                   std::fabs(coefficients_[static_cast<size_t>(b)]);
        });
        for (double c : coefficients_)
            energy_ += c * c;
    }

    // One series a step, steps spread over the threads; the best few by
    // their estimated error decoded and measured, in order of step, so that
    // the choice never depends on the threads.
    std::optional<CosineFit> Run(WorkerPool& pool, const CodecSettings& goal) {
        codec_ = goal;
        constexpr int32_t kSteps =
            CosineSeries::kHighestExponent - CosineSeries::kLowestExponent + 1;
        std::vector<std::optional<CosineFit>> byStep(kSteps);
        pool.ForEach(kSteps, 1, [&](int32_t n, int32_t) {
            if (keepGoing_())
                byStep[static_cast<size_t>(n)] = AtStep(CosineSeries::kLowestExponent + n);
        });
        if (!keepGoing_())
            return std::nullopt;
        std::vector<CosineFit*> order;
        for (std::optional<CosineFit>& fit : byStep)
            if (fit)
                order.push_back(&*fit);
        std::stable_sort(order.begin(), order.end(), [&](const CosineFit* a, const CosineFit* b) {
            return BetterFile(a->measure, b->measure, codec_);
        });
        order.resize(std::min(order.size(), kMeasured));
        pool.ForEach(static_cast<int32_t>(order.size()), 1,
                     [&](int32_t n, int32_t) { Measure(*order[static_cast<size_t>(n)]); });
        std::optional<CosineFit> best;
        for (CosineFit* fit : order)
            if (!best || BetterFile(fit->measure, best->measure, codec_))
                best = std::move(*fit);
        return best;
    }

private:
    // The series of the `kept` largest coefficients at the step and the
    // `extra` ones after them (by rank), and the squared error the
    // coefficients leave.
    CosineFit Series(int32_t exponent, const std::vector<int32_t>& levels, size_t kept,
                     const std::vector<double>& gains,
                     const std::vector<size_t>& extra = {}) const {
        CosineFit fit;
        fit.series.exponent = exponent;
        double gain = gains[kept];
        std::vector<size_t> chosen(kept);
        std::iota(chosen.begin(), chosen.end(), size_t{0});
        for (size_t k : extra) {
            chosen.push_back(k);
            gain += gains[k + 1] - gains[k];
        }
        size_t end = 0;
        for (size_t k : chosen)
            end = std::max(end, static_cast<size_t>(rank_[k]) + 1);
        fit.series.levels.assign(end, 0);
        for (size_t k : chosen)
            fit.series.levels[static_cast<size_t>(rank_[k])] = levels[k];
        FormulaFile file = header_;
        file.cosines = fit.series;
        fit.measure.bytes = FormulaFileBytes(file);
        fit.measure.error = std::max(0.0, energy_ - gain);
        fit.measure.reached = KeepsGoal(codec_, fit.measure.bytes, fit.measure.error, side_);
        return fit;
    }

    // The bytes the most coefficients leave over: the next ones by rank,
    // each kept where it still fits (one far along the scan costs more than
    // a smaller one near the start).
    CosineFit Filled(int32_t exponent, const std::vector<int32_t>& levels, size_t kept,
                     const std::vector<double>& gains) const {
        CosineFit fit = Series(exponent, levels, kept, gains);
        std::vector<size_t> extra;
        for (size_t k = kept + 1; k < levels.size() && k <= kept + kFillTries; ++k) {
            extra.push_back(k);
            CosineFit more = Series(exponent, levels, kept, gains, extra);
            if (more.measure.bytes <= *codec_.budget)
                fit = std::move(more);
            else
                extra.pop_back();
        }
        return fit;
    }

    // Within a budget, the most coefficients that fit; at a target, the
    // fewest that reach it (by the coefficients' error, which falls with
    // every one kept), or all where none does.
    std::optional<CosineFit> AtStep(int32_t exponent) const {
        CosineSeries probe;
        probe.exponent = exponent;
        const double step = probe.Step();
        // The levels in order of rank, up to the first that rounds to zero,
        // and the error each one's coefficient takes away.
        std::vector<int32_t> levels;
        std::vector<double> gains{0.0};
        for (int32_t index : rank_) {
            const double c = coefficients_[static_cast<size_t>(index)];
            const long long level = std::llround(c / step);
            if (level == 0)
                break;
            if (std::llabs(level) > CosineSeries::kLargestLevel)
                return std::nullopt;
            levels.push_back(static_cast<int32_t>(level));
            const double left = c - static_cast<double>(level) * step;
            gains.push_back(gains.back() + c * c - left * left);
        }
        size_t low = 0;
        size_t high = levels.size();
        if (codec_.budget) {
            if (Series(exponent, levels, 0, gains).measure.bytes > *codec_.budget)
                return std::nullopt;
            while (low < high) {
                const size_t middle = (low + high + 1) / 2;
                if (Series(exponent, levels, middle, gains).measure.bytes <= *codec_.budget)
                    low = middle;
                else
                    high = middle - 1;
            }
            return Filled(exponent, levels, low, gains);
        } else {
            while (low < high) {
                const size_t middle = (low + high) / 2;
                if (Series(exponent, levels, middle, gains).measure.reached)
                    high = middle;
                else
                    low = middle + 1;
            }
        }
        return Series(exponent, levels, low, gains);
    }

    void Measure(CosineFit& fit) const {
        fit.layer = CosineLayer(fit.series, side_, side_);
        fit.measure.error =
            SquaredError(fit.layer.data(), grid_.Data(), static_cast<int64_t>(fit.layer.size()));
        fit.measure.reached = KeepsGoal(codec_, fit.measure.bytes, fit.measure.error, side_);
    }

    const DataGrid& grid_;
    CodecSettings codec_; // what the search is for
    const std::function<bool()>& keepGoing_;
    int32_t side_;
    FormulaFile header_;
    std::vector<double> coefficients_; // in scan order
    std::vector<int32_t> rank_;        // scan positions by falling magnitude
    double energy_ = 0;
};

} // namespace

std::optional<CosineFit> BestCosines(const DataGrid& grid, PictureFit fit,
                                     const CodecSettings& codec, WorkerPool& pool,
                                     const std::function<bool()>& keepGoing) {
    CosineSearch search(grid, fit, codec, keepGoing);
    std::optional<CosineFit> best = search.Run(pool, codec);
    if (codec.budget || !best || !best->measure.reached)
        return best;
    // At a target the fewest largest terms that reach it are not always the
    // fewest bytes: a budget's search keeps smaller terms that cost less. So
    // the smallest budget whose file reaches the target is sought too.
    int64_t low = 1;
    int64_t high = best->measure.bytes - 1;
    while (low <= high && keepGoing()) {
        const int64_t middle = low + (high - low) / 2;
        CodecSettings within;
        within.budget = middle;
        std::optional<CosineFit> trial = search.Run(pool, within);
        if (trial && KeepsGoal(codec, trial->measure.bytes, trial->measure.error, grid.Size())) {
            trial->measure.reached = true;
            best = std::move(trial);
            high = middle - 1;
        } else {
            low = middle + 1;
        }
    }
    return keepGoing() ? best : std::nullopt;
}

} // namespace quba
