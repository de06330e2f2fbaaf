// The texts the Start checks and the settings' handlers show.
#pragma once

namespace quba {

inline constexpr const char* kNoTrainingDataMessage =
    "You must load data set for training before GP run.";
inline constexpr const char* kNoValidationDataMessage =
    "You must load data set for validation before GP run.";
inline constexpr const char* kRateSumMessage = "The sum of operation rate must be 1.0";
inline constexpr const char* kNodeRatioMessage = "The sum of initial node ratio must be 1.0";
inline constexpr const char* kRangeMessage = "Please set the range of constants proparly";
inline constexpr const char* kNoFunctionMessage = "You must use 1 function at least.";

} // namespace quba
