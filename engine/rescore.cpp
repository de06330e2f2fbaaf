#include "engine/rescore.h"

#include "engine/misc.h"

#include <limits>

namespace quba {

BestProgram Rescored(const BestProgram& program, const std::shared_ptr<const Problem>& problem,
                     const std::string& outputName, FitnessEvaluators& evaluators) {
    BestProgram rescored = program;
    rescored.problem = problem;
    const int32_t* nodes = rescored.nodes.data();
    if (rescored.scaling)
        rescored.scaling =
            FitProgram(evaluators, 0, *problem, nodes, problem->TrainingCases()).scaling;
    rescored.trainingFitness =
        static_cast<float>(TrainingFitness(evaluators, *problem, nodes, rescored.scaling));
    rescored.validationFitness =
        static_cast<float>(ValidationFitness(evaluators, *problem, nodes, rescored.scaling));
    rescored.text = OutputText(outputName, *problem, nodes, rescored.scaling);
    return rescored;
}

std::vector<BestProgram> RescoredFront(const std::vector<BestProgram>& front,
                                       const std::shared_ptr<const Problem>& problem,
                                       const std::string& outputName,
                                       FitnessEvaluators& evaluators) {
    std::vector<BestProgram> members;
    float lowest = std::numeric_limits<float>::infinity();
    for (const BestProgram& member : front) {
        BestProgram rescored = Rescored(member, problem, outputName, evaluators);
        if (!(rescored.trainingFitness < lowest))
            continue;
        lowest = rescored.trainingFitness;
        members.push_back(std::move(rescored));
    }
    return members;
}

} // namespace quba
