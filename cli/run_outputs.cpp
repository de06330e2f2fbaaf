#include "cli/run_outputs.h"

#include "cli/formula_files.h"
#include "cli/formula_outputs.h"
#include "cli/option_table.h"
#include "cli/output_file.h"
#include "cli/run_record.h"
#include "core/decimal.h"
#include "engine/fast_evaluator.h"
#include "engine/fitness.h"
#include "picture/grid_image.h"

#include <cstdio>

namespace quba {

namespace {

// False only when there was a picture and it could not be written.
bool WriteImageIfAny(const CliConfig& config, const RunRecorder& recorder, std::ostream& out,
                     std::ostream& messages) {
    const auto& picture = recorder.LastTrainingPicture();
    if (!picture) {
        messages << Dashed(Cli::BestImage)
                 << ": no generation step was made, so there is no best picture; "
                    "nothing written\n";
        return true;
    }
    return WriteOutput(Name(Cli::BestImage), config.bestImagePath,
                       PngBytes(GridImage(*picture, config.imageSize)), out, messages);
}

// Node-case evaluations of the run: every step's programs times the training
// cases, from the truncated average lengths.
double NodeCases(const CliConfig& config, const RunRecorder& recorder) {
    const double cases = static_cast<double>(config.training.size) * config.training.size;
    double total = 0;
    for (int32_t i = 0; i < config.PopulationCount(); ++i) {
        const double size = config.settings.populations[i].populationSize;
        for (const StepRecord& step : recorder.History(i))
            total += step.averageLength * size * cases;
    }
    return total;
}

// Wall time, which a busy machine stretches, beside the processor time of
// all threads.
void ReportTiming(const CliConfig& config, const RunRecorder& recorder, std::ostream& messages) {
    const StepTimes& times = recorder.Times();
    const double nodeCases = NodeCases(config, recorder);
    const auto rate = [&](double seconds) { return seconds > 0 ? nodeCases / seconds : 0.0; };
    char line[512];
    std::snprintf(line, sizeof line,
                  "timing: evaluation %.3f s (%.3f s of processor time), pictures, breeding and "
                  "the rest %.3f s (%.3f s); %.3g node-case evaluations, %.3g per second of "
                  "evaluation, %.3g per processor second\n",
                  times.evaluationWall, times.evaluationCpu, times.restWall, times.restCpu,
                  nodeCases, rate(times.evaluationWall), rate(times.evaluationCpu));
    messages << line;
    const bool fast = config.settings.evaluation.evaluator == EvaluatorKind::Fast;
    messages << "timing: " << (fast ? "fast" : "exact") << " arithmetic"
             << (fast ? " on " + FastArithmeticTarget() : std::string()) << ", "
             << WorkerThreads(config.settings.evaluation) << " thread(s)\n";
}

// --save-formula: the codec's file, else the picked best program as it is.
bool WriteSavedFormula(const CliConfig& config, const RunRecorder& recorder,
                       const std::optional<Compression>& compression, std::ostream& out,
                       std::ostream& messages) {
    if (config.saveFormulaPath.empty())
        return true;
    std::string bytes;
    if (compression) {
        bytes = compression->bytes;
    } else if (config.codec.Chooses()) {
        return false; // said why when the codec gave up
    } else if (const std::optional<FormulaFile> file = RunFormulaFile(config, recorder)) {
        bytes = WriteFormulaFile(*file);
    } else {
        messages << Dashed(Cli::SaveFormula) << ": no generation step was made, so there is no "
                 << "best program; nothing written\n";
        return true;
    }
    return WriteOutput(Name(Cli::SaveFormula), config.saveFormulaPath,
                       QByteArray::fromStdString(bytes), out, messages);
}

} // namespace

bool WriteRunOutputs(const CliConfig& config, const RunRecorder& recorder,
                     const std::optional<Compression>& compression, std::ostream& out,
                     std::ostream& messages) {
    bool written = true;
    if (!config.jsonPath.empty())
        written = WriteOutput(Name(Cli::Json), config.jsonPath,
                              RunRecordJson(CollectRunRecord(config, recorder, compression)), out,
                              messages);
    if (!config.standardOutputTaken)
        out << recorder.Memo();
    if (!out.flush()) {
        messages << "writing standard output failed\n";
        written = false;
    }
    if (!config.bestImagePath.empty())
        written = WriteImageIfAny(config, recorder, out, messages) && written;
    written = WriteSavedFormula(config, recorder, compression, out, messages) && written;
    // Without the codec's file (it said why) its outputs are not written.
    if (compression)
        written = WriteFileOutputs(compression->file, config, out, messages) && written;
    written =
        WriteFormulaOutputs(config, recorder, !config.codec.Chooses(), out, messages) && written;
    if (config.timing)
        ReportTiming(config, recorder, messages);
    return written;
}

} // namespace quba
