#include "engine/gp.h"

#include "engine/display.h"
#include "engine/gp_pop.h"
#include "engine/init.h"
#include "engine/misc.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <new>

namespace quba {

uint32_t CalendarSeconds() {
    return static_cast<uint32_t>(std::time(nullptr));
}

void ExitOnMemoryError(RunDisplay& display, const std::string& message) {
    display.ShowFatalMessage(message);
    std::exit(1);
}

std::unique_ptr<Run> BuildRun(const RunSettings& settings, const FunctionTable& functions,
                              RandomGenerator& random, RunDisplay& display) {
    try {
        auto run = std::make_unique<Run>(random, settings.evaluation);
        run->keepFronts = settings.keepFronts;
        run->runTable.problem = BuildProblem(settings.problem, functions);
        const auto count = static_cast<int32_t>(settings.populations.size());
        for (int32_t i = 0; i < count; ++i)
            run->runTable.populations[i] = CreatePopulation(settings.populations[i]);
        run->runCounters.populationCount = count;
        return run;
    } catch (const MemoryExhausted& failure) {
        ExitOnMemoryError(display, failure.message);
    } catch (...) {
        ExitOnMemoryError(display, kRunMemoryMessage);
    }
}

std::string JoinedBestTexts(const RunCounters& counters) {
    const auto& t = counters.bestTexts;
    return t[0] + "\r\n\r\n" + t[1] + "\r\n\r\n" + t[2] + "\r\n\r\n" + t[3];
}

void StartPopulation(Run& run, int32_t i, const SeedClock& clock) {
    run.seeds[i] = clock();
    run.random.SeedRandom(run.seeds[i]);
    Population& population = *run.runTable.populations[i];
    InitializePopulation(run.random, *run.runTable.problem, population);
    run.runCounters.generationCounts[i] = population.generations;
}

namespace {

BestProgram BestOf(const Run& run, int32_t i, int32_t g, const Individual& best, float validation,
                   std::string text) {
    BestProgram program;
    program.population = i;
    program.generation = g;
    program.seed = run.seeds[i];
    program.problem = run.runTable.problem;
    program.nodes.assign(best.nodes.begin(), best.nodes.begin() + best.length);
    program.trainingFitness = best.rawFitness;
    program.validationFitness = validation;
    program.text = std::move(text);
    return program;
}

} // namespace

bool GenerationStep(Run& run, int32_t g, int32_t i, RunDisplay& display) {
    Population& population = *run.runTable.populations[i];
    const Problem& problem = *run.runTable.problem;
    RunCounters& counters = run.runCounters;

    while (run.runTable.problem->paused)
        if (!display.ProcessPendingMessages())
            return false;

    display.SetProgressPosition(counters.stepsDone);
    display.SetStatusLine(i, g + 1, counters.generationCounts[i]);

    AssignFitness(population, problem, run.evaluators);
    SortByFitness(population);
    const Individual& best = *population.Current()[0];
    const bool frontChanged = run.keepFronts && run.fronts[i].Consider(population.Current(), g);

    const auto validation =
        static_cast<float>(ValidationFitness(run.evaluators, problem, best.nodes.data()));
    const auto averageLength = static_cast<int32_t>(std::trunc(AverageLength(population)));
    RecordGeneration(population, g, validation, averageLength);
    display.PublishCharts(i, g, validation, best.rawFitness, averageLength, best.length);
    DrawBestImages(population, problem, run.evaluators, display);
    display.Refresh();

    Breed(run.random, problem, population);

    int32_t position = 0;
    std::string text = display.OutputName() + "=" +
                       ProgramText(problem.nodeTable.data(), best.nodes.data(), position);
    counters.bestTexts[i] = "[Population No" + std::to_string(i + 1) + "]\r\n" + text;
    display.SetBestProgram(BestOf(run, i, g, best, validation, std::move(text)));
    display.SetBestText(JoinedBestTexts(counters));
    if (frontChanged)
        display.SetFront(i, run.fronts[i].Members(i, run.seeds[i], run.runTable.problem));

    population.currentBuffer = 1 - population.currentBuffer;
    return display.ProcessPendingMessages();
}

namespace {

void ReleaseRun(Run& run) {
    for (int32_t i = 0; i < run.runCounters.populationCount; ++i)
        ReleasePopulation(run.runTable.populations[i], true);
    run.runTable.problem.reset();
}

// Steps every population round by round; false when the display ended the run.
bool RunRounds(Run& run, RunDisplay& display) {
    const int32_t count = run.runCounters.populationCount;
    int32_t g = 0;
    do {
        for (int32_t i = 0; i < count; ++i) {
            if (g >= run.runTable.populations[i]->generations)
                continue;
            ++run.runCounters.stepsDone;
            if (!GenerationStep(run, g, i, display))
                return false;
        }
        ++g;
    } while (g < run.runCounters.generationBound);
    return true;
}

} // namespace

void RunEvolution(Run& run, RunDisplay& display, const SeedClock& clock) {
    RunCounters& counters = run.runCounters;
    const int32_t count = counters.populationCount;
    try {
        display.SetRunning(true);
        counters.bestTexts = {};
        for (int32_t i = 0; i < count; ++i)
            StartPopulation(run, i, clock);

        int32_t bound = run.runTable.populations[0]->generations;
        int32_t label = 0;
        for (int32_t i = 1; i < count; ++i) {
            if (run.runTable.populations[i]->generations > bound) {
                bound = run.runTable.populations[i]->generations;
                label = i;
            }
        }
        counters.generationBound = bound;
        counters.labelPopulation = label;

        display.ClearCurves(label);
        display.ShowStatusLines(count);
        const auto& counts = counters.generationCounts;
        // Four counts near the 32-bit limit would overflow their sum.
        const int64_t steps = int64_t{counts[0]} + counts[1] + counts[2] + counts[3];
        display.SetProgressMaximum(static_cast<int32_t>(std::min<int64_t>(steps, INT32_MAX)));

        if (RunRounds(run, display))
            display.Beep();
    } catch (const MemoryExhausted& failure) {
        ExitOnMemoryError(display, failure.message);
    } catch (const std::bad_alloc&) {
        ExitOnMemoryError(display, kMemoryMessage);
    }
    ReleaseRun(run);
    display.SetRunning(false);
    counters.generationCounts = {};
    counters.stepsDone = 0;
}

} // namespace quba
