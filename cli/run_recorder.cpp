#include "cli/run_recorder.h"

#include "engine/front.h"
#include "engine/rescore.h"

#include <utility>

namespace quba {

RunRecorder::RunRecorder(std::string outputName, ProgressReporter& progress,
                         std::function<bool()> stopRequested)
    : outputName_(std::move(outputName)), progress_(progress),
      stopRequested_(std::move(stopRequested)) {}

SeedClock RunRecorder::RecordingClock(std::optional<uint32_t> seed) {
    return [this, seed] {
        const uint32_t value = seed ? *seed : CalendarSeconds();
        seeds_.push_back(value);
        return value;
    };
}

void RunRecorder::Started(const RunStart&) {
    for (auto& curve : history_)
        curve.clear();
    times_ = {};
}

void RunRecorder::Stepped(const StepReport& report) {
    history_[report.population].push_back({report.generation, report.validationFitness,
                                           report.trainingFitness, report.averageLength,
                                           report.bestLength});
    progress_.Step(report.population, report.generation + 1, report.generations,
                   report.trainingFitness, report.validationFitness);
    trainingPicture_ = report.trainingPicture;
    best_[report.population] = report.best;
    memo_ = report.bestText;
    if (report.front)
        fronts_[report.population] = *report.front;
    if (report.bytesFront)
        bytesFronts_[report.population] = *report.bytesFront;
    times_.evaluationWall += report.times.evaluationWall;
    times_.evaluationCpu += report.times.evaluationCpu;
    times_.restWall += report.times.restWall;
    times_.restCpu += report.times.restCpu;
}

void RunRecorder::Ended(bool) {
    progress_.Finish();
}

void RunRecorder::CompleteFronts(FitnessEvaluators& evaluators) {
    for (auto* fronts : {&fronts_, &bytesFronts_})
        for (auto& front : *fronts)
            for (BestProgram& member : front)
                if (NeedsCompletion(member))
                    CompleteFrontMember(member, outputName_, evaluators);
}

void RunRecorder::Rescore(const std::shared_ptr<const Problem>& problem,
                          FitnessEvaluators& evaluators) {
    for (auto& best : best_)
        if (best)
            best = Rescored(*best, problem, outputName_, evaluators);
    for (auto* fronts : {&fronts_, &bytesFronts_})
        for (auto& front : *fronts)
            front = RescoredFront(front, problem, outputName_, evaluators);
}

bool RunRecorder::KeepGoing() {
    return !stopRequested_();
}

} // namespace quba
