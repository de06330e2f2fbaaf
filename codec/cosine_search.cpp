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
// Series of up to so many terms are also chosen term by term, among so many
// of the largest coefficients; a term that adds no bits counts as adding this many.
constexpr int32_t kTermByTermUpTo = 128;
constexpr size_t kTermByTermAmong = 256;
constexpr double kLeastBits = 0.5;

class CosineSearch {
public:
    CosineSearch(const DataGrid& grid, PictureFit fit, const std::function<bool()>& keepGoing)
        : grid_(grid), keepGoing_(keepGoing), side_(grid.Size()),
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

    // One series a step, steps spread over the threads; where the best take
    // few terms, the terms of the steps around them chosen one by one too;
    // the best few by their estimated error decoded and measured, in order
    // of step, so that the choice never depends on the threads.
    std::optional<CosineFit> Run(WorkerPool& pool, const CodecSettings& goal) {
        codec_ = goal;
        constexpr int32_t kSteps =
            CosineSeries::kHighestExponent - CosineSeries::kLowestExponent + 1;
        std::vector<std::optional<CosineFit>> fits(kSteps);
        pool.ForEach(kSteps, 1, [&](int32_t n, int32_t) {
            if (keepGoing_())
                fits[static_cast<size_t>(n)] = AtStep(CosineSeries::kLowestExponent + n);
        });
        if (!keepGoing_())
            return std::nullopt;
        const std::vector<int32_t> chosen = ChosenByTerm(Best(fits, kMeasured));
        fits.resize(kSteps + chosen.size());
        pool.ForEach(static_cast<int32_t>(chosen.size()), 1, [&](int32_t n, int32_t) {
            if (keepGoing_())
                fits[kSteps + static_cast<size_t>(n)] = TermByTerm(chosen[static_cast<size_t>(n)]);
        });
        std::vector<CosineFit*> measured = Best(fits, kMeasured);
        pool.ForEach(static_cast<int32_t>(measured.size()), 1,
                     [&](int32_t n, int32_t) { Measure(*measured[static_cast<size_t>(n)]); });
        std::optional<CosineFit> best;
        for (CosineFit* fit : measured)
            if (!best || BetterFile(fit->measure, best->measure, codec_))
                best = std::move(*fit);
        return keepGoing_() ? best : std::nullopt;
    }

private:
    // The levels of the coefficients at a step in order of rank, up to the
    // first that rounds to zero, and the error each one takes away.
    struct StepLevels {
        int32_t exponent = 0;
        std::vector<int32_t> levels;
        std::vector<double> gains;
    };

    std::optional<StepLevels> LevelsAt(int32_t exponent) const {
        StepLevels at{exponent, {}, {}};
        const double step = CosineSeries{exponent, {}}.Step();
        for (int32_t index : rank_) {
            const double c = coefficients_[static_cast<size_t>(index)];
            const long long level = std::llround(c / step);
            if (level == 0)
                break;
            if (std::llabs(level) > CosineSeries::kLargestLevel)
                return std::nullopt;
            at.levels.push_back(static_cast<int32_t>(level));
            const double left = c - static_cast<double>(level) * step;
            at.gains.push_back(c * c - left * left);
        }
        return at;
    }

    // The best `count` fits, better first.
    std::vector<CosineFit*> Best(std::vector<std::optional<CosineFit>>& fits, size_t count) const {
        std::vector<CosineFit*> order;
        for (std::optional<CosineFit>& fit : fits)
            if (fit)
                order.push_back(&*fit);
        std::stable_sort(order.begin(), order.end(), [&](const CosineFit* a, const CosineFit* b) {
            return BetterFile(a->measure, b->measure, codec_);
        });
        order.resize(std::min(order.size(), count));
        return order;
    }

    // Within a budget, the steps at and beside those of the best fits that
    // take few enough terms to be chosen one by one, rising.
    std::vector<int32_t> ChosenByTerm(const std::vector<CosineFit*>& best) const {
        std::vector<int32_t> steps;
        if (!codec_.budget)
            return steps;
        for (const CosineFit* fit : best)
            if (fit->series.Terms() <= kTermByTermUpTo)
                for (int32_t e = fit->series.exponent - 1; e <= fit->series.exponent + 1; ++e)
                    if (e >= CosineSeries::kLowestExponent && e <= CosineSeries::kHighestExponent)
                        steps.push_back(e);
        std::sort(steps.begin(), steps.end());
        steps.erase(std::unique(steps.begin(), steps.end()), steps.end());
        return steps;
    }

