// Linear scaling: a program's output f is used as a + b f, with a and b the
// least-squares fit over the training cases. a and b are 32-bit floats, part
// of the formula; every place that uses a program's output (its error, the
// validation error, the pictures, the exports, the redraws) applies them the
// same way, so that they agree bit for bit.
#pragma once

#include <cstdint>

namespace quba {

struct Scaling {
    float offset = 0; // a
    float factor = 1; // b; 0 when the output is constant or not finite

    friend bool operator==(const Scaling&, const Scaling&) = default;
};

// The fit in double: b = cov(f, t) / var(f), a = mean(t) - b mean(f), both
// rounded to floats. Where f is constant or not finite at some case, or the
// fit is not finite, b = 0 and a = mean(t).
Scaling FitScaling(const float* outputs, const float* targets, int32_t count);

// a + b f in double, rounded to a float; a alone where b is 0, whatever f is.
inline float Scaled(const Scaling& scaling, float output) {
    if (scaling.factor == 0)
        return scaling.offset;
    return static_cast<float>(static_cast<double>(scaling.offset) +
                              static_cast<double>(scaling.factor) * static_cast<double>(output));
}

// The mean squared error of the scaled outputs, with the error sum of the
// exact arithmetic (case by case, in float); +infinity where a scaled output
// is not finite.
long double ScaledMeanSquaredError(const Scaling& scaling, const float* outputs,
                                   const float* targets, int32_t count);

} // namespace quba
