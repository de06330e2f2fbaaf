#include "engine/front.h"

#include "engine/misc.h"

#include <cmath>
#include <limits>

namespace quba {

bool SizeAccuracyFront::Consider(const Generation& ranked, int32_t generation) {
    bool improved = false;
    for (const auto& individual : ranked) {
        const float error = individual->rawFitness;
        if (!std::isfinite(error))
            continue;
        const auto size = static_cast<size_t>(sizeOf_ ? sizeOf_(*individual) : individual->length);
        if (bySize_.size() <= size)
            bySize_.resize(size + 1);
        Candidate& candidate = bySize_[size];
        if (!candidate.nodes.empty() && !(error < candidate.error))
            continue;
        candidate.nodes.assign(individual->nodes.begin(),
                               individual->nodes.begin() + individual->length);
        candidate.scaling = individual->scaling;
        candidate.error = error;
        candidate.generation = generation;
        improved = true;
    }
    return improved;
}

std::vector<BestProgram>
SizeAccuracyFront::Members(int32_t population, uint32_t seed,
                           const std::shared_ptr<const Problem>& problem) const {
    std::vector<BestProgram> members;
    float lowest = std::numeric_limits<float>::infinity();
    for (const Candidate& candidate : bySize_) {
        if (candidate.nodes.empty() || !(candidate.error < lowest))
            continue;
        lowest = candidate.error;
        BestProgram member;
        member.population = population;
        member.generation = candidate.generation;
        member.seed = seed;
        member.problem = problem;
        member.nodes = candidate.nodes;
        member.trainingFitness = candidate.error;
        member.scaling = candidate.scaling;
        member.validationFitness = std::numeric_limits<float>::quiet_NaN();
        members.push_back(std::move(member));
    }
    return members;
}

bool NeedsCompletion(const BestProgram& member) {
    return member.text.empty();
}

void CompleteFrontMember(BestProgram& member, const std::string& outputName,
                         FitnessEvaluators& evaluators) {
    const Problem& problem = *member.problem;
    member.validationFitness = static_cast<float>(
        ValidationFitness(evaluators, problem, member.nodes.data(), member.scaling));
    member.text = OutputText(outputName, problem, member.nodes.data(), member.scaling);
}

} // namespace quba
