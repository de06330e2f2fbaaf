#include "setup/labels.h"

#include "core/decimal.h"

#include <cmath>

namespace quba {

std::string DerivedLabelText(long double value) {
    if (value == 0 || std::isnan(value))
        return "0.0000";
    const LeadingDigits digits = LeadingDigitsOf(std::fabs(value));
    int digit = digits.first;
    int exponent = digits.exponent;
    std::string magnitude;
    if (exponent >= -4) {
        if (digits.next >= 5 && ++digit == 10) {
            digit = 1;
            ++exponent;
        }
        if (exponent >= 0)
            magnitude = std::to_string(digit) + std::string(exponent, '0') + ".0000";
        else
            magnitude = "0." + std::string(-exponent - 1, '0') + std::to_string(digit) +
                        std::string(4 + exponent, '0');
    } else {
        // Below 10^-4 the value rounds to four decimals: 0.0001 or 0.
        magnitude = (exponent == -5 && digit >= 5) ? "0.0001" : "0.0000";
    }
    const bool zero = magnitude == "0.0000";
    return (value < 0 && !zero ? "-" : "") + magnitude;
}

std::string ReproductionLabelText(const PopulationSettings& settings) {
    const long double crossover = TextToFloat(settings.crossoverText);
    const long double mutation = TextToFloat(settings.mutationText);
    const long double onePoint = TextToFloat(settings.onePointText);
    return DerivedLabelText(1.0L - crossover - mutation - onePoint);
}

std::string ConstantLabelText(const PopulationSettings& settings) {
    const long double function = TextToFloat(settings.functionRatioText);
    const long double variable = TextToFloat(settings.variableRatioText);
    return DerivedLabelText(1.0L - function - variable);
}

bool LabelIsNegative(const std::string& labelText) {
    return TextToExtended(labelText) < 0;
}

PopulationSettings WithDerivedLabels(PopulationSettings settings) {
    settings.reproductionLabelText = ReproductionLabelText(settings);
    settings.constantLabelText = ConstantLabelText(settings);
    return settings;
}

} // namespace quba
