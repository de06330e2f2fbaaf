// The sample grid that serves a budget (or a target PSNR) best: for each
// size of grid, its samples fitted to the grid by least squares through the
// interpolation, then rounded to as many levels as the budget allows.
#pragma once

#include "codec/compress.h"
#include "codec/sample_grid.h"
#include "core/grid.h"
#include "engine/worker_pool.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace quba {

struct SampleFit {
    SampleGrid samples;
    std::vector<float> layer; // the grid's cells as the decoder draws them
    FileMeasure measure;      // of a file holding these samples alone
};

// The best file of samples alone for what `codec` asks, of a grid of the
// given fit, sizes of sample grid spread over the pool's threads (the file
// is the same for any number); none where even one sample exceeds the budget
// or keepGoing turns false.
std::optional<SampleFit> BestSamples(
    const DataGrid& grid, PictureFit fit, const CodecSettings& codec, WorkerPool& pool,
    const std::function<bool()>& keepGoing = [] { return true; });

} // namespace quba
