#include "cli/run_recorder.h"

#include "engine/front.h"

#include <utility>

namespace quba {

RunRecorder::RunRecorder(std::string outputName, ProgressReporter& progress, std::ostream& messages,
                         std::function<bool()> stopRequested)
    : outputName_(std::move(outputName)), progress_(progress), messages_(messages),
      stopRequested_(std::move(stopRequested)) {}

SeedClock RunRecorder::RecordingClock(std::optional<uint32_t> seed) {
    return [this, seed] {
        const uint32_t value = seed ? *seed : CalendarSeconds();
        seeds_.push_back(value);
        return value;
    };
}

void RunRecorder::Mark(std::chrono::duration<double>& total) {
    const Clock::time_point now = Clock::now();
    total += now - lastMark_;
    lastMark_ = now;
}

void RunRecorder::SetRunning(bool running) {
    if (!running) {
        Mark(other_);
        progress_.Finish();
    }
}

void RunRecorder::ClearCurves(int32_t) {
    for (auto& curve : history_)
        curve.clear();
    // Timing starts once the populations are initialised.
    lastMark_ = Clock::now();
    evaluation_ = other_ = {};
}

// The number of populations and the progress bar only matter on screen.
void RunRecorder::ShowStatusLines(int32_t) {}
void RunRecorder::SetProgressMaximum(int32_t) {}
void RunRecorder::SetProgressPosition(int32_t) {}
void RunRecorder::Refresh() {}
void RunRecorder::Beep() {}

void RunRecorder::SetStatusLine(int32_t population, int32_t step, int32_t generations) {
    Mark(other_);
    status_[population] = {step, generations};
}

void RunRecorder::PublishCharts(int32_t population, int32_t generation, float validationFitness,
                                float trainingFitness, int32_t averageLength, int32_t bestLength) {
    Mark(evaluation_);
    history_[population].push_back(
        {generation, validationFitness, trainingFitness, averageLength, bestLength});
    const StatusLine& status = status_[population];
    progress_.Step(population, status.step, status.generations, trainingFitness, validationFitness);
}

void RunRecorder::SetBestProgram(const BestProgram& best) {
    best_[best.population] = best;
}

void RunRecorder::SetBestText(const std::string& text) {
    memo_ = text;
}

void RunRecorder::SetFront(int32_t population, const std::vector<BestProgram>& members) {
    fronts_[population] = members;
}

void RunRecorder::CompleteFronts(FitnessEvaluators& evaluators) {
    for (auto& front : fronts_)
        for (BestProgram& member : front)
            if (NeedsCompletion(member))
                CompleteFrontMember(member, outputName_, evaluators);
}

void RunRecorder::SetBestPictures(const DataGrid& training, const DataGrid&) {
    trainingPicture_ = training;
}

bool RunRecorder::ProcessPendingMessages() {
    return !stopRequested_();
}

std::string RunRecorder::OutputName() const {
    return outputName_;
}

void RunRecorder::ShowFatalMessage(const std::string& message) {
    progress_.Finish();
    messages_ << message << std::endl;
}

} // namespace quba
