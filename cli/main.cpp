// quba-cli: one evolution run, headless, with the desktop program's Start.
#include "cli/formula_files.h"
#include "cli/formula_outputs.h"
#include "cli/interrupt.h"
#include "cli/option_table.h"
#include "cli/output_file.h"
#include "cli/parse_arguments.h"
#include "cli/run_grids.h"
#include "cli/run_outputs.h"
#include "cli/run_recorder.h"
#include "cli/start_checks.h"
#include "codec/program_file.h"
#include "data/data_file.h"
#include "engine/functions.h"
#include "engine/gp.h"
#include "picture/picture_grid.h"
#include "setup/messages.h"

#include <QCoreApplication>

#include <clocale>
#include <iostream>
#include <new>

using namespace quba;

namespace {

// After a coarse-to-fine run: its programs scored on the picture at full size,
// validation following it where it follows training.
void RescoreOnFullGrid(RunRecorder& recorder, const DataGrid& full, const GridPair& grids,
                       FitnessEvaluators& evaluators) {
    for (const auto& best : recorder.BestPrograms()) {
        if (!best)
            continue;
        const bool follows = grids.FollowsTraining();
        recorder.Rescore(
            ProblemOnGrids(*best->problem, full, follows ? full : *grids.Validation(), follows),
            evaluators);
        return;
    }
}

// The codec's file, or none, said why, when it could not be made within the budget.
std::optional<Compression> ChosenFile(const CliConfig& config, const RunRecorder& recorder,
                                      const DataGrid& grid, uint32_t seed,
                                      ProgressReporter& progress) {
    Outcome<Compression> made =
        CompressRun(config, recorder, grid, seed, progress, [] { return !InterruptRequested(); });
    const Cli goal = config.codec.budget ? Cli::Budget : Cli::TargetPsnr;
    if (!made) {
        std::cerr << Dashed(goal) << ": " << made.message << "; no formula file made\n";
        return std::nullopt;
    }
    const Compression& file = *made.value;
    const auto bytes = static_cast<int64_t>(file.bytes.size());
    if (!file.reached && config.codec.budget) {
        std::cerr << Dashed(goal) << ": no formula file of the grid fits in "
                  << *config.codec.budget << " bytes; the smallest found takes " << bytes
                  << "; no formula file made\n";
        return std::nullopt;
    }
    if (!file.reached)
        std::cerr << Dashed(goal) << ": no formula file found reaches " << *config.codec.targetPsnr
                  << " dB; this one is the most accurate found\n";
    if (!config.quiet)
        std::cerr << FormulaFileSummary(file.file, bytes) << ", PSNR " << file.psnr << " dB\n";
    return made.value;
}

int ReportInsteadOfRun(const ParseOutcome& parsed) {
    if (parsed.action == ParseOutcome::Action::Refuse) {
        std::cerr << parsed.text << '\n';
        return kExitRefused;
    }
    std::cout << parsed.text << std::flush;
    return kExitDone;
}

int RunHeadless(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quba-cli"));
    QCoreApplication::setApplicationVersion(QString::fromUtf8(kVersion));
    // Qt adopts the user's locale; program texts and labels are printed with
    // the C library and must keep the decimal point whatever the locale says.
    std::setlocale(LC_NUMERIC, "C");
    QuietPictureReaders();

    ParseOutcome parsed =
        ParseArguments(QCoreApplication::arguments(), std::vector<std::string>(argv, argv + argc));
    if (parsed.action != ParseOutcome::Action::Run)
        return ReportInsteadOfRun(parsed);
    CliConfig& config = parsed.config;
    if (!config.openFormulaPath.empty())
        return OpenFormulaFile(config, std::cout, std::cerr);

    // Noise and runs draw from this one generator, noise first.
    RandomGenerator random;
    Outcome<GridPair> built = BuildRunGrids(config);
    if (!built.value) {
        std::cerr << built.message << '\n';
        return kExitFileError;
    }
    GridPair& grids = *built.value;
    std::optional<DataGrid> scoring;
    if (config.training.trainSize) {
        Outcome<DataGrid> full = BuildScoringGrid(config);
        if (!full.value) {
            std::cerr << full.message << '\n';
            return kExitFileError;
        }
        scoring = std::move(full.value);
    }
    AddRunNoise(grids, config, random);
    if (!config.saveTrainingPath.empty() &&
        !WriteOutput(Name(Cli::SaveTraining), config.saveTrainingPath,
                     QByteArray::fromStdString(DataFileText(*grids.Training())), std::cout,
                     std::cerr))
        return kExitFileError;

    AttachGrids(config.settings.problem, grids);
    auto checked = CheckCliStart(config, PhysicalMemoryBytes());
    if (const auto* refusal = std::get_if<std::string>(&checked)) {
        std::cerr << *refusal << '\n';
        return kExitRefused;
    }
    CheckedStart& start = std::get<CheckedStart>(checked);
    if (start.plusChecked)
        std::cerr << kNoFunctionMessage << '\n';
    // The record holds the settings the run was made with.
    config.settings = std::move(start.settings);
    config.settings.programBytes = ProgramFileBytes;

    ProgressReporter progress(std::cerr, ChooseProgressMode(config.quiet));
    RunRecorder recorder(config.outputName, progress, InterruptRequested);
    std::unique_ptr<Run> run;
    try {
        run = BuildRun(config.settings, BuildFunctionTable(), random);
        CatchInterrupt();
        RunEvolution(*run, recorder, recorder.RecordingClock(config.seed));
    } catch (const MemoryError& error) {
        progress.Finish();
        std::cerr << error.what() << std::endl;
        return kExitFileError;
    }
    if (WritesFronts(config))
        recorder.CompleteFronts(run->evaluators);
    if (scoring)
        RescoreOnFullGrid(recorder, *scoring, grids, run->evaluators);

    std::optional<Compression> compression;
    bool compressed = true;
    if (config.codec.Chooses() && !InterruptRequested()) {
        const DataGrid& grid = scoring ? *scoring : *grids.Training();
        const uint32_t seed =
            config.seed ? *config.seed : (recorder.Seeds().empty() ? 0 : recorder.Seeds()[0]);
        compression = ChosenFile(config, recorder, grid, seed, progress);
        compressed = compression.has_value();
    }
    const bool written =
        WriteRunOutputs(config, recorder, compression, std::cout, std::cerr) && compressed;
    if (InterruptRequested())
        return kExitInterrupted;
    return written ? kExitDone : kExitFileError;
}

} // namespace

int main(int argc, char* argv[]) {
    // Memory may run out anywhere, in a picture's decoder as in the run.
    try {
        return RunHeadless(argc, argv);
    } catch (const std::bad_alloc&) {
        std::cerr << kMemoryMessage << std::endl;
        return kExitFileError;
    }
}
