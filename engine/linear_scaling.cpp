#include "engine/linear_scaling.h"

#include "engine/primitive_rules.h"

#include <cmath>
#include <limits>

namespace quba {

Scaling FitScaling(const float* outputs, const float* targets, int32_t count) {
    double outputSum = 0;
    double targetSum = 0;
    bool finite = true;
    for (int32_t k = 0; k < count; ++k) {
        finite = finite && std::isfinite(outputs[k]);
        outputSum += outputs[k];
        targetSum += targets[k];
    }
    const double targetMean = targetSum / count;
    const Scaling mean{static_cast<float>(targetMean), 0};
    if (!finite)
        return mean;
    const double outputMean = outputSum / count;
    double outputSquares = 0;
    double products = 0;
    for (int32_t k = 0; k < count; ++k) {
        const double deviation = outputs[k] - outputMean;
        outputSquares += deviation * deviation;
        products += deviation * (targets[k] - targetMean);
    }
    if (!(outputSquares > 0) || !std::isfinite(outputSquares) || !std::isfinite(products))
        return mean;
    const double factor = products / outputSquares;
    const Scaling fitted{static_cast<float>(targetMean - factor * outputMean),
                         static_cast<float>(factor)};
    if (!std::isfinite(fitted.offset) || !std::isfinite(fitted.factor))
        return mean;
    return fitted;
}

long double ScaledMeanSquaredError(const Scaling& scaling, const float* outputs,
                                   const float* targets, int32_t count) {
    float sum = 0;
    for (int32_t k = 0; k < count; ++k)
        if (!rules::AddSquaredError(sum, targets[k], Scaled(scaling, outputs[k])))
            return std::numeric_limits<long double>::infinity();
    return static_cast<long double>(sum) / count;
}

} // namespace quba
