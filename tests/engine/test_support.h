// Shared helpers of the engine tests: a problem with a generator of its own,
// programs written by node name, and an outlet double that records what a run
// reports.
#pragma once

#include "core/grid.h"
#include "core/random.h"
#include "engine/fitness.h"
#include "engine/population.h"
#include "engine/problem.h"
#include "engine/run_outlet.h"
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

// Records everything a run reports and asks.
class RecordingOutlet : public RunOutlet {
public:
    struct Published {
        int32_t population, generation;
        float validation, training;
        int32_t averageLength, bestLength;
    };
    std::vector<std::string> calls; // "running", "beep", "idle" in order
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

    void Started(const RunStart& start) override {
        calls.push_back("running");
        labelPopulation = start.labelPopulation;
        statusLinesShown = start.populationCount;
        progressMaximum = start.progressMaximum;
    }
    void Stepped(const StepReport& report) override {
        progressPositions.push_back(report.stepsDone);
        statusSteps.emplace_back(report.population, report.generation + 1);
        published.push_back({report.population, report.generation, report.validationFitness,
                             report.trainingFitness, report.averageLength, report.bestLength});
        lastTrainingPicture = report.trainingPicture;
        lastValidationPicture = report.validationPicture;
        bestPrograms.push_back(report.best);
        bestTexts.push_back(report.bestText);
        if (report.front) {
            fronts[report.population] = *report.front;
            ++frontUpdates;
        }
    }
    void Ended(bool completed) override {
        if (completed)
            calls.push_back("beep");
        calls.push_back("idle");
    }
    bool KeepGoing() override {
        ++processCalls;
        if (onProcess)
            onProcess();
        return stopAfterProcessCalls < 0 || processCalls < stopAfterProcessCalls;
    }
    [[nodiscard]] std::string OutputName() const override { return outputName; }
};

} // namespace quba
