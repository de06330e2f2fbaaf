// Node-case evaluations per second of the recursive reference evaluator and
// of the batch evaluator, on random programs of fixed lengths over a 30 x 30
// grid (900 cases), one thread.
#include "engine/evaluator_factory.h"
#include "engine/functions.h"
#include "engine/problem.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

using namespace quba;

namespace {

struct Workload {
    std::unique_ptr<Problem> problem;
    std::vector<std::vector<int32_t>> programs;
    int64_t nodes = 0;
};

// Random prefix programs of exactly `length` nodes, from a fixed seed: a
// function is drawn only while its arguments still fit, so every growth ends
// at the length (without one-argument functions the length must be odd).
std::vector<std::vector<int32_t>> Programs(const Problem& problem, int32_t length, int count) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> unit(0, 1);
    const auto tableSize = static_cast<int32_t>(problem.nodeTable.size());
    auto pick = [&](int32_t lo, int32_t hi) {
        return std::uniform_int_distribution<int32_t>(lo, hi)(random);
    };
    std::vector<std::vector<int32_t>> programs;
    while (static_cast<int>(programs.size()) < count) {
        std::vector<int32_t> program;
        int32_t open = 1;
        while (open > 0) {
            const auto placed = static_cast<int32_t>(program.size());
            // A function of arity a leaves placed + 1 + (open - 1 + a) nodes at least.
            std::vector<int32_t> fitting;
            for (int32_t code = 0; code < problem.functionCount; ++code)
                if (placed + open + problem.nodeTable[code].arityMinus1 + 1 <= length)
                    fitting.push_back(code);
            const bool mustGrow = placed + open < length && !fitting.empty() &&
                                  (unit(random) < 0.6 || placed + open + 1 < length / 2);
            const int32_t code = mustGrow
                                     ? fitting[pick(0, static_cast<int32_t>(fitting.size()) - 1)]
                                     : pick(problem.functionCount, tableSize - 1);
            program.push_back(code);
            open += problem.nodeTable[code].arityMinus1;
        }
        if (static_cast<int32_t>(program.size()) == length)
            programs.push_back(program);
    }
    return programs;
}

// The problem of the default panel over the chosen functions, and 64 programs.
Workload Prepare(std::initializer_list<int> functions, int32_t length) {
    ProblemValues values;
    values.training = DataGrid(30);
    for (int r = 0; r < 30; ++r)
        for (int c = 0; c < 30; ++c) {
            const double u = (c - 14.5) / 15, v = (r - 14.5) / 15;
            values.training.At(r, c) = static_cast<float>(3 * u * u + 2 * v * v - 0.95);
        }
    for (int k : functions)
        values.functionChecked[k] = true;
    values.constantCount = 1000;
    values.constantLower = -1;
    values.constantUpper = 1;
    Workload w;
    w.problem = BuildProblem(values, BuildFunctionTable());
    w.programs = Programs(*w.problem, length, 64);
    w.nodes = static_cast<int64_t>(length) * 64 * 900;
    return w;
}

void Report(benchmark::State& state, const Workload& w) {
    state.counters["node-cases/s"] = benchmark::Counter(
        static_cast<double>(w.nodes), benchmark::Counter::kIsIterationInvariantRate);
}

template <EvaluatorKind Kind>
void Evaluate(benchmark::State& state, std::initializer_list<int> functions) {
    const Workload w = Prepare(functions, static_cast<int32_t>(state.range(0)));
    const std::unique_ptr<Evaluator> evaluator = MakeEvaluator(Kind);
    const CaseSet cases = w.problem->TrainingCases();
    for (auto _ : state)
        for (const auto& program : w.programs)
            benchmark::DoNotOptimize(
                evaluator->MeanSquaredError(*w.problem, program.data(), cases));
    Report(state, w);
}

void Arithmetic_Reference(benchmark::State& s) {
    Evaluate<EvaluatorKind::Reference>(s, {0, 1, 2, 3});
}
void Arithmetic_Batch(benchmark::State& s) {
    Evaluate<EvaluatorKind::Batch>(s, {0, 1, 2, 3});
}
void AllFunctions_Reference(benchmark::State& s) {
    Evaluate<EvaluatorKind::Reference>(s, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
}
void AllFunctions_Batch(benchmark::State& s) {
    Evaluate<EvaluatorKind::Batch>(s, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
}
void Conditionals_Reference(benchmark::State& s) {
    Evaluate<EvaluatorKind::Reference>(s, {0, 2, 10, 11});
}
void Conditionals_Batch(benchmark::State& s) {
    Evaluate<EvaluatorKind::Batch>(s, {0, 2, 10, 11});
}
void Arithmetic_Fast(benchmark::State& s) {
    Evaluate<EvaluatorKind::Fast>(s, {0, 1, 2, 3});
}
void AllFunctions_Fast(benchmark::State& s) {
    Evaluate<EvaluatorKind::Fast>(s, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
}
void Conditionals_Fast(benchmark::State& s) {
    Evaluate<EvaluatorKind::Fast>(s, {0, 2, 10, 11});
}

} // namespace

BENCHMARK(Arithmetic_Reference)->Arg(11)->Arg(31)->Arg(101);
BENCHMARK(Arithmetic_Batch)->Arg(11)->Arg(31)->Arg(101);
BENCHMARK(AllFunctions_Reference)->Arg(10)->Arg(30)->Arg(100);
BENCHMARK(AllFunctions_Batch)->Arg(10)->Arg(30)->Arg(100);
BENCHMARK(Conditionals_Reference)->Arg(11)->Arg(31)->Arg(101);
BENCHMARK(Conditionals_Batch)->Arg(11)->Arg(31)->Arg(101);
BENCHMARK(Arithmetic_Fast)->Arg(11)->Arg(31)->Arg(101);
BENCHMARK(AllFunctions_Fast)->Arg(10)->Arg(30)->Arg(100);
BENCHMARK(Conditionals_Fast)->Arg(11)->Arg(31)->Arg(101);

BENCHMARK_MAIN();
