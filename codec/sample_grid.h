// A formula file's coarse layer: a small grid of samples, each one of a few
// grey levels, drawn over the whole grid by bicubic interpolation. It carries
// what a picture holds everywhere at once (its broad shading); the formulas
// of the blocks, where the file has any, are added to it.
#pragma once

#include "codec/symbol_coding.h"

#include <array>
#include <cstdint>
#include <vector>

namespace quba {

struct SampleGrid {
    static constexpr int32_t kMostSteps = 255;

    int32_t rows = 0;
    int32_t columns = 0;
    // Sample q (0 to steps) stands for q 2 / steps - 1: steps + 1 grey
    // levels evenly apart from -1 to 1; with 255 steps, the 8-bit ones.
    int32_t steps = 0;
    std::vector<int32_t> values; // row-major

    [[nodiscard]] double Value(int32_t q) const { return q * 2.0 / steps - 1; }
    friend bool operator==(const SampleGrid&, const SampleGrid&) = default;
};

// The four taps of each output along one axis: output p of `outputs` over
// `samples` samples lies at sample position (p + 0.5) samples / outputs -
// 0.5; its taps are the samples floor of that - 1 to + 2, clamped to the
// axis, weighted by the cubic convolution kernel (a = -1/2). At as many
// outputs as samples each output is its own sample.
struct AxisTaps {
    std::vector<int32_t> first; // the first tap's sample, before clamping
    std::vector<std::array<double, 4>> weights;
};
AxisTaps CubicTaps(int32_t samples, int32_t outputs);

// The layer at pixels x pixels over the grid: interpolated in double along
// the sample rows once, then down the columns a row at a time, clamped to
// [-1, 1].
class SampleRows {
public:
    SampleRows(const SampleGrid& samples, int32_t pixels);
    // Row y's pixels values.
    void Row(int32_t y, float* out) const;

private:
    int32_t rows_;
    int32_t pixels_;
    AxisTaps down_;
    std::vector<double> across_; // each sample row interpolated across
};

// The whole layer, row-major.
std::vector<float> SampleLayer(const SampleGrid& samples, int32_t pixels);

// The samples row by row, each as its difference from a prediction made of
// its neighbours to the left, above and above left (the median of left,
// above and left + above - above left), in contexts chosen by how much
// those neighbours differ.
void PutSamples(SymbolSink& sink, const SampleGrid& samples);
// Reads rows x columns samples into `samples`; false where one is out of
// range.
bool GetSamples(SymbolSource& source, SampleGrid& samples);

} // namespace quba
