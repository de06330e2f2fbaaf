#include "engine/gp.h"

#include "engine/gp_pop.h"
#include "engine/init.h"
#include "engine/misc.h"
#include "engine/run_outlet.h"
#include "engine/tune_best.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <new>
#include <time.h>

namespace quba {

uint32_t CalendarSeconds() {
    return static_cast<uint32_t>(std::time(nullptr));
}

std::unique_ptr<Run> BuildRunOn(std::shared_ptr<Problem> problem, const RunSettings& settings,
                                RandomGenerator& random) {
    try {
        auto run = std::make_unique<Run>(random, settings.evaluation);
        run->keepFronts = settings.keepFronts;
        run->search = settings.search;
        run->runTable.problem = std::move(problem);
        run->keepBytesFronts = static_cast<bool>(settings.programBytes);
        if (run->keepBytesFronts) {
            const std::shared_ptr<const Problem> shared = run->runTable.problem;
            const ProgramBytes measure = settings.programBytes;
            for (SizeAccuracyFront& front : run->bytesFronts)
                front = SizeAccuracyFront([shared, measure](const Individual& individual) {
                    return measure(*shared, individual.nodes.data(), individual.length,
                                   individual.scaling);
                });
        }
        const auto count = static_cast<int32_t>(settings.populations.size());
        for (int32_t i = 0; i < count; ++i)
            run->runTable.populations[i] = CreatePopulation(settings.populations[i]);
        run->runCounters.populationCount = count;
        return run;
    } catch (const MemoryError&) {
        throw;
    } catch (...) {
        throw MemoryError(kRunMemoryMessage);
    }
}

std::unique_ptr<Run> BuildRun(const RunSettings& settings, const FunctionTable& functions,
                              RandomGenerator& random) {
    std::shared_ptr<Problem> problem;
    try {
        problem = BuildProblem(settings.problem, functions);
    } catch (...) {
        throw MemoryError(kRunMemoryMessage);
    }
    return BuildRunOn(std::move(problem), settings, random);
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
    run.runCounters.generationCounts[i] = population.settings.generations;
}

namespace {

BestProgram BestOf(const Run& run, int32_t i, int32_t g, const Individual& best, float validation) {
    BestProgram program;
    program.population = i;
    program.generation = g;
    program.seed = run.seeds[i];
    program.problem = run.runTable.problem;
    program.nodes.assign(best.nodes.begin(), best.nodes.begin() + best.length);
    program.trainingFitness = best.rawFitness;
    program.validationFitness = validation;
    program.scaling = best.scaling;
    return program;
}

// Wall and processor time since it was made, or since the last lap.
class Stopwatch {
public:
    struct Lap {
        double wall = 0;
        double cpu = 0;
    };
    Lap Next() {
        const Point now = Now();
        const Lap lap{now.wall - last_.wall, now.cpu - last_.cpu};
        last_ = now;
        return lap;
    }

private:
    struct Point {
        double wall = 0;
        double cpu = 0;
    };
    static Point Now() {
        timespec cpu{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
        const auto wall = std::chrono::steady_clock::now().time_since_epoch();
        return {std::chrono::duration<double>(wall).count(),
                static_cast<double>(cpu.tv_sec) + 1e-9 * static_cast<double>(cpu.tv_nsec)};
    }
    Point last_ = Now();
};

} // namespace

bool GenerationStep(Run& run, int32_t g, int32_t i, RunOutlet& outlet) {
    Population& population = *run.runTable.populations[i];
    const Problem& problem = *run.runTable.problem;
    RunCounters& counters = run.runCounters;

    while (run.runTable.problem->paused)
        if (!outlet.KeepGoing())
            return false;

    StepReport report;
    report.population = i;
    report.generation = g;
    report.generations = counters.generationCounts[i];
    report.stepsDone = counters.stepsDone;
    Stopwatch stopwatch;

    AssignFitness(population, problem, run.evaluators, run.search.linearScaling);
    SortByFitness(population);
    const Individual& best = *population.Current()[0];
    const bool frontChanged = run.keepFronts && run.fronts[i].Consider(population.Current(), g);
    const bool bytesFrontChanged = run.keepFronts && run.keepBytesFronts &&
                                   run.bytesFronts[i].Consider(population.Current(), g);

    const auto validation = static_cast<float>(
        ValidationFitness(run.evaluators, problem, best.nodes.data(), best.scaling));
    const auto averageLength = static_cast<int32_t>(std::trunc(AverageLength(population)));
    RecordGeneration(population, g, validation, averageLength);
    report.validationFitness = validation;
    report.trainingFitness = best.rawFitness;
    report.averageLength = averageLength;
    report.bestLength = best.length;
    const Stopwatch::Lap evaluation = stopwatch.Next();

    if (run.drawPictures) {
        BestPictures pictures = DrawBestImages(population, problem, run.evaluators);
        report.trainingPicture = std::move(pictures.training);
        report.validationPicture = std::move(pictures.validation);
    }

    // The best program as this step found it, before its constants are tuned.
    report.best = BestOf(run, i, g, best, validation);
    report.best.text = OutputText(outlet.OutputName(), problem, best.nodes.data(), best.scaling);
    TuneBestPrograms(population, *run.runTable.problem, run.evaluators, run.search);

    Breed(run.random, problem, population);

    counters.bestTexts[i] = "[Population No" + std::to_string(i + 1) + "]\r\n" + report.best.text;
    report.bestText = JoinedBestTexts(counters);
    if (frontChanged)
        report.front = run.fronts[i].Members(i, run.seeds[i], run.runTable.problem);
    if (bytesFrontChanged)
        report.bytesFront = run.bytesFronts[i].Members(i, run.seeds[i], run.runTable.problem);
    const Stopwatch::Lap rest = stopwatch.Next();
    report.times = {evaluation.wall, evaluation.cpu, rest.wall, rest.cpu};
    outlet.Stepped(report);

    population.currentBuffer = 1 - population.currentBuffer;
    return outlet.KeepGoing();
}

namespace {

void ReleaseRun(Run& run) {
    for (int32_t i = 0; i < run.runCounters.populationCount; ++i)
        ReleasePopulation(run.runTable.populations[i], true);
    run.runTable.problem.reset();
}

// Steps every population round by round; false when the outlet ended the run.
bool RunRounds(Run& run, RunOutlet& outlet) {
    const int32_t count = run.runCounters.populationCount;
    int32_t g = 0;
    do {
        for (int32_t i = 0; i < count; ++i) {
            if (g >= run.runTable.populations[i]->settings.generations)
                continue;
            ++run.runCounters.stepsDone;
            if (!GenerationStep(run, g, i, outlet))
                return false;
        }
        ++g;
    } while (g < run.runCounters.generationBound);
    return true;
}

// The rounds of the run and the population whose points carry the labels:
// the first with the largest generation count.
void FixRounds(Run& run) {
    RunCounters& counters = run.runCounters;
    int32_t bound = run.runTable.populations[0]->settings.generations;
    int32_t label = 0;
    for (int32_t i = 1; i < counters.populationCount; ++i) {
        if (run.runTable.populations[i]->settings.generations > bound) {
            bound = run.runTable.populations[i]->settings.generations;
            label = i;
        }
    }
    counters.generationBound = bound;
    counters.labelPopulation = label;
}

} // namespace

void RunEvolution(Run& run, RunOutlet& outlet, const SeedClock& clock) {
    RunCounters& counters = run.runCounters;
    bool completed = false;
    try {
        counters.bestTexts = {};
        for (int32_t i = 0; i < counters.populationCount; ++i)
            StartPopulation(run, i, clock);
        FixRounds(run);

        const auto& counts = counters.generationCounts;
        // Four counts near the 32-bit limit would overflow their sum.
        const int64_t steps = int64_t{counts[0]} + counts[1] + counts[2] + counts[3];
        outlet.Started({counters.populationCount, counters.labelPopulation,
                        static_cast<int32_t>(std::min<int64_t>(steps, INT32_MAX))});
        completed = RunRounds(run, outlet);
    } catch (const std::bad_alloc&) {
        throw MemoryError(kMemoryMessage);
    }
    ReleaseRun(run);
    counters.generationCounts = {};
    counters.stepsDone = 0;
    outlet.Ended(completed);
}

} // namespace quba
