// A formula file's other coarse layer: a truncated cosine series over the
// whole grid, the terms cos(pi u (2 row + 1) / 2N) cos(pi v (2 column + 1) / 2N)
// of the grid's orthonormal cosine transform, each with a whole multiple of
// one step as its coefficient. It carries what repeats across a picture
// (courses of bricks, lines of text) with a few terms where samples need many.
#pragma once

#include "codec/symbol_coding.h"

#include <cstdint>
#include <vector>

namespace quba {

struct CosineSeries {
    // Steps are 2^(exponent / 4), exponent kLowestExponent to kHighestExponent.
    static constexpr int32_t kLowestExponent = -32;
    static constexpr int32_t kHighestExponent = 31;
    // The largest multiple of the step a coefficient may be.
    static constexpr int32_t kLargestLevel = 1 << 24;

    int32_t exponent = 0;
    // Coefficient k of the scan is levels[k] steps; the scan runs through
    // the terms in zig-zag order (Scan). Empty or ending in a nonzero level.
    std::vector<int32_t> levels;

    [[nodiscard]] double Step() const;
    [[nodiscard]] int32_t Terms() const;
    friend bool operator==(const CosineSeries&, const CosineSeries&) = default;
};

// The terms of a side x side transform in zig-zag order, each as its row
// frequency u times side plus its column frequency v: by u + v, along each
// diagonal with u rising when u + v is odd, v rising when even.
std::vector<int32_t> CosineScan(int32_t side);

// A series's terms in the order the layer sums them: by row frequency u,
// then column frequency v; each coefficient is its level times the step.
struct CosineTerm {
    int32_t u, v;
    double coefficient;
};
std::vector<CosineTerm> CosineTerms(const CosineSeries& series, int32_t side);

// The grid's cells' coefficients, in scan order: the orthonormal transform
// with the very terms the layer draws.
std::vector<double> CosineCoefficients(const float* cells, int32_t side);

// The layer at pixels x pixels: each pixel the series summed in double, the
// terms of each row frequency along the columns, those sums down the rows,
// clamped to [-1, 1].
class CosineRows {
public:
    CosineRows(const CosineSeries& series, int32_t side, int32_t pixels);
    void Row(int32_t y, float* out) const;

private:
    int32_t side_;
    int32_t pixels_;
    std::vector<int32_t> frequencies_; // the row frequencies that have terms, rising
    std::vector<double> along_;        // for each of them, its terms summed at every column
};

std::vector<float> CosineLayer(const CosineSeries& series, int32_t side, int32_t pixels);

// The term of frequency k at pixel p of `pixels` over a grid of `side` cells.
double CosineBasis(int32_t k, int32_t p, int32_t side, int32_t pixels);

// The levels in scan order, each term as the run of positions without one
// before it (plus one) and its magnitude (less one), exp-Golomb codes in
// contexts by their band of the scan, and its sign; a run of 0 ends them.
void PutCosines(SymbolSink& sink, const CosineSeries& series);
// Reads the levels of a side x side series; false where they run past the
// scan or a level is out of range.
bool GetCosines(SymbolSource& source, CosineSeries& series, int32_t side);

} // namespace quba
