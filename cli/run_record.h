// The run record: per population its seed, generation count, the values of
// every generation step and its last best program, plus the best-program text.
#pragma once

#include "cli/cli_config.h"
#include "cli/run_recorder.h"
#include "codec/sample_grid.h"
#include "export/figures.h"

#include <QByteArray>
#include <QJsonValue>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quba {

struct PopulationRecord {
    PopulationValues settings;
    int32_t number = 1;
    uint32_t seed = 0;
    int32_t generations = 0;
    std::vector<StepRecord> history;
    std::string best; // output name, "=" and the program text; empty when never stepped
    std::optional<BestProgram> bestProgram; // none when never stepped
    int64_t rawBytes = 0;
    std::optional<FormulaFigures> figures;              // none when never stepped
    std::optional<std::vector<BestProgram>> front;      // none when fronts were not kept
    std::optional<std::vector<BestProgram>> bytesFront; // the same by formula bytes
};

// The codec's file: its settings and what it came to.
struct FileRecord {
    CodecSettings codec;
    int64_t bytes = 0;
    double psnr = 0;
    int32_t blocks = 0;
    int32_t stages = 0;    // the most of any block
    int32_t precision = 0; // ConstantCoding::kExact for exact constants
    bool reached = true;
    std::optional<SampleGrid> samples;  // their size and levels; the values are the file's
    std::optional<int32_t> cosineTerms; // of a file that is a cosine series
};

struct RunRecord {
    RunSettings settings; // the problem's and the evaluation's; the populations' are their own
    std::vector<PopulationRecord> populations;
    std::optional<FileRecord> formulaFile;
    std::string memo;
    std::string outputName;
};

RunRecord CollectRunRecord(const CliConfig& config, const RunRecorder& recorder,
                           const std::optional<Compression>& compression = std::nullopt);

// A 32-bit value as a number that reads back as the same float; "inf",
// "-inf" or "nan" when it is not finite.
QJsonValue FloatJson(float value);
// The same for a double.
QJsonValue DoubleJson(double value);
QByteArray RunRecordJson(const RunRecord& record);

} // namespace quba
