#include "cli/formula_files.h"

#include "cli/formula_outputs.h"
#include "cli/option_table.h"
#include "cli/output_file.h"
#include "codec/decode.h"
#include "codec/program_file.h"
#include "data/data_file.h"
#include "export/export.h"
#include "picture/grid_image.h"

#include <QByteArray>

#include <algorithm>

namespace quba {

namespace {

// Every program the run kept: each population's fronts and best program.
std::vector<BestProgram> RunPrograms(const RunRecorder& recorder) {
    std::vector<BestProgram> programs;
    for (int32_t i = 0; i < 4; ++i) {
        for (const auto* front : {&recorder.Front(i), &recorder.BytesFront(i)})
            programs.insert(programs.end(), front->begin(), front->end());
        if (recorder.Best(i))
            programs.push_back(*recorder.Best(i));
    }
    return programs;
}

bool WriteFileExports(const FormulaFile& file, const CliConfig& config, std::ostream& out,
                      std::ostream& messages) {
    bool written = true;
    for (const ExportTarget& target : config.exports) {
        if (target.front)
            continue;
        const std::string text = ExportFileText(target.format, file, config.outputName);
        written = WriteOutput(Name(Cli::Export), target.path, QByteArray::fromStdString(text), out,
                              messages) &&
                  written;
    }
    return written;
}

} // namespace

Outcome<Compression> CompressRun(const CliConfig& config, const RunRecorder& recorder,
                                 const DataGrid& grid, uint32_t seed, ProgressReporter& progress,
                                 const std::function<bool()>& keepGoing) {
    CompressionJob job;
    job.grid = &grid;
    job.fit = config.training.fit;
    job.settings = config.settings;
    job.runPrograms = RunPrograms(recorder);
    job.seed = seed;
    job.keepGoing = keepGoing;
    job.progress = [&progress](int32_t done, int32_t total) { progress.Blocks(done, total); };
    Outcome<Compression> made = Compress(job, config.codec);
    progress.Finish();
    return made;
}

std::optional<FormulaFile> RunFormulaFile(const CliConfig& config, const RunRecorder& recorder) {
    const std::optional<int32_t> picked = PickedPopulation(config, recorder);
    if (!picked)
        return std::nullopt;
    const BestProgram& best = *recorder.Best(*picked);
    return ExactFormulaFile(best, best.problem->trainingSide, config.training.fit);
}

bool WriteFileOutputs(const FormulaFile& file, const CliConfig& config, std::ostream& out,
                      std::ostream& messages) {
    FitnessEvaluators evaluators(
        EvaluationOptions{EvaluatorKind::Batch, config.settings.evaluation.threads});
    bool written = WriteFileExports(file, config, out, messages);
    if (!config.renderPath.empty()) {
        const QImage image = RedrawImage(file, config.renderSize, config.renderStyle, evaluators);
        if (image.isNull()) {
            messages << Dashed(Cli::Render) << ": not enough memory for a picture of "
                     << config.renderSize << " x " << config.renderSize
                     << " pixels; nothing written\n";
            written = false;
        } else {
            written =
                WriteOutput(Name(Cli::Render), config.renderPath, PngBytes(image), out, messages) &&
                written;
        }
    }
    if (!config.saveOutputPath.empty()) {
        const std::string text = DataFileText(DecodeFormulaFile(file, evaluators));
        written = WriteOutput(Name(Cli::SaveOutput), config.saveOutputPath,
                              QByteArray::fromStdString(text), out, messages) &&
                  written;
    }
    return written;
}

int OpenFormulaFile(const CliConfig& config, std::ostream& out, std::ostream& messages) {
    const Outcome<LoadedFormulaFile> loaded = LoadFormulaFile(config.openFormulaPath);
    if (!loaded) {
        messages << Dashed(Cli::OpenFormula) << ": " << loaded.message << '\n';
        return kExitFileError;
    }
    if (!config.standardOutputTaken)
        out << FormulaFileSummary(loaded.value->file, loaded.value->bytes) << '\n';
    return WriteFileOutputs(loaded.value->file, config, out, messages) ? kExitDone : kExitFileError;
}

} // namespace quba
