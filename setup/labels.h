// The derived Reproduction and Constant labels of a settings sheet.
#pragma once

#include "setup/settings.h"

#include <string>

namespace quba {

// The labels' display format: rounded half up to one significant digit (or to
// four decimals when that keeps fewer digits), printed with four decimals.
std::string DerivedLabelText(long double value);
// 1 - crossover - mutation - one-point, in the label format, from a sheet's
// texts; throws ConversionError when a text is not a number.
std::string ReproductionLabelText(const PopulationSettings& settings);
// 1 - function - variable, in the label format.
std::string ConstantLabelText(const PopulationSettings& settings);
// The same from typed values, as a sheet shows them once every field has
// been typed.
std::string ReproductionLabelText(const PopulationValues& values);
std::string ConstantLabelText(const PopulationValues& values);
// Whether a derived label's text reads as a number below 0.
bool LabelIsNegative(const std::string& labelText);

} // namespace quba