    // The series of the chosen coefficients (by rank) at the step, and the
    // squared error the coefficients leave.
    CosineFit Series(const StepLevels& at, const std::vector<size_t>& chosen) const {
        CosineFit fit;
        fit.series.exponent = at.exponent;
        double gain = 0;
        size_t end = 0;
        for (size_t k : chosen) {
            gain += at.gains[k];
            end = std::max(end, static_cast<size_t>(rank_[k]) + 1);
        }
        fit.series.levels.assign(end, 0);
        for (size_t k : chosen)
            fit.series.levels[static_cast<size_t>(rank_[k])] = at.levels[k];
        FormulaFile file = header_;
        file.cosines = fit.series;
        fit.bits = FileBits(file);
        fit.measure.bytes = BytesOfBits(fit.bits);
        fit.measure.error = std::max(0.0, energy_ - gain);
        fit.measure.reached = KeepsGoal(codec_, fit.measure.bytes, fit.measure.error, side_);
        return fit;
    }

    static std::vector<size_t> Largest(size_t count) {
        std::vector<size_t> chosen(count);
        std::iota(chosen.begin(), chosen.end(), size_t{0});
        return chosen;
    }

    // Within a budget, the most coefficients that fit, then the bytes they
    // leave over filled with the next ones by rank that still fit (one far
    // along the scan costs more than a smaller one near the start). At a
    // target, the fewest that reach it (by the coefficients' error, which
    // falls with every one kept), or all where none does.
    std::optional<CosineFit> AtStep(int32_t exponent) const {
        const std::optional<StepLevels> at = LevelsAt(exponent);
        if (!at)
            return std::nullopt;
        size_t low = 0;
        size_t high = at->levels.size();
        if (!codec_.budget) {
            while (low < high) {
                const size_t middle = (low + high) / 2;
                if (Series(*at, Largest(middle)).measure.reached)
                    high = middle;
                else
                    low = middle + 1;
            }
            return Series(*at, Largest(low));
        }
        if (Series(*at, {}).measure.bytes > *codec_.budget)
            return std::nullopt;
        while (low < high) {
            const size_t middle = (low + high + 1) / 2;
            if (Series(*at, Largest(middle)).measure.bytes <= *codec_.budget)
                low = middle;
            else
                high = middle - 1;
        }
        std::vector<size_t> chosen = Largest(low);
        for (size_t k = low + 1; k < at->levels.size() && k <= low + kFillTries; ++k) {
            chosen.push_back(k);
            if (Series(*at, chosen).measure.bytes > *codec_.budget)
                chosen.pop_back();
        }
        return Series(*at, chosen);
    }

    // Within a budget, terms added one at a time, each the one of the
    // largest few that takes away the most error for the bits it adds, for
    // as long as one fits.
    std::optional<CosineFit> TermByTerm(int32_t exponent) const {
        const std::optional<StepLevels> at = LevelsAt(exponent);
        if (!at)
            return std::nullopt;
        const CosineFit empty = Series(*at, {});
        if (empty.measure.bytes > *codec_.budget)
            return std::nullopt;
        const size_t candidates = std::min(at->levels.size(), kTermByTermAmong);
        std::vector<bool> taken(candidates, false);
        std::vector<size_t> chosen;
        int64_t bits = empty.bits;
        for (;;) {
            std::optional<size_t> next;
            double nextRate = 0;
            int64_t nextBits = 0;
            for (size_t k = 0; k < candidates; ++k) {
                if (taken[k])
                    continue;
                chosen.push_back(k);
                const CosineFit trial = Series(*at, chosen);
                chosen.pop_back();
                if (trial.measure.bytes > *codec_.budget)
                    continue;
                const double rate =
                    at->gains[k] / std::max(static_cast<double>(trial.bits - bits), kLeastBits);
                if (!next || rate > nextRate) {
                    next = k;
                    nextRate = rate;
                    nextBits = trial.bits;
                }
            }
            if (!next)
                break;
            taken[*next] = true;
            chosen.push_back(*next);
            bits = nextBits;
        }
        std::sort(chosen.begin(), chosen.end());
        return Series(*at, chosen);
    }

    void Measure(CosineFit& fit) const {
        fit.layer = CosineLayer(fit.series, side_, side_);
        fit.measure.error =
            SquaredError(fit.layer.data(), grid_.Data(), static_cast<int64_t>(fit.layer.size()));
        fit.measure.reached = KeepsGoal(codec_, fit.measure.bytes, fit.measure.error, side_);
    }

    const DataGrid& grid_;
    CodecSettings codec_; // what the search is for, set by Run
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
    CosineSearch search(grid, fit, keepGoing);
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
