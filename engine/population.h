// The records of a population: its settings, its two generation buffers of
// programs and its per-generation histories.
#pragma once

#include "engine/linear_scaling.h"
#include "engine/run_settings.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace quba {

struct Individual {
    std::vector<int32_t> nodes; // maxLength node codes; those past `length` are 0
    int32_t length = 0;
    float rawFitness = 0;        // mean squared error over the training cases
    float adjustedFitness = 0;   // 1 / (1 + rawFitness)
    float normalizedFitness = 0; // adjustedFitness / sum over the buffer
    // rawFitness was computed for exactly this program on this run's cases.
    bool rawFitnessKnown = false;
    // The fit of the program's output, with linear scaling; rawFitness is
    // the scaled output's error.
    std::optional<Scaling> scaling;
    // Its constants were tuned as they are: tuning them again finds nothing new.
    bool tuned = false;
};

using Generation = std::vector<std::unique_ptr<Individual>>;

struct Population {
    PopulationValues settings; // fixed for the whole run
    int32_t currentBuffer = 0; // the generation being evaluated; the other receives offspring
    // One entry for each generation step made so far.
    std::vector<float> validationHistory;
    std::vector<int32_t> averageLengthHistory;
    std::array<Generation, 2> buffers;

    Generation& Current() { return buffers[currentBuffer]; }
    [[nodiscard]] const Generation& Current() const { return buffers[currentBuffer]; }
    Generation& Next() { return buffers[1 - currentBuffer]; }
};

} // namespace quba
