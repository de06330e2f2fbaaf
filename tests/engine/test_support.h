// Shared helpers of the engine tests: a problem in the run table, programs
// written by node name, and a display double that records what a run shows.
#pragma once

#include "engine/display.h"
#include "engine/gp_pop.h"
#include "engine/misc.h"
#include "engine/problem.h"

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

// A square grid with every cell holding `value`, or filled by `cells`.
struct TestGrid {
    int32_t size = 0;
    std::vector<float> cells;
    static TestGrid Filled(int32_t size, float value);
    [[nodiscard]] GridView View() const { return {size, cells.data()}; }
};

// Installs a problem in RunTable slot 4 for the test's lifetime and keeps the
// generator state as it was.
class ScopedProblem {
public:
    explicit ScopedProblem(const ProblemSettings& settings);
    ScopedProblem(std::initializer_list<int> functionPositions, const TestGrid& grid,
                  int32_t constantCount = 3, const char* lower = "0", const char* upper = "1");
    ~ScopedProblem();
    ScopedProblem(const ScopedProblem&) = delete;
    ScopedProblem& operator=(const ScopedProblem&) = delete;

    Problem& problem() { return *runTable.problem; }
    // Node code of a function or variable name, or of constant number i ("#i").
    [[nodiscard]] int32_t Code(const std::string& name) const;
    [[nodiscard]] std::vector<int32_t> Program(std::initializer_list<std::string> names) const;

private:
    RandomState savedRandom_;
};

// Settings with the given function positions checked and one grid.
ProblemSettings SettingsWith(std::initializer_list<int> functionPositions, const TestGrid& grid,
                             int32_t constantCount, const char* lower, const char* upper);

Individual MakeIndividual(const std::vector<int32_t>& codes, int32_t maxLength);

// Evaluates a whole program at one point.
long double EvaluateAt(const std::vector<int32_t>& program, float x, float y);

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
    std::vector<std::pair<int32_t, int32_t>> statusSteps; // population, step
    std::vector<int32_t> progressPositions;
    int32_t progressMaximum = -1;
    int32_t statusLinesShown = 0;
    OutputGrid lastTrainingPicture, lastValidationPicture;
    std::string outputName = "C";
    int processCalls = 0;
    int stopAfterProcessCalls = -1; // end the run at that message processing
    std::function<void()> onProcess;

    void SetRunning(bool running) override { calls.push_back(running ? "running" : "idle"); }
    void ClearCurves() override { calls.push_back("clear"); }
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
    void SetBestText(const std::string& text) override { bestTexts.push_back(text); }
    void SetBestPictures(const OutputGrid& training, const OutputGrid& validation) override {
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

// Generator states that make the next draw return a chosen value.
RandomState StateBeforeRand15(int32_t value);
RandomState StateBeforeRand31(uint32_t highWord);
