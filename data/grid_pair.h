// The training and validation grids of a problem and the rule that binds
// them: while validation follows training it is a copy of the training
// grid, renewed with every new one, and noise added to training reaches it
// too. Both front ends hold their grids in one of these.
#pragma once

#include "core/grid.h"
#include "core/random.h"

#include <optional>

namespace quba {

class GridPair {
public:
    // Absent until a pattern is picked, a file loaded or a picture read.
    [[nodiscard]] const std::optional<DataGrid>& Training() const { return training_; }
    [[nodiscard]] const std::optional<DataGrid>& Validation() const { return validation_; }
    [[nodiscard]] bool FollowsTraining() const { return followsTraining_; }

    // A new training grid; true when the validation copy changed with it.
    bool SetTraining(DataGrid grid);
    void SetValidation(DataGrid grid);
    // Starting to follow copies training over validation (nothing happens
    // without a training grid); true when validation changed.
    bool SetFollowsTraining(bool follows);
    // trunc(N x N x ratio) random cells of training, and the same of its
    // copy while validation follows; false without a training grid. True in
    // `copied` when the copy took the noise.
    bool AddTrainingNoise(float clampedRatio, RandomGenerator& random, bool* copied = nullptr);
    // The same on validation alone; false without a validation grid.
    bool AddValidationNoise(float clampedRatio, RandomGenerator& random);

private:
    std::optional<DataGrid> training_;
    std::optional<DataGrid> validation_;
    bool followsTraining_ = true;
};

} // namespace quba
