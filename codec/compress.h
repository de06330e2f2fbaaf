// The codec: a grid compressed into a formula file within a byte budget (or
// to a target PSNR). The whole grid's first stage comes from the user's run;
// with tiles every block of the quadtree gets runs of its own, with stages
// each stage a run on what the stages before it left. Every block and stage
// offers its size-accuracy front with its constants quantised; the
// allocation chooses one option a block, and the splits, to minimise the
// total squared error within the budget, and the file is the best over the
// quantisations tried.
#pragma once

#include "codec/formula_file.h"
#include "core/grid.h"
#include "core/outcome.h"
#include "engine/best_program.h"
#include "engine/run_settings.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quba {

struct CodecSettings {
    static constexpr int32_t kDefaultMinBlock = 2;

    std::optional<int64_t> budget;    // bytes of the whole file
    std::optional<double> targetPsnr; // dB
    bool tiles = false;
    int32_t minBlock = kDefaultMinBlock;
    int32_t stages = 1;
    // Whether a file may hold a sample grid, alone or under its formulas.
    bool samples = true;
    // Whether a file may be a cosine series.
    bool cosines = true;

    // Whether the codec chooses the file (else the file holds the run's
    // best program as it is).
    [[nodiscard]] bool Chooses() const { return budget || targetPsnr; }
};

struct CompressionJob {
    const DataGrid* grid = nullptr;
    PictureFit fit = PictureFit::Crop;
    // The run's settings: its functions, constants, populations, search,
    // arithmetic and threads.
    RunSettings settings;
    // The whole grid's first-stage candidates: the run's fronts and best programs.
    std::vector<BestProgram> runPrograms;
    uint32_t seed = 0;
    std::function<bool()> keepGoing = [] { return true; };
    // Blocks evolved so far, of all; called from the thread that compresses.
    std::function<void(int32_t done, int32_t total)> progress = [](int32_t, int32_t) {};
};

struct Compression {
    FormulaFile file;
    std::string bytes;
    DataGrid decoded; // the file decoded
    double psnr = 0;  // of the decoded grid against the grid
    // Within the budget, or at the target PSNR; else the file is the
    // nearest the codec found (the smallest one, or the most accurate).
    bool reached = true;
};

// What the codec weighs a candidate file by: its bytes, its squared error
// and whether it keeps the budget (or reaches the target PSNR).
struct FileMeasure {
    int64_t bytes = 0;
    double error = 0;
    bool reached = false;
};

// Whether a file of these bytes and squared error over a side x side grid
// keeps the budget (or reaches the target PSNR).
bool KeepsGoal(const CodecSettings& codec, int64_t bytes, double error, int32_t side);
// The same for a file made, by its size and its decoded grid's PSNR.
bool FileKeepsGoal(const CodecSettings& codec, const Compression& file);

// Whether `a` is the better file for what `codec` asks. One that keeps the
// budget or reaches the target wins over one that does not; then within the
// budget the smaller error wins, at a target the smaller file (the smaller
// error on a tie); among files that miss, the nearer one.
bool BetterFile(const FileMeasure& a, const FileMeasure& b, const CodecSettings& codec);

// The smallest file any grid takes: magic, header and check sum.
int64_t SmallestFormulaFile(const FormulaFile& header);

// Compresses. Refused when no block's formula can be coded (or the run was
// ended by keepGoing).
Outcome<Compression> Compress(const CompressionJob& job, const CodecSettings& codec);

// 10 log10(4 / mse) of a decoded grid against the grid; +inf when equal.
double GridPsnr(const DataGrid& decoded, const DataGrid& grid);

} // namespace quba
