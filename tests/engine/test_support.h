// Shared helpers of the engine tests: a problem with a generator of its own,
// programs written by node name, and a display double that records what a run
// shows.
#pragma once

#include "core/grid.h"
#include "core/random.h"
#include "engine/display.h"
#include "engine/fitness.h"
#include "engine/population.h"
#include "engine/problem.h"
#include "tests/core/grids.h"
#include "tests/core/random_states.h"

#include <array>
#include <functional>
#include <initializer_list>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace quba {

// Values with the given function positions checked and one grid that
// validation copies; the range bounds are texts as a field holds them.
ProblemValues ValuesWith(std::initializer_list<int> functionPositions, const DataGrid& grid,
                         int32_t constantCount, const char* lower, const char* upper);

// A function set and a range of constants that random programs are drawn
// over; `expectFailures` when the range is wide enough that some must fail.
struct Workload {
    std::vector<int> functions;
    const char* lower;
    const char* upper;
    bool expectFailures = false;
};
// The workload's values on `grid` with `constantCount` constants.
ProblemValues ValuesOf(const Workload& workload, const DataGrid& grid, int32_t constantCount);

// A problem built for a test, the generator its operators draw from, and
// evaluators of both kinds.
class ScopedProblem {
public:
    explicit ScopedProblem(const ProblemValues& values);
    ScopedProblem(std::initializer_list<int> functionPositions, const DataGrid& grid,
                  int32_t constantCount = 3, const char* lower = "0", const char* upper = "1");
    ScopedProblem(const ScopedProblem&) = delete;
    ScopedProblem& operator=(const ScopedProblem&) = delete;

    Problem& problem() { return *problem_; }
    [[nodiscard]] const std::shared_ptr<Problem>& Shared() const { return problem_; }
    // Node code of a function or variable name, or of constant number i ("#i").
    [[nodiscard]] int32_t Code(const std::string& name) const;
    [[nodiscard]] std::vector<int32_t> Program(std::initializer_list<std::string> names) const;
    // Evaluates a whole program at one point; `failed` tells whether the
    // evaluation met a floating-point error.
    long double EvaluateAt(const std::vector<int32_t>& program, float x, float y,
                           bool* failed = nullptr) const;

    RandomGenerator random;
    FitnessEvaluators evaluators{EvaluationOptions{}};
    FitnessEvaluators reference{EvaluationOptions{EvaluatorKind::Reference, 1}};

private:
    std::shared_ptr<Problem> problem_;
};

// A random well-formed prefix program of at most `maxLength` nodes over the
// whole node table, from a generator of the test's own.
std::vector<int32_t> RandomProgram(const Problem& problem, std::mt19937& random, int32_t maxLength,
                                   double functionShare);

Individual MakeIndividual(const std::vector<int32_t>& codes, int32_t maxLength);

// A population's values as the default settings sheet gives them.
PopulationValues DefaultPopulationValues();
// A run on `grid` (validation a copy of it) with the default problem panel
// and `count` populations of default values.
RunSettings DefaultRunSettings(const DataGrid& grid, int32_t count);

// Records every display operation a run performs.
class RecordingDisplay : public RunDisplay {
public:
    struct Published {
        int32_t population, generation;
        float validation, training;
        int32_t averageLength, bestLength;
    };
    std::vector<std::string> calls; // operation names in order
    std::vector<Published> published;
    std::vector<std::string> bestTexts;
    std::vector<BestProgram> bestPrograms;
    std::array<std::vector<BestProgram>, 4> fronts; // as the last change left them
    int frontUpdates = 0;
    std::vector<std::pair<int32_t, int32_t>> statusSteps; // population, step
    std::vector<int32_t> progressPositions;
    int32_t progressMaximum = -1;
    int32_t statusLinesShown = 0;
    int32_t labelPopulation = -1;
    DataGrid lastTrainingPicture, lastValidationPicture;
    std::string outputName = "C";
    int processCalls = 0;
    int stopAfterProcessCalls = -1; // end the run at that message processing
    std::function<void()> onProcess;

    void SetRunning(bool running) override { calls.push_back(running ? "running" : "idle"); }
    void ClearCurves(int32_t label) override {
        calls.push_back("clear");
        labelPopulation = label;
    }
    void ShowStatusLines(int32_t count) override { statusLinesShown = count; }
    void SetStatusLine(int32_t population, int32_t step, int32_t) override {
        statusSteps.emplace_back(population, step);
    }
    void SetProgressMaximum(int32_t maximum) override { progressMaximum = maximum; }
    void SetProgressPosition(int32_t position) override { progressPositions.push_back(position); }
    void PublishCharts(int32_t population, int32_t generation, float validation, float training,
                       int32_t averageLength, int32_t bestLength) override {
        published.push_back(
            {population, generation, validation, training, averageLength, bestLength});
    }
    void SetBestProgram(const BestProgram& best) override { bestPrograms.push_back(best); }
    void SetBestText(const std::string& text) override { bestTexts.push_back(text); }
    void SetFront(int32_t population, const std::vector<BestProgram>& members) override {
        fronts[population] = members;
        ++frontUpdates;
    }
    void SetBestPictures(const DataGrid& training, const DataGrid& validation) override {
        lastTrainingPicture = training;
        lastValidationPicture = validation;
    }
    void Refresh() override {}
    bool ProcessPendingMessages() override {
        ++processCalls;
        if (onProcess)
            onProcess();
        return stopAfterProcessCalls < 0 || processCalls < stopAfterProcessCalls;
    }
    void Beep() override { calls.push_back("beep"); }
    [[nodiscard]] std::string OutputName() const override { return outputName; }
    void ShowFatalMessage(const std::string& message) override { calls.push_back(message); }
};

} // namespace quba
