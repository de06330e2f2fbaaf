#include "data/noise.h"

#include <algorithm>

namespace quba {

namespace {

// trunc(f x N) of one RandomUnit draw, kept in extended; a draw of exactly 1
// would give N and is clamped to the last index instead of being redrawn.
int32_t DrawIndex(RandomGenerator& random, int32_t size) {
    const auto index = static_cast<int32_t>(random.RandomUnit() * size);
    return std::min(index, size - 1);
}

// f x 2 - 1 of one RandomUnit draw, stored as a 32-bit float in [-1, 1].
float DrawValue(RandomGenerator& random) {
    return static_cast<float>(random.RandomUnit() * 2 - 1);
}

} // namespace

float ClampNoiseRatio(float ratio) {
    if (!(ratio >= 0))
        return 0;
    if (ratio > 1)
        return 1;
    return ratio;
}

int32_t NoiseCount(int32_t size, float clampedRatio) {
    if (size <= 0)
        return 0;
    // Clamping again is harmless and keeps a stray ratio from overflowing the count.
    const float ratio = ClampNoiseRatio(clampedRatio);
    return static_cast<int32_t>(static_cast<long double>(size) * size * ratio);
}

void AddNoise(DataGrid& grid, float clampedRatio, RandomGenerator& random, DataGrid* copy) {
    const int32_t size = grid.Size();
    const int32_t count = NoiseCount(size, clampedRatio);
    const bool copying = copy != nullptr && copy->Size() == size;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t r = DrawIndex(random, size);
        const int32_t c = DrawIndex(random, size);
        const float value = DrawValue(random);
        grid.At(r, c) = value;
        if (copying)
            copy->At(r, c) = value;
    }
}

} // namespace quba
