// One population's best program after a generation step, or a member of its
// size-accuracy front, with the problem whose node table its codes index. It
// stays valid after the run has ended, so that a front end can print it,
// redraw it or export it.
#pragma once

#include "engine/linear_scaling.h"
#include "engine/problem.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quba {

struct BestProgram {
    int32_t population = 0; // 0-based
    int32_t generation = 0;
    uint32_t seed = 0; // the population's seed
    std::shared_ptr<const Problem> problem;
    std::vector<int32_t> nodes; // the program's `length` codes
    float trainingFitness = 0;  // its rawFitness
    float validationFitness = 0;
    std::optional<Scaling> scaling; // with linear scaling: the output is a + b f
    std::string text;               // the output name, "=" and ProgramText
};

} // namespace quba
