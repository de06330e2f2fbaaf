#include "engine/settings.h"

#include "engine/problem.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <unistd.h>

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

size_t DecimalPrefixLength(std::string_view text) {
    size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    const size_t integerStart = i;
    while (i < text.size() && IsDigit(text[i]))
        ++i;
    size_t digits = i - integerStart;
    if (i < text.size() && text[i] == '.') {
        const size_t fractionStart = ++i;
        while (i < text.size() && IsDigit(text[i]))
            ++i;
        digits += i - fractionStart;
    }
    // A point needs a digit on at least one side of it.
    if (digits == 0)
        return 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            ++j;
        if (j < text.size() && IsDigit(text[j])) {
            while (j < text.size() && IsDigit(text[j]))
                ++j;
            i = j;
        }
    }
    return i;
}

bool IsDecimalText(const std::string& text) {
    return !text.empty() && DecimalPrefixLength(text) == text.size();
}

bool IsIncompleteDecimal(std::string_view text) {
    // What typing may still complete: a sign, a point, digits with a point,
    // then an exponent mark and its sign, in that order.
    size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    bool digits = false;
    while (i < text.size() && IsDigit(text[i])) {
        ++i;
        digits = true;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i])) {
            ++i;
            digits = true;
        }
    }
    if (i == text.size())
        return !digits && !text.empty();
    if (!digits || (text[i] != 'e' && text[i] != 'E'))
        return false;
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    return i == text.size();
}

namespace {

// Power of ten of the first significant digit of a decimal text, or 0 when
// every digit is 0. Used to tell an underflow from an overflow.
long long LeadingDecimalExponent(const std::string& text) {
    size_t i = (text[0] == '+' || text[0] == '-') ? 1 : 0;
    long long position = 0;
    bool found = false;
    long long integerDigits = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i, ++integerDigits)
        if (!found && text[i] != '0') {
            found = true;
            position = integerDigits; // counted from the left for now
        }
    if (found)
        position = integerDigits - 1 - position;
    if (i < text.size() && text[i] == '.') {
        long long fraction = 0;
        for (++i; i < text.size() && IsDigit(text[i]); ++i) {
            ++fraction;
            if (!found && text[i] != '0') {
                found = true;
                position = -fraction;
            }
        }
    }
    if (!found)
        return 0;
    long long exponent = 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        const bool negative = i < text.size() && text[i] == '-';
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            ++i;
        for (; i < text.size() && IsDigit(text[i]); ++i)
            exponent = std::min(exponent * 10 + (text[i] - '0'), 1000000000LL);
        if (negative)
            exponent = -exponent;
    }
    return position + exponent;
}

[[noreturn]] void ThrowNotFloat(const std::string& text) {
    throw ConversionError("'" + text + "' is not a valid floating point value");
}

// from_chars does not take a leading '+'.
const char* NumberStart(const std::string& text) {
    return text.c_str() + (!text.empty() && text[0] == '+' ? 1 : 0);
}

template <typename T> T ParseDecimal(const std::string& text) {
    if (!IsDecimalText(text))
        ThrowNotFloat(text);
    T value{};
    const char* end = text.c_str() + text.size();
    const auto result = std::from_chars(NumberStart(text), end, value);
    if (result.ec != std::errc() || result.ptr != end) {
        // A magnitude too small for the type reads as zero of its sign.
        if (result.ec == std::errc::result_out_of_range && LeadingDecimalExponent(text) < 0)
            return text[0] == '-' ? -T(0) : T(0);
        ThrowNotFloat(text);
    }
    return value;
}

} // namespace

int32_t TextToInteger(const std::string& text) {
    int32_t value = 0;
    const char* end = text.c_str() + text.size();
    const size_t sign = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
    const bool wellFormed = sign < text.size() && IsDigit(text[sign]);
    const auto result = std::from_chars(NumberStart(text), end, value);
    if (!wellFormed || result.ec != std::errc() || result.ptr != end)
        throw ConversionError("'" + text + "' is not a valid integer value");
    return value;
}

float TextToFloat(const std::string& text) {
    return ParseDecimal<float>(text);
}

long double TextToExtended(const std::string& text) {
    return ParseDecimal<long double>(text);
}

PopulationValues ReadPopulationValues(const PopulationSettings& settings) {
    PopulationValues values;
    values.populationSize = TextToInteger(settings.populationSizeText);
    values.generations = TextToInteger(settings.generationsText);
    values.selectionMethod = settings.selectionMethod;
    if (settings.selectionMethod == 1)
        values.tournamentSize = TextToInteger(settings.tournamentSizeText);
    values.crossoverRate = TextToFloat(settings.crossoverText);
    values.mutationRate = TextToFloat(settings.mutationText);
    values.onePointMutationRate = TextToFloat(settings.onePointText);
    values.eliteFraction =
        settings.eliteChecked ? static_cast<float>(TextToExtended(settings.eliteText) * 0.01L) : 0;
    values.maxLength = TextToInteger(settings.maxLengthText);
    values.maxInitialDepth = TextToInteger(settings.maxInitialDepthText);
    values.functionRatio = TextToFloat(settings.functionRatioText);
    values.variableRatio = TextToFloat(settings.variableRatioText);
    return values;
}

