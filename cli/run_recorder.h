// The display of a headless run: it keeps what the GUI's results page would
// show (curves, best programs and their text, last best picture) and reports
// progress. Everything quba-cli writes after a run comes from here.
#pragma once

#include "cli/progress_reporter.h"
#include "engine/display.h"
#include "engine/gp.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace quba {

// The values one generation step published.
struct StepRecord {
    int32_t generation = 0;
    float validation = 0;
    float training = 0;
    int32_t averageLength = 0;
    int32_t bestLength = 0;
};

class RunRecorder final : public RunDisplay {
public:
    // `stopRequested` is asked at every message processing; true ends the run there.
    RunRecorder(std::string outputName, ProgressReporter& progress, std::ostream& messages,
                std::function<bool()> stopRequested);

    // The seed of every population: `seed` when given, else the calendar time;
    // each value handed out is noted in Seeds().
    SeedClock RecordingClock(std::optional<uint32_t> seed);

    [[nodiscard]] const std::vector<StepRecord>& History(int32_t population) const {
        return history_[population];
    }
    [[nodiscard]] const std::vector<uint32_t>& Seeds() const { return seeds_; }
    // Wall time of the steps' evaluation (from a step's status line to its
    // published figures: fitness, ranking, validation) and of the rest of the
    // run (pictures, breeding, texts, progress), in seconds.
    [[nodiscard]] double EvaluationSeconds() const { return evaluation_.count(); }
    [[nodiscard]] double OtherSeconds() const { return other_.count(); }
    [[nodiscard]] const std::string& Memo() const { return memo_; }
    // Population i's best program at its last step; none when it never stepped.
    [[nodiscard]] const std::optional<BestProgram>& Best(int32_t population) const {
        return best_[population];
    }
    [[nodiscard]] const std::array<std::optional<BestProgram>, 4>& BestPrograms() const {
        return best_;
    }
    // Population i's size-accuracy front as the last step that changed it left it.
    [[nodiscard]] const std::vector<BestProgram>& Front(int32_t population) const {
        return fronts_[population];
    }
    [[nodiscard]] const std::array<std::vector<BestProgram>, 4>& Fronts() const { return fronts_; }
    // Computes the validation error and text of every front member once the
    // run is over.
    void CompleteFronts(FitnessEvaluators& evaluators);
    // The best program's output on the training grid at the last step.
    [[nodiscard]] const std::optional<DataGrid>& LastTrainingPicture() const {
        return trainingPicture_;
    }

    void SetRunning(bool running) override;
    void ClearCurves(int32_t labelPopulation) override;
    void ShowStatusLines(int32_t populationCount) override;
    void SetStatusLine(int32_t population, int32_t step, int32_t generations) override;
    void SetProgressMaximum(int32_t maximum) override;
    void SetProgressPosition(int32_t position) override;
    void PublishCharts(int32_t population, int32_t generation, float validationFitness,
                       float trainingFitness, int32_t averageLength, int32_t bestLength) override;
    void SetBestProgram(const BestProgram& best) override;
    void SetBestText(const std::string& text) override;
    void SetFront(int32_t population, const std::vector<BestProgram>& members) override;
    void SetBestPictures(const DataGrid& training, const DataGrid& validation) override;
    void Refresh() override;
    bool ProcessPendingMessages() override;
    void Beep() override;
    [[nodiscard]] std::string OutputName() const override;
    void ShowFatalMessage(const std::string& message) override;

private:
    struct StatusLine {
        int32_t step = 0;
        int32_t generations = 0;
    };

    std::string outputName_;
    ProgressReporter& progress_;
    std::ostream& messages_;
    std::function<bool()> stopRequested_;
    std::array<std::vector<StepRecord>, 4> history_;
    std::array<StatusLine, 4> status_{};
    std::vector<uint32_t> seeds_;
    std::string memo_;
    std::array<std::optional<BestProgram>, 4> best_;
    std::array<std::vector<BestProgram>, 4> fronts_;
    std::optional<DataGrid> trainingPicture_;

    using Clock = std::chrono::steady_clock;
    Clock::time_point lastMark_ = Clock::now();
    std::chrono::duration<double> evaluation_{0};
    std::chrono::duration<double> other_{0};
    // Adds the time since the last mark to `total`.
    void Mark(std::chrono::duration<double>& total);
};

} // namespace quba
