// Everything one headless run is made from, as read from the command line.
#pragma once

#include "cli/output_file.h"
#include "codec/compress.h"
#include "data/area_average.h"
#include "engine/run_settings.h"
#include "export/export.h"
#include "picture/grid_image.h"
#include "setup/settings.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quba {

// Where a grid comes from: a built-in pattern, a data file or a picture, and
// its size.
struct GridSource {
    int32_t patternIndex = -1; // -1 when the grid comes from a file or not at all
    std::string dataFile;
    std::string imageFile;
    PictureFit fit = PictureFit::Crop;
    int32_t size = DataGrid::kDefaultSize;
    // A picture evolved on at this size and scored at `size` (coarse to fine).
    std::optional<int32_t> trainSize;

    [[nodiscard]] bool Given() const {
        return patternIndex >= 0 || !dataFile.empty() || !imageFile.empty();
    }
};

// One --export: the best programs, or every member of every front, as code
// in a file.
struct ExportTarget {
    ExportFormat format = ExportFormat::C;
    bool front = false;
    std::string path;
};

struct CliConfig {
    GridSource training;
    GridSource validation; // given only for a validation grid of its own
    std::optional<float> noise;
    std::optional<float> validationNoise;

    // The run's typed settings: the problem (its grids attached once they are
    // built), one entry per population, the evaluation and the fronts
    // (--no-front, for measuring what keeping them costs).
    RunSettings settings;
    std::string outputName = defaults::kOutputName;
    std::optional<uint32_t> seed; // without it every population is seeded from the clock

    std::string jsonPath;
    std::string bestImagePath;
    int32_t imageSize = 120;
    std::string saveTrainingPath;
    std::vector<ExportTarget> exports;
    std::string renderPath;
    int32_t renderSize = 512;
    RedrawStyle renderStyle = RedrawStyle::Grey;
    std::string saveOutputPath;
    // The population (0-based) whose best program --render and --save-output
    // use; without it, the one with the lowest training error.
    std::optional<int32_t> pick;
    std::string saveFormulaPath;
    // A formula file to read instead of a run.
    std::string openFormulaPath;
    CodecSettings codec;
    bool quiet = false;
    bool timing = false; // report where the run's time went
    // An output goes to standard output ("-" or its file), which then does
    // not take the best programs' text.
    bool standardOutputTaken = false;

    [[nodiscard]] int32_t PopulationCount() const {
        return static_cast<int32_t>(settings.populations.size());
    }
    // Every output named, in the order they are written.
    [[nodiscard]] std::vector<NamedOutput> Outputs() const;
};

// Exit statuses of quba-cli.
inline constexpr int kExitDone = 0;
inline constexpr int kExitFileError = 1;
inline constexpr int kExitRefused = 2;
inline constexpr int kExitInterrupted = 130;

} // namespace quba