LeadingDigits LeadingDigitsOf(long double magnitude) {
    // A multiple of 2^-149 below 2^128 has at most 188 significant digits,
    // so with 160 only a carry through some 150 nines could reach the first
    // two; to_chars writes them as printf would, whatever the locale.
    char text[200];
    *std::to_chars(text, text + sizeof text - 1, magnitude, std::chars_format::scientific, 160)
         .ptr = '\0';
    return {text[0] - '0', text[2] - '0', std::atoi(std::strchr(text, 'e') + 1)};
}

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

namespace {

std::optional<Refusal>
FirstFailure(int32_t population,
             std::initializer_list<std::pair<SettingField, std::function<void()>>> reads) {
    for (const auto& [field, read] : reads) {
        try {
            read();
        } catch (const ConversionError& error) {
            return Refusal{population, field, error.what()};
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<Refusal> CheckPopulationTexts(const PopulationSettings& s, int32_t population) {
    const bool tournament = s.selectionMethod == 1;
    return FirstFailure(
        population, {{SettingField::PopulationSize, [&] { TextToInteger(s.populationSizeText); }},
                     {SettingField::Generations, [&] { TextToInteger(s.generationsText); }},
                     {SettingField::TournamentSize,
                      [&] {
                          if (tournament)
                              TextToInteger(s.tournamentSizeText);
                      }},
                     {SettingField::Crossover, [&] { TextToFloat(s.crossoverText); }},
                     {SettingField::Mutation, [&] { TextToFloat(s.mutationText); }},
                     {SettingField::OnePoint, [&] { TextToFloat(s.onePointText); }},
                     {SettingField::Elite,
                      [&] {
                          if (s.eliteChecked)
                              TextToExtended(s.eliteText);
                      }},
                     {SettingField::MaxLength, [&] { TextToInteger(s.maxLengthText); }},
                     {SettingField::MaxInitialDepth, [&] { TextToInteger(s.maxInitialDepthText); }},
                     {SettingField::FunctionRatio, [&] { TextToFloat(s.functionRatioText); }},
                     {SettingField::VariableRatio, [&] { TextToFloat(s.variableRatioText); }}});
}

std::optional<Refusal> CheckProblemTexts(const ProblemSettings& s) {
    return FirstFailure(-1,
                        {{SettingField::ConstantCount, [&] { TextToInteger(s.constantCountText); }},
                         {SettingField::RangeLower, [&] { TextToFloat(s.rangeLowerText); }},
                         {SettingField::RangeUpper, [&] { TextToFloat(s.rangeUpperText); }}});
}

std::optional<Refusal> CheckRunLimits(const ProblemSettings& problem,
                                      const PopulationSettings* populations,
                                      int32_t populationCount, uint64_t physicalMemory) {
    const int32_t constantCount = TextToInteger(problem.constantCountText);
    if (constantCount < 1)
        return Refusal{-1, SettingField::ConstantCount, "Number of constants must be at least 1."};
    // Every constant has a node table entry and a value in the problem record.
    const long double constantMemory =
        static_cast<long double>(constantCount) * (sizeof(NodeEntry) + sizeof(float));
    if (constantMemory > static_cast<long double>(physicalMemory))
        return Refusal{-1, SettingField::ConstantCount,
                       "Not enough memory for this number of constants."};
    long double memory = 0;
    for (int32_t i = 0; i < populationCount; ++i) {
        const PopulationValues v = ReadPopulationValues(populations[i]);
        auto refuse = [i](SettingField field, const char* message) {
            return Refusal{i, field, message};
        };
        if (v.populationSize < 2)
            return refuse(SettingField::PopulationSize, "Population size must be at least 2.");
        if (v.generations < 0)
            return refuse(SettingField::Generations, "Generation must not be negative.");
        if (v.selectionMethod == 1 && v.tournamentSize < 1)
            return refuse(SettingField::TournamentSize, "Tournament size must be at least 1.");
        if (v.maxLength < 70)
            return refuse(SettingField::MaxLength, "Maximum length must be at least 70.");
        if (v.functionRatio >= 1)
            return refuse(SettingField::FunctionRatio, "Function ratio must be below 1.");
        memory += 2.0L * v.populationSize * v.maxLength * sizeof(int32_t);
    }
    if (memory > static_cast<long double>(physicalMemory))
        return Refusal{0, SettingField::Memory,
                       "Not enough memory for populations of this size and maximum length."};
    return std::nullopt;
}

uint64_t PhysicalMemoryBytes() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0)
        return UINT64_MAX;
    return static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize);
}
