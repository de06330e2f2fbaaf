#include "cli/formula_outputs.h"

#include "cli/option_table.h"
#include "cli/output_file.h"
#include "data/data_file.h"
#include "export/render.h"
#include "picture/grid_image.h"

#include <algorithm>
#include <string>

namespace quba {

namespace {

constexpr const char* kNoStep = "no generation step was made, so there is no best program; "
                                "nothing written\n";

bool WriteExports(const CliConfig& config, const RunRecorder& recorder, bool bestToo,
                  std::ostream& out, std::ostream& messages) {
    const std::vector<ExportItem> best =
        BestProgramItems(config.outputName, recorder.BestPrograms());
    if (best.empty()) {
        messages << Dashed(Cli::Export) << ": " << kNoStep;
        return true;
    }
    const std::vector<ExportItem> front = FrontItems(config.outputName, recorder.Fronts());
    bool written = true;
    for (const ExportTarget& target : config.exports) {
        if (!target.front && !bestToo)
            continue;
        const std::string text = ExportText(target.format, target.front ? front : best);
        written = WriteOutput(Name(Cli::Export), target.path, QByteArray::fromStdString(text), out,
                              messages) &&
                  written;
    }
    return written;
}

bool WriteRender(const BestProgram& best, const CliConfig& config, FitnessEvaluators& evaluators,
                 std::ostream& out, std::ostream& messages) {
    const QImage image = RedrawImage(best, config.renderSize, config.renderStyle, evaluators);
    if (image.isNull()) {
        messages << Dashed(Cli::Render) << ": not enough memory for a picture of "
                 << config.renderSize << " x " << config.renderSize << " pixels; nothing written\n";
        return false;
    }
    return WriteOutput(Name(Cli::Render), config.renderPath, PngBytes(image), out, messages);
}

bool WriteSavedOutput(const BestProgram& best, const CliConfig& config,
                      FitnessEvaluators& evaluators, std::ostream& out, std::ostream& messages) {
    const std::string text = DataFileText(TrainingOutput(best, evaluators));
    return WriteOutput(Name(Cli::SaveOutput), config.saveOutputPath,
                       QByteArray::fromStdString(text), out, messages);
}

// --render and --save-output, from the picked population's best program.
bool WritePickedOutputs(const CliConfig& config, const RunRecorder& recorder, std::ostream& out,
                        std::ostream& messages) {
    const std::string option = Dashed(config.renderPath.empty() ? Cli::SaveOutput : Cli::Render);
    const std::optional<int32_t> picked = PickedPopulation(config, recorder);
    if (!picked) {
        if (config.pick)
            messages << option << ": population " << *config.pick + 1
                     << " made no generation step, so it has no best program; nothing written\n";
        else
            messages << option << ": " << kNoStep;
        return true;
    }
    const BestProgram& best = *recorder.Best(*picked);
    FitnessEvaluators evaluators(config.settings.evaluation);
    bool written = true;
    if (!config.renderPath.empty())
        written = WriteRender(best, config, evaluators, out, messages);
    if (!config.saveOutputPath.empty())
        written = WriteSavedOutput(best, config, evaluators, out, messages) && written;
    return written;
}

} // namespace

std::optional<int32_t> PickedPopulation(const CliConfig& config, const RunRecorder& recorder) {
    if (config.pick) {
        if (!recorder.Best(*config.pick))
            return std::nullopt;
        return config.pick;
    }
    std::optional<int32_t> picked;
    for (int32_t i = 0; i < config.PopulationCount(); ++i) {
        const auto& best = recorder.Best(i);
        if (best && (!picked || best->trainingFitness < recorder.Best(*picked)->trainingFitness))
            picked = i;
    }
    return picked;
}

bool WritesFronts(const CliConfig& config) {
    return config.settings.keepFronts &&
           (!config.jsonPath.empty() ||
            std::any_of(config.exports.begin(), config.exports.end(),
                        [](const ExportTarget& target) { return target.front; }));
}

bool WriteFormulaOutputs(const CliConfig& config, const RunRecorder& recorder, bool bestToo,
                         std::ostream& out, std::ostream& messages) {
    bool written = true;
    if (!config.exports.empty())
        written = WriteExports(config, recorder, bestToo, out, messages);
    if (bestToo && (!config.renderPath.empty() || !config.saveOutputPath.empty()))
        written = WritePickedOutputs(config, recorder, out, messages) && written;
    return written;
}

} // namespace quba
