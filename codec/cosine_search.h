// The cosine series that serves a budget (or a target PSNR) best: for each
// step, the largest coefficients of the grid's cosine transform, as many as
// the budget allows (or as few as reach the target).
#pragma once

#include "codec/compress.h"
#include "codec/cosine_series.h"
#include "core/grid.h"
#include "engine/worker_pool.h"

#include <functional>
#include <optional>
#include <vector>

namespace quba {

struct CosineFit {
    CosineSeries series;
    std::vector<float> layer; // the grid's cells as the decoder draws them
    FileMeasure measure;      // of a file holding this series alone
    int64_t bits = 0;         // of that file, between its magic and its check sum
};

// The best file of a cosine series alone for what `codec` asks, of a grid of
// the given fit, steps spread over the pool's threads (the file is the same
// for any number); none where even an empty series exceeds the budget or
// keepGoing turns false.
std::optional<CosineFit> BestCosines(
    const DataGrid& grid, PictureFit fit, const CodecSettings& codec, WorkerPool& pool,
    const std::function<bool()>& keepGoing = [] { return true; });

} // namespace quba
