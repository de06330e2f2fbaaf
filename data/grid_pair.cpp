#include "data/grid_pair.h"

#include "data/noise.h"

#include <utility>

namespace quba {

bool GridPair::SetTraining(DataGrid grid) {
    training_ = std::move(grid);
    if (!followsTraining_)
        return false;
    validation_ = training_;
    return true;
}

void GridPair::SetValidation(DataGrid grid) {
    validation_ = std::move(grid);
}

bool GridPair::SetFollowsTraining(bool follows) {
    followsTraining_ = follows;
    if (!follows || !training_)
        return false;
    validation_ = training_;
    return true;
}

bool GridPair::AddTrainingNoise(float clampedRatio, RandomGenerator& random, bool* copied) {
    if (!training_)
        return false;
    DataGrid* copy = followsTraining_ && validation_ ? &*validation_ : nullptr;
    AddNoise(*training_, clampedRatio, random, copy);
    if (copied != nullptr)
        *copied = copy != nullptr;
    return true;
}

bool GridPair::AddValidationNoise(float clampedRatio, RandomGenerator& random) {
    if (!validation_)
        return false;
    AddNoise(*validation_, clampedRatio, random);
    return true;
}

} // namespace quba
