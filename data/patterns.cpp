#include "data/patterns.h"

#include <cmath>
#include <cstring>

namespace quba {

namespace {

// Every formula runs in x87 extended precision; the decimal constants are
// doubles widened to extended, so 0.95 is the double nearest 0.95.
using Extended = long double;

// Cell coordinate in (-1, 1): computed in extended, held as a double.
double Coordinate(int32_t index, float half) {
    return static_cast<double>((static_cast<Extended>(index) - half + 0.5L) / half);
}

Extended Circle(Extended u, Extended v) {
    return 3 * u * u + 2 * v * v - 0.95;
}

Extended Circle2(Extended u, Extended v) {
    return v * v + u * u - 0.9;
}

Extended Cup(Extended u, Extended v) {
    return -u * u * u - v * v + 0.5;
}

Extended Line(Extended u, Extended v) {
    return u - 0.5 * v + 0.1;
}

Extended Line2(Extended u, Extended v) {
    if (u <= 0.5 * v + 0.3)
        return v - u - 0.1;
    return -0.5 * u - v - 0.5;
}

Extended Line3(Extended u, Extended v) {
    if (u > v + 0.5)
        return 0.5 * u + 0.5 * v + 0.5;
    if (u <= 2 * v + 0.1)
        return -u - 0.5 * v + 0.6;
    return v - u - 0.5;
}

// The sine itself is the double library function of a double argument.
Extended SCurve(Extended u, Extended v) {
    return static_cast<Extended>(std::sin(static_cast<double>(4 * u))) - v;
}

Extended Formula(int32_t index, Extended u, Extended v) {
    switch (index) {
    case 0:
        return Circle(u, v);
    case 1:
        return Circle2(u, v);
    case 2:
        return Cup(u, v);
    case 3:
        return Line(u, v);
    case 4:
        return Line2(u, v);
    case 5:
        return Line3(u, v);
    case 6:
        return SCurve(u, v);
    default:
        return 0;
    }
}

} // namespace

float PatternValue(int32_t index, int32_t size, int32_t r, int32_t c) {
    const float half = static_cast<float>(size) * 0.5f;
    const double u = Coordinate(c, half);
    const double v = Coordinate(r, half);
    return static_cast<float>(Formula(index, u, v));
}

DataGrid GeneratePattern(int32_t index, int32_t size) {
    DataGrid grid(size);
    for (int32_t r = 0; r < grid.Size(); ++r)
        for (int32_t c = 0; c < grid.Size(); ++c)
            grid.At(r, c) = PatternValue(index, size, r, c);
    return grid;
}

int32_t PatternIndex(const char* name) {
    if (name == nullptr)
        return -1;
    for (int32_t i = 0; i < kPatternCount; ++i)
        if (std::strcmp(kPatternNames[static_cast<size_t>(i)], name) == 0)
            return i;
    return -1;
}

} // namespace quba
