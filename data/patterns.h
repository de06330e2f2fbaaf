// The seven built-in patterns.
#pragma once

#include "core/grid.h"

#include <array>
#include <cstdint>

namespace quba {

inline constexpr int32_t kPatternCount = 7;
// List texts in list order; the index selects the formula.
inline constexpr std::array<const char*, kPatternCount> kPatternNames = {
    "circle", "circle2", "cup", "line", "line2", "line3", "S curve"};

// Value of cell [r][c] of pattern `index` on a grid of `size`; 0 for an index
// outside the list (no item selected).
float PatternValue(int32_t index, int32_t size, int32_t r, int32_t c);
// A whole grid of the pattern.
DataGrid GeneratePattern(int32_t index, int32_t size);
// Index of a pattern by its list text, -1 when there is none.
int32_t PatternIndex(const char* name);

} // namespace quba
