#include "engine/tune_best.h"

#include "engine/constant_tuning.h"

#include <algorithm>
#include <cmath>

namespace quba {

namespace {

int32_t ProgramsToTune(const PopulationValues& settings, const SearchValues& search) {
    if (search.tunePrograms > 0)
        return std::min(search.tunePrograms, settings.populationSize);
    const long double elite =
        static_cast<long double>(settings.populationSize) * settings.eliteFraction;
    return std::clamp(static_cast<int32_t>(std::max(0.0L, std::min(elite, 1e9L))), 1,
                      settings.populationSize);
}

// A tuned program and what it scores.
struct Candidate {
    std::vector<int32_t> nodes;
    float error = 0;
    std::optional<Scaling> scaling;
};

} // namespace

void TuneBestPrograms(Population& population, Problem& problem, FitnessEvaluators& evaluators,
                      const SearchValues& search) {
    if (search.tuneIterations <= 0)
        return;
    Generation& ranked = population.Current();
    const int32_t count = ProgramsToTune(population.settings, search);
    const CaseSet cases = problem.TrainingCases();

    // The searches, side by side: the problem is only read.
    std::vector<TunedConstants> tuned(static_cast<size_t>(count));
    evaluators.ForEach(count, 1, [&](int32_t i, Evaluator&) {
        const Individual& individual = *ranked[static_cast<size_t>(i)];
        if (!individual.tuned && std::isfinite(individual.rawFitness))
            tuned[static_cast<size_t>(i)] =
                TuneConstants(problem, individual.nodes.data(), individual.length, cases,
                              search.tuneIterations, search.linearScaling);
    });

    // Their values as constants of the problem's own, in program order.
    std::vector<Candidate> candidates(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        const TunedConstants& found = tuned[static_cast<size_t>(i)];
        if (!found.changed)
            continue;
        const Individual& individual = *ranked[static_cast<size_t>(i)];
        Candidate& candidate = candidates[static_cast<size_t>(i)];
        candidate.nodes.assign(individual.nodes.begin(),
                               individual.nodes.begin() + individual.length);
        for (size_t j = 0; j < found.positions.size(); ++j)
            candidate.nodes[static_cast<size_t>(found.positions[j])] =
                AddOwnConstant(problem, found.values[j]);
    }

    // Scored as the run scores its programs.
    evaluators.ForEachOnThread(count, 1, [&](int32_t i, int32_t thread) {
        Candidate& candidate = candidates[static_cast<size_t>(i)];
        if (candidate.nodes.empty())
            return;
        if (search.linearScaling) {
            const ScaledFit fit =
                FitProgram(evaluators, thread, problem, candidate.nodes.data(), cases);
            candidate.scaling = fit.scaling;
            candidate.error = static_cast<float>(fit.error);
        } else {
            candidate.error = static_cast<float>(evaluators.ForThread(thread).MeanSquaredError(
                problem, candidate.nodes.data(), cases));
        }
    });

    for (int32_t i = 0; i < count; ++i) {
        const Candidate& candidate = candidates[static_cast<size_t>(i)];
        Individual& individual = *ranked[static_cast<size_t>(i)];
        individual.tuned = true;
        if (candidate.nodes.empty() || !(candidate.error < individual.rawFitness))
            continue;
        std::copy(candidate.nodes.begin(), candidate.nodes.end(), individual.nodes.begin());
        individual.rawFitness = candidate.error;
        individual.scaling = candidate.scaling;
    }
}

} // namespace quba
