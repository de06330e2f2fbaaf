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

std::string ReproductionLabelText(const PopulationValues& values) {
    return DerivedLabelText(1.0L - values.crossoverRate - values.mutationRate -
                            values.onePointMutationRate);
}

std::string ConstantLabelText(const PopulationValues& values) {
    return DerivedLabelText(1.0L - values.functionRatio - values.variableRatio);
}

std::string ReproductionLabelText(const PopulationSettings& settings) {
    PopulationValues values;
    values.crossoverRate = TextToFloat(settings.Text(SettingField::Crossover));
    values.mutationRate = TextToFloat(settings.Text(SettingField::Mutation));
    values.onePointMutationRate = TextToFloat(settings.Text(SettingField::OnePoint));
    return ReproductionLabelText(values);
}

std::string ConstantLabelText(const PopulationSettings& settings) {
    PopulationValues values;
    values.functionRatio = TextToFloat(settings.Text(SettingField::FunctionRatio));
    values.variableRatio = TextToFloat(settings.Text(SettingField::VariableRatio));
    return ConstantLabelText(values);
}

bool LabelIsNegative(const std::string& labelText) {
    return TextToExtended(labelText) < 0;
}

} // namespace quba
