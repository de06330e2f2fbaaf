#include "engine/gp.h"

#include "engine/display.h"
#include "engine/fitness.h"
#include "engine/gp_pop.h"
#include "engine/init.h"
#include "engine/misc.h"
#include "engine/problem.h"
#include "engine/settings.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <new>

RunCounters runCounters;

uint32_t CalendarSeconds() {
    return static_cast<uint32_t>(std::time(nullptr));
}

void ExitOnMemoryError(RunDisplay& display, const std::string& message) {
    display.ShowFatalMessage(message);
    std::exit(1);
}

void BuildRun(const ProblemSettings& problem, const PopulationSettings* populations, int32_t count,
              const FunctionTable& functions, RunDisplay& display) {
    try {
        runTable.problem = BuildProblem(problem, functions);
        for (int32_t i = 0; i < count; ++i)
            runTable.populations[i] = CreatePopulation(ReadPopulationValues(populations[i]));
    } catch (const MemoryExhausted& failure) {
        ExitOnMemoryError(display, failure.message);
    } catch (...) {
        ExitOnMemoryError(display, kRunMemoryMessage);
    }
}

std::string JoinedBestTexts() {
    const auto& t = runCounters.bestTexts;
    return t[0] + "\r\n\r\n" + t[1] + "\r\n\r\n" + t[2] + "\r\n\r\n" + t[3];
}

void StartPopulation(int32_t i, const SeedClock& clock) {
    SeedRandom(clock());
    Population& population = *runTable.populations[i];
    runTable.current = &population;
    InitializePopulation(population);
    runCounters.generationCounts[i] = population.generations;
}

bool GenerationStep(int32_t g, int32_t i, RunDisplay& display) {
    Population& population = *runTable.populations[i];
    runTable.current = &population;
    Problem& problem = CurrentProblem();

    while (problem.paused)
        if (!display.ProcessPendingMessages())
            return false;

    display.SetProgressPosition(runCounters.stepsDone);
    display.SetStatusLine(i, g + 1, runCounters.generationCounts[i]);

    AssignFitness(population);
    SortByFitness(population);
    const Individual& best = *population.Current()[0];

    const auto validation = static_cast<float>(ValidationFitness(best.nodes.data()));
    const auto averageLength = static_cast<int32_t>(std::trunc(AverageLength(population)));
    RecordGeneration(population, g, validation, averageLength);
    display.PublishCharts(i, g, validation, best.rawFitness, averageLength, best.length);
    DrawBestImages(population, display);
    display.Refresh();

    Breed(population);

    int32_t position = 0;
    runCounters.bestTexts[i] = "[Population No" + std::to_string(i + 1) + "]\r\n" +
                               display.OutputName() + "=" +
                               ProgramText(problem.nodeTable.data(), best.nodes.data(), position);
    display.SetBestText(JoinedBestTexts());

    population.currentBuffer = 1 - population.currentBuffer;
    return display.ProcessPendingMessages();
}

namespace {

void ReleaseRun(int32_t count) {
    for (int32_t i = 0; i < count; ++i)
        ReleasePopulation(runTable.populations[i], true);
    runTable.current = nullptr;
    runTable.problem.reset();
}

// Steps every population round by round; false when the display ended the run.
bool RunRounds(RunDisplay& display, int32_t count, int32_t rounds) {
    int32_t g = 0;
    do {
        for (int32_t i = 0; i < count; ++i) {
            if (g >= runTable.populations[i]->generations)
                continue;
            ++runCounters.stepsDone;
            if (!GenerationStep(g, i, display))
                return false;
        }
        ++g;
    } while (g < rounds);
    return true;
}

} // namespace

void RunEvolution(RunDisplay& display, const SeedClock& clock) {
    // The run keeps the population count and bound it started with, whatever
    // the panels do meanwhile.
    const int32_t count = runCounters.populationCount;
    try {
        display.SetRunning(true);
        runCounters.bestTexts = {};
        for (int32_t i = 0; i < count; ++i)
            StartPopulation(i, clock);

        int32_t bound = runTable.populations[0]->generations;
        int32_t label = 0;
        for (int32_t i = 1; i < count; ++i) {
            if (runTable.populations[i]->generations > bound) {
                bound = runTable.populations[i]->generations;
                label = i;
            }
        }
        runCounters.generationBound = bound;
        runCounters.labelPopulation = label;

        display.ClearCurves();
        display.ShowStatusLines(count);
        const auto& counts = runCounters.generationCounts;
        // Four counts near the 32-bit limit would overflow their sum.
        const int64_t steps = int64_t{counts[0]} + counts[1] + counts[2] + counts[3];
        display.SetProgressMaximum(static_cast<int32_t>(std::min<int64_t>(steps, INT32_MAX)));

        if (RunRounds(display, count, bound))
            display.Beep();
    } catch (const MemoryExhausted& failure) {
        ExitOnMemoryError(display, failure.message);
    } catch (const std::bad_alloc&) {
        ExitOnMemoryError(display, kMemoryMessage);
    }
    ReleaseRun(count);
    display.SetRunning(false);
    runCounters.generationCounts = {};
    runCounters.stepsDone = 0;
}
