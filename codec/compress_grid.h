// A grid compressed from nothing but the grid: the whole grid's run, then the
// codec on its fronts, as quba-cli does after its run. The desktop program's
// "Compress picture..." dialog runs it on a worker thread.
#pragma once

#include "codec/compress.h"
#include "core/grid.h"
#include "core/outcome.h"
#include "engine/best_program.h"
#include "engine/run_settings.h"

#include <cstdint>
#include <functional>

namespace quba {

// What the compression tells while it works; every call comes from the
// thread that compresses.
struct CompressionWatch {
    std::function<bool()> keepGoing = [] { return true; };
    // The whole grid's run: steps done of all.
    std::function<void(int32_t done, int32_t total)> runProgress = [](int32_t, int32_t) {};
    // After a step that changed it: the run's best single formula within the
    // budget (or the smallest at the target PSNR, else the most accurate),
    // with the bytes of its file.
    std::function<void(const BestProgram& program, int64_t bytes)> bestWithinBudget =
        [](const BestProgram&, int64_t) {};
    // The codec's blocks evolved of all.
    std::function<void(int32_t done, int32_t total)> blockProgress = [](int32_t, int32_t) {};
};

// `settings` are checked run settings over `grid` (its training grid);
// the run keeps its bytes fronts, measured in formula-file bytes. Refused
// when the codec finds no file, or the watch ended the work.
Outcome<Compression> CompressGrid(const DataGrid& grid, RunSettings settings,
                                  const CodecSettings& codec, PictureFit fit, uint32_t seed,
                                  const CompressionWatch& watch);

// Of files with these bytes and PSNRs, the one BetterFile prefers; -1 under
// a budget that none keeps.
int32_t PickWithinBudget(const std::vector<int64_t>& bytes, const std::vector<double>& psnr,
                         const CodecSettings& codec);

} // namespace quba
