// What keeping the size-accuracy fronts costs: the default run (circle,
// 30 x 30, one population of 1000, all cores) for 20 generations, with and
// without the fronts, side by side in one process (both make the same run);
// and, finer than the runs' spread, the fronts' own work on that run's
// evaluated buffers, step by step.
#include "data/patterns.h"
#include "engine/front.h"
#include "engine/functions.h"
#include "engine/gp.h"
#include "engine/run_outlet.h"

#include <benchmark/benchmark.h>

using namespace quba;

namespace {

class QuietOutlet : public RunOutlet {
public:
    void Started(const RunStart&) override {}
    void Stepped(const StepReport& report) override {
        if (report.front)
            benchmark::DoNotOptimize(report.front->data());
    }
    void Ended(bool) override {}
    bool KeepGoing() override { return true; }
    [[nodiscard]] std::string OutputName() const override { return "C"; }
};

// The main window's defaults on the circle pattern.
RunSettings DefaultRun(bool keepFronts) {
    RunSettings settings;
    ProblemValues& problem = settings.problem;
    for (int k = 0; k < 4; ++k)
        problem.functionChecked[k] = true;
    problem.constantCount = 1000;
    problem.constantLower = -1;
    problem.constantUpper = 1;
    problem.horizontalName = "X";
    problem.verticalName = "Y";
    problem.training = GeneratePattern(0, 30);
    PopulationValues population;
    population.populationSize = 1000;
    population.generations = 20;
    population.crossoverRate = 0.7f;
    population.mutationRate = 0.2f;
    population.eliteFraction = static_cast<float>(10 * 0.01L);
    population.maxLength = 100;
    population.maxInitialDepth = 5;
    population.functionRatio = 0.5f;
    population.variableRatio = 0.2f;
    settings.populations = {population};
    settings.keepFronts = keepFronts;
    return settings;
}

void BM_DefaultRun(benchmark::State& state) {
    const RunSettings settings = DefaultRun(state.range(0) != 0);
    const FunctionTable functions = BuildFunctionTable();
    for (auto _ : state) {
        RandomGenerator random;
        QuietOutlet outlet;
        const std::unique_ptr<Run> run = BuildRun(settings, functions, random);
        RunEvolution(*run, outlet, [] { return 1u; });
    }
    state.SetLabel(state.range(0) != 0 ? "with fronts" : "without fronts");
}

// Keeps a copy of every evaluated buffer of the run.
class CapturingOutlet final : public QuietOutlet {
public:
    const Run* run = nullptr;
    std::vector<Generation> steps;

    bool KeepGoing() override {
        // The step just made leaves its ranked, evaluated buffer as the other one.
        Population& population = *run->runTable.populations[0];
        Generation copy;
        for (const auto& individual : population.Next())
            copy.push_back(std::make_unique<Individual>(*individual));
        steps.push_back(std::move(copy));
        return true;
    }
};

void BM_FrontWork(benchmark::State& state) {
    RandomGenerator random;
    CapturingOutlet outlet;
    const std::unique_ptr<Run> run = BuildRun(DefaultRun(false), BuildFunctionTable(), random);
    outlet.run = run.get();
    RunEvolution(*run, outlet, [] { return 1u; });
    const std::shared_ptr<const Problem> problem = std::make_shared<Problem>();
    for (auto _ : state) {
        SizeAccuracyFront front;
        for (size_t g = 0; g < outlet.steps.size(); ++g)
            if (front.Consider(outlet.steps[g], static_cast<int32_t>(g)))
                benchmark::DoNotOptimize(front.Members(0, 1u, problem));
    }
    state.SetLabel("the fronts' work of one run");
}

} // namespace

BENCHMARK(BM_FrontWork)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BM_DefaultRun)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true)
    ->UseRealTime();

BENCHMARK_MAIN();
