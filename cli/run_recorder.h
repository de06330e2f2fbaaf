// The outlet of a headless run: it keeps what the desktop program's results
// page would show (curves, best programs and their text, last best picture)
// and reports progress. Everything quba-cli writes after a run comes from
// here.
#pragma once

#include "cli/progress_reporter.h"
#include "engine/gp.h"
#include "engine/run_outlet.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
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

class RunRecorder final : public RunOutlet {
public:
    // `stopRequested` is asked whenever the run asks whether to go on; true
    // ends the run there.
    RunRecorder(std::string outputName, ProgressReporter& progress,
                std::function<bool()> stopRequested);

    // The seed of every population: `seed` when given, else the calendar time;
    // each value handed out is noted in Seeds().
    SeedClock RecordingClock(std::optional<uint32_t> seed);

    [[nodiscard]] const std::vector<StepRecord>& History(int32_t population) const {
        return history_[population];
    }
    [[nodiscard]] const std::vector<uint32_t>& Seeds() const { return seeds_; }
    // Where the steps' time went, summed over the run.
    [[nodiscard]] const StepTimes& Times() const { return times_; }
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
    // The same by formula bytes.
    [[nodiscard]] const std::vector<BestProgram>& BytesFront(int32_t population) const {
        return bytesFronts_[population];
    }
    // Computes the validation error and text of every front member once the
    // run is over.
    void CompleteFronts(FitnessEvaluators& evaluators);
    // Scores the best programs and the fronts on another problem's cases
    // (the picture at its full size, after a run on a coarse one).
    void Rescore(const std::shared_ptr<const Problem>& problem, FitnessEvaluators& evaluators);
    // The best program's output on the training grid at the last step.
    [[nodiscard]] const std::optional<DataGrid>& LastTrainingPicture() const {
        return trainingPicture_;
    }

    void Started(const RunStart& start) override;
    void Stepped(const StepReport& report) override;
    void Ended(bool completed) override;
    bool KeepGoing() override;
    [[nodiscard]] std::string OutputName() const override { return outputName_; }

private:
    std::string outputName_;
    ProgressReporter& progress_;
    std::function<bool()> stopRequested_;
    std::array<std::vector<StepRecord>, 4> history_;
    std::vector<uint32_t> seeds_;
    std::string memo_;
    std::array<std::optional<BestProgram>, 4> best_;
    std::array<std::vector<BestProgram>, 4> fronts_;
    std::array<std::vector<BestProgram>, 4> bytesFronts_;
    std::optional<DataGrid> trainingPicture_;
    StepTimes times_;
};

} // namespace quba
