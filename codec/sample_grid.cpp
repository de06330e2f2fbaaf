#include "codec/sample_grid.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace quba {

namespace {

// The cubic convolution kernel with a = -1/2.
double Cubic(double t) {
    t = std::fabs(t);
    if (t <= 1)
        return (1.5 * t - 2.5) * t * t + 1;
    if (t < 2)
        return ((-0.5 * t + 2.5) * t - 4) * t + 2;
    return 0;
}

int32_t Clamped(int32_t index, int32_t count) {
    return std::clamp(index, 0, count - 1);
}

// A sample's neighbours, 0 where outside: left, above, above left.
struct Neighbours {
    int32_t left = 0, above = 0, corner = 0;
};

Neighbours NeighboursOf(const SampleGrid& samples, int32_t r, int32_t c) {
    const auto at = [&](int32_t row, int32_t column) {
        return samples.values[static_cast<size_t>(row) * static_cast<size_t>(samples.columns) +
                              static_cast<size_t>(column)];
    };
    Neighbours n;
    if (r == 0 && c == 0) {
        n.left = n.above = n.corner = samples.steps / 2;
    } else if (r == 0) {
        n.left = n.above = n.corner = at(r, c - 1);
    } else if (c == 0) {
        n.left = n.above = n.corner = at(r - 1, c);
    } else {
        n = {at(r, c - 1), at(r - 1, c), at(r - 1, c - 1)};
    }
    return n;
}

int32_t Predicted(const Neighbours& n) {
    const int32_t low = std::min(n.left, n.above);
    const int32_t high = std::max(n.left, n.above);
    if (n.corner >= high)
        return low;
    if (n.corner <= low)
        return high;
    return n.left + n.above - n.corner;
}

ValueKind KindOf(const Neighbours& n) {
    const int32_t spread = std::abs(n.left - n.corner) + std::abs(n.above - n.corner);
    if (spread == 0)
        return ValueKind::SampleFlat;
    if (spread <= 2)
        return ValueKind::SampleCalm;
    if (spread <= 8)
        return ValueKind::SampleBusy;
    return ValueKind::SampleEdge;
}

} // namespace

AxisTaps CubicTaps(int32_t samples, int32_t outputs) {
    AxisTaps taps;
    for (int32_t p = 0; p < outputs; ++p) {
        const double position = (p + 0.5) * samples / outputs - 0.5;
        const auto whole = static_cast<int32_t>(std::floor(position));
        const double fraction = position - whole;
        taps.first.push_back(whole - 1);
        taps.weights.push_back(
            {Cubic(fraction + 1), Cubic(fraction), Cubic(fraction - 1), Cubic(fraction - 2)});
    }
    return taps;
}

SampleRows::SampleRows(const SampleGrid& samples, int32_t pixels)
    : rows_(samples.rows), pixels_(pixels), down_(CubicTaps(samples.rows, pixels)),
      across_(static_cast<size_t>(samples.rows) * static_cast<size_t>(pixels)) {
    const AxisTaps across = CubicTaps(samples.columns, pixels);
    const auto width = static_cast<size_t>(pixels);
    for (int32_t r = 0; r < samples.rows; ++r) {
        const int32_t* row =
            samples.values.data() + static_cast<size_t>(r) * static_cast<size_t>(samples.columns);
        for (size_t x = 0; x < width; ++x) {
            double sum = 0;
            for (size_t k = 0; k < 4; ++k)
                sum +=
                    across.weights[x][k] *
                    samples.Value(
                        row[Clamped(across.first[x] + static_cast<int32_t>(k), samples.columns)]);
            across_[static_cast<size_t>(r) * width + x] = sum;
        }
    }
}

void SampleRows::Row(int32_t y, float* out) const {
    const auto width = static_cast<size_t>(pixels_);
    const auto at = static_cast<size_t>(y);
    for (size_t x = 0; x < width; ++x) {
        double sum = 0;
        for (size_t k = 0; k < 4; ++k) {
            const int32_t r = Clamped(down_.first[at] + static_cast<int32_t>(k), rows_);
            sum += down_.weights[at][k] * across_[static_cast<size_t>(r) * width + x];
        }
        out[x] = static_cast<float>(std::clamp(sum, -1.0, 1.0));
    }
}

std::vector<float> SampleLayer(const SampleGrid& samples, int32_t pixels) {
    const SampleRows rows(samples, pixels);
    std::vector<float> layer(static_cast<size_t>(pixels) * static_cast<size_t>(pixels));
    for (int32_t y = 0; y < pixels; ++y)
        rows.Row(y, layer.data() + static_cast<size_t>(y) * static_cast<size_t>(pixels));
    return layer;
}

void PutSamples(SymbolSink& sink, const SampleGrid& samples) {
    for (int32_t r = 0; r < samples.rows; ++r)
        for (int32_t c = 0; c < samples.columns; ++c) {
            const Neighbours n = NeighboursOf(samples, r, c);
            const int32_t value =
                samples.values[static_cast<size_t>(r) * static_cast<size_t>(samples.columns) +
                               static_cast<size_t>(c)];
            PutNumber(sink, KindOf(n), value - Predicted(n), 0);
        }
}

bool GetSamples(SymbolSource& source, SampleGrid& samples) {
    samples.values.assign(static_cast<size_t>(samples.rows) * static_cast<size_t>(samples.columns),
                          0);
    for (int32_t r = 0; r < samples.rows; ++r)
        for (int32_t c = 0; c < samples.columns; ++c) {
            const Neighbours n = NeighboursOf(samples, r, c);
            const std::optional<int64_t> difference = GetNumber(source, KindOf(n), 0);
            if (!difference)
                return false;
            const int64_t value = Predicted(n) + *difference;
            if (value < 0 || value > samples.steps)
                return false;
            samples.values[static_cast<size_t>(r) * static_cast<size_t>(samples.columns) +
                           static_cast<size_t>(c)] = static_cast<int32_t>(value);
        }
    return true;
}

} // namespace quba
