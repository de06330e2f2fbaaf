#include "codec/cosine_series.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <optional>

namespace quba {

namespace {

// 2^(k / 4) for k = 0 to 3, as literals so that every reader has the same bits.
constexpr double kQuarterPowers[4] = {1.0, 1.189207115002721, 1.4142135623730951,
                                      1.681792830507429};
// The longest exp-Golomb code of a run or a level, in ones before its zero.
constexpr int32_t kLongestLength = 25;

int32_t Band(int64_t position) {
    const auto width = static_cast<int32_t>(std::bit_width(static_cast<uint64_t>(position) + 1));
    return std::min(width - 1, contexts::kCosineBands - 1);
}

// Where a number's length bits have their contexts: the kind's first, by
// band, so many a band.
struct LengthContexts {
    int32_t first;
    int32_t lengths;
    [[nodiscard]] int32_t At(int32_t band, int32_t bit) const {
        return first + band * lengths + std::min(bit, lengths - 1);
    }
};

constexpr LengthContexts kRuns{contexts::kCosineRun, contexts::kCosineRunLengths};
constexpr LengthContexts kLevels{contexts::kCosineLevel, contexts::kCosineLevelLengths};

// An order-0 exp-Golomb code: a one for each bit of length beyond the
// first, a zero, then the bits below the leading one.
void PutLength(SymbolSink& sink, const LengthContexts& where, int32_t band, uint64_t value) {
    const uint64_t shifted = value + 1;
    const auto width = static_cast<int32_t>(std::bit_width(shifted));
    for (int32_t i = 0; i + 1 < width; ++i)
        sink.Bit(where.At(band, i), true);
    sink.Bit(where.At(band, width - 1), false);
    sink.Plain(shifted, width - 1);
}

std::optional<uint64_t> GetLength(SymbolSource& source, const LengthContexts& where, int32_t band) {
    int32_t longer = 0;
    while (source.Bit(where.At(band, longer)))
        if (++longer > kLongestLength)
            return std::nullopt;
    return ((uint64_t{1} << longer) | source.Plain(longer)) - 1;
}

} // namespace

double CosineSeries::Step() const {
    const int32_t whole = exponent >= 0 ? exponent / 4 : -((3 - exponent) / 4);
    return std::ldexp(kQuarterPowers[exponent - 4 * whole], whole);
}

int32_t CosineSeries::Terms() const {
    return static_cast<int32_t>(
        std::count_if(levels.begin(), levels.end(), [](int32_t level) { return level != 0; }));
}

std::vector<int32_t> CosineScan(int32_t side) {
    std::vector<int32_t> scan;
    scan.reserve(static_cast<size_t>(side) * static_cast<size_t>(side));
    for (int32_t sum = 0; sum <= 2 * (side - 1); ++sum) {
        const int32_t first = std::max(0, sum - side + 1);
        const int32_t last = std::min(sum, side - 1);
        for (int32_t k = first; k <= last; ++k) {
            const int32_t u = sum % 2 == 1 ? k : sum - k;
            scan.push_back(u * side + (sum - u));
        }
    }
    return scan;
}

double CosineBasis(int32_t k, int32_t p, int32_t side, int32_t pixels) {
    const double scale = k == 0 ? std::sqrt(1.0 / side) : std::sqrt(2.0 / side);
    return scale * std::cos(std::numbers::pi * k * (2 * p + 1) / (2.0 * pixels));
}

namespace {

// basis[k * side + p]: term k at cell p.
std::vector<double> BasisTable(int32_t side) {
    std::vector<double> basis(static_cast<size_t>(side) * static_cast<size_t>(side));
    for (int32_t k = 0; k < side; ++k)
        for (int32_t p = 0; p < side; ++p)
            basis[static_cast<size_t>(k) * side + p] = CosineBasis(k, p, side, side);
    return basis;
}

} // namespace

std::vector<double> CosineCoefficients(const float* cells, int32_t side) {
    const auto n = static_cast<size_t>(side);
    const std::vector<double> basis = BasisTable(side);
    // Along the columns, then down the rows.
    std::vector<double> across(n * n, 0.0);
    for (size_t r = 0; r < n; ++r)
        for (size_t v = 0; v < n; ++v) {
            double sum = 0;
            for (size_t c = 0; c < n; ++c)
                sum += cells[r * n + c] * basis[v * n + c];
            across[r * n + v] = sum;
        }
    std::vector<double> transform(n * n, 0.0);
    for (size_t u = 0; u < n; ++u)
        for (size_t r = 0; r < n; ++r) {
            const double weight = basis[u * n + r];
            for (size_t v = 0; v < n; ++v)
                transform[u * n + v] += weight * across[r * n + v];
        }
    const std::vector<int32_t> scan = CosineScan(side);
    std::vector<double> coefficients(scan.size());
    for (size_t k = 0; k < scan.size(); ++k)
        coefficients[k] = transform[static_cast<size_t>(scan[k])];
    return coefficients;
}

std::vector<CosineTerm> CosineTerms(const CosineSeries& series, int32_t side) {
    const std::vector<int32_t> scan = CosineScan(side);
    std::vector<CosineTerm> terms;
    for (size_t k = 0; k < series.levels.size(); ++k)
        if (series.levels[k] != 0)
            terms.push_back({scan[k] / side, scan[k] % side, series.levels[k] * series.Step()});
    std::sort(terms.begin(), terms.end(), [](const CosineTerm& a, const CosineTerm& b) {
        return a.u != b.u ? a.u < b.u : a.v < b.v;
    });
    return terms;
}

CosineRows::CosineRows(const CosineSeries& series, int32_t side, int32_t pixels)
    : side_(side), pixels_(pixels) {
    const std::vector<CosineTerm> terms = CosineTerms(series, side);
    const auto count = static_cast<size_t>(pixels);
    // Each column frequency's term at every column, once.
    std::vector<std::vector<double>> columns(static_cast<size_t>(side));
    for (const CosineTerm& term : terms) {
        std::vector<double>& basis = columns[static_cast<size_t>(term.v)];
        if (!basis.empty())
            continue;
        basis.resize(count);
        for (int32_t c = 0; c < pixels; ++c)
            basis[static_cast<size_t>(c)] = CosineBasis(term.v, c, side, pixels);
    }
    for (size_t t = 0; t < terms.size(); ++t) {
        if (t == 0 || terms[t].u != terms[t - 1].u) {
            frequencies_.push_back(terms[t].u);
            along_.resize(along_.size() + count, 0.0);
        }
        double* sums = along_.data() + along_.size() - count;
        const std::vector<double>& basis = columns[static_cast<size_t>(terms[t].v)];
        for (size_t c = 0; c < count; ++c)
            sums[c] += terms[t].coefficient * basis[c];
    }
}

void CosineRows::Row(int32_t y, float* out) const {
    const auto count = static_cast<size_t>(pixels_);
    std::vector<double> sum(count, 0.0);
    for (size_t f = 0; f < frequencies_.size(); ++f) {
        const double weight = CosineBasis(frequencies_[f], y, side_, pixels_);
        const double* along = along_.data() + f * count;
        for (size_t c = 0; c < count; ++c)
            sum[c] += weight * along[c];
    }
    for (size_t c = 0; c < count; ++c)
        out[c] = static_cast<float>(std::clamp(sum[c], -1.0, 1.0));
}

std::vector<float> CosineLayer(const CosineSeries& series, int32_t side, int32_t pixels) {
    const CosineRows rows(series, side, pixels);
    const auto count = static_cast<size_t>(pixels);
    std::vector<float> layer(count * count);
    for (int32_t y = 0; y < pixels; ++y)
        rows.Row(y, layer.data() + static_cast<size_t>(y) * count);
    return layer;
}

void PutCosines(SymbolSink& sink, const CosineSeries& series) {
    size_t after = 0; // the position after the last term
    for (size_t k = 0; k < series.levels.size(); ++k) {
        const int32_t level = series.levels[k];
        if (level == 0)
            continue;
        PutLength(sink, kRuns, Band(static_cast<int64_t>(after)), k - after + 1);
        PutLength(sink, kLevels, Band(static_cast<int64_t>(k)),
                  static_cast<uint64_t>(std::abs(level)) - 1);
        sink.Plain(level < 0 ? 1 : 0, 1);
        after = k + 1;
    }
    PutLength(sink, kRuns, Band(static_cast<int64_t>(after)), 0);
}

bool GetCosines(SymbolSource& source, CosineSeries& series, int32_t side) {
    series.levels.clear();
    const auto positions = static_cast<uint64_t>(side) * static_cast<uint64_t>(side);
    for (;;) {
        const uint64_t after = series.levels.size();
        const std::optional<uint64_t> run =
            GetLength(source, kRuns, Band(static_cast<int64_t>(after)));
        if (!run)
            return false;
        if (*run == 0)
            return true;
        const uint64_t position = after + *run - 1;
        if (position >= positions)
            return false;
        const std::optional<uint64_t> magnitude =
            GetLength(source, kLevels, Band(static_cast<int64_t>(position)));
        if (!magnitude || *magnitude + 1 > static_cast<uint64_t>(CosineSeries::kLargestLevel))
            return false;
        const auto level = static_cast<int32_t>(*magnitude + 1);
        series.levels.resize(position, 0);
        series.levels.push_back(source.Plain(1) != 0 ? -level : level);
    }
}

} // namespace quba
