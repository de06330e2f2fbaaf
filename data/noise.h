// Overwriting a share of a grid's cells with uniform random values.
#pragma once

#include "core/grid.h"
#include "core/random.h"

#include <cstdint>

namespace quba {

inline constexpr const char* kNoGridMessage = "You must generate pattern first!";

// A ratio that is not >= 0 (negative, or not a number) becomes 0, one above 1
// becomes 1.
float ClampNoiseRatio(float ratio);
// Number of draws: trunc(N x N x ratio) for a clamped ratio.
int32_t NoiseCount(int32_t size, float clampedRatio);
// Draws row, column and value for each of NoiseCount cells from RandomUnit
// and stores the value; `copy`, when given, receives the same values at the
// same cells (the validation grid while it follows training).
void AddNoise(DataGrid& grid, float clampedRatio, RandomGenerator& random,
              DataGrid* copy = nullptr);

} // namespace quba
