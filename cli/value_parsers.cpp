#include "cli/value_parsers.h"

#include "cli/output_file.h"
#include "core/decimal.h"
#include "data/patterns.h"
#include "setup/messages.h"
#include "setup/settings.h"

#include <charconv>
#include <climits>
#include <optional>

namespace quba {

namespace {

std::string Quoted(const std::string& text) {
    return "'" + text + "'";
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> items;
    size_t start = 0;
    for (size_t comma = text.find(separator); comma != std::string::npos;
         comma = text.find(separator, start)) {
        items.push_back(text.substr(start, comma - start));
        start = comma + 1;
    }
    items.push_back(text.substr(start));
    return items;
}

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The quba-cli names of the primitives, for messages.
std::string FunctionNames() {
    std::string names;
    for (const Primitive& primitive : kPrimitives)
        names += (names.empty() ? "" : " ") + std::string(primitive.cliName);
    return names;
}

} // namespace

int32_t IntegerInRange(const std::string& option, const std::string& text, int32_t lowest,
                       int32_t highest) {
    const std::string accepted =
        "not an integer from " + std::to_string(lowest) + " to " + std::to_string(highest) + ": ";
    int32_t value = 0;
    try {
        value = TextToInteger(text);
    } catch (const ConversionError&) {
        throw OptionError(option, accepted + Quoted(text));
    }
    if (value < lowest || value > highest)
        throw OptionError(option, accepted + Quoted(text));
    return value;
}

float DecimalValue(const std::string& option, const std::string& text) {
    if (!IsDecimalText(text))
        throw OptionError(option, "not a number: " + Quoted(text));
    try {
        return TextToFloat(text);
    } catch (const ConversionError&) {
        throw OptionError(option, "not a number within the 32-bit float range: " + Quoted(text));
    }
}

uint32_t SeedValue(const std::string& option, const std::string& text) {
    const char* first = text.c_str() + (!text.empty() && text[0] == '+' ? 1 : 0);
    const char* last = text.c_str() + text.size();
    uint32_t value = 0;
    const auto result = std::from_chars(first, last, value);
    if (first == last || result.ec != std::errc() || result.ptr != last)
        throw OptionError(option, "not an integer from 0 to 4294967295: " + Quoted(text));
    return value;
}

int32_t PatternIndexOf(const std::string& option, const std::string& text) {
    const int32_t index = PatternIndex(text.c_str());
    if (index < 0)
        throw OptionError(option, "not a pattern (circle, circle2, cup, line, line2, line3, "
                                  "\"S curve\"): " +
                                      Quoted(text));
    return index;
}

long double SettingValue(const SettingRow& setting, const std::string& text) {
    const std::string option = setting.option;
    switch (setting.kind) {
    case SettingKind::Integer:
        if (setting.lowest != INT32_MIN || setting.highest != INT32_MAX)
            return IntegerInRange(option, text, setting.lowest, setting.highest);
        try {
            return TextToInteger(text);
        } catch (const ConversionError&) {
            throw OptionError(option, "not an integer: " + Quoted(text));
        }
    case SettingKind::Switch:
        return 1;
    case SettingKind::Decimal:
        return DecimalValue(option, text);
    case SettingKind::Percent:
        if (text == "off")
            return 0;
        if (!IsDecimalText(text))
            throw OptionError(option, "not a percentage or off: " + Quoted(text));
        try {
            return ParseSettingText(setting, text);
        } catch (const ConversionError&) {
            throw OptionError(option, "not a percentage within range: " + Quoted(text));
        }
    case SettingKind::Choice:
        break;
    }
    try {
        return ParseSettingText(setting, text);
    } catch (const ConversionError&) {
        std::string names;
        for (const char* name : setting.choices)
            names += (names.empty() ? "" : ", ") + std::string(name);
        throw OptionError(option, "not one of " + names + ": " + Quoted(text));
    }
}

PictureFit PictureFitOf(const std::string& option, const std::string& text) {
    if (text == "crop")
        return PictureFit::Crop;
    if (text == "stretch")
        return PictureFit::Stretch;
    throw OptionError(option, "not a fit (crop, stretch): " + Quoted(text));
}

RedrawStyle RedrawStyleOf(const std::string& option, const std::string& text) {
    if (const auto style = RedrawStyleByName(text))
        return *style;
    throw OptionError(option, "not a style (grey, map): " + Quoted(text));
}

ExportTarget ExportTargetOf(const std::string& option, const std::string& text) {
    const size_t colon = text.find(':');
    std::string name = text.substr(0, colon);
    const std::string frontPrefix = "front-";
    const bool front = name.rfind(frontPrefix, 0) == 0;
    if (front)
        name.erase(0, frontPrefix.size());
    const auto format = ExportFormatByName(name);
    if (colon == std::string::npos || !format)
        throw OptionError(option, "not FORMAT:FILE with FORMAT one of c, python, glsl, latex, "
                                  "each also with front- before it: " +
                                      Quoted(text));
    return {*format, front, OutputFileName(option, text.substr(colon + 1))};
}

bool ArithmeticIsFast(const std::string& option, const std::string& text) {
    if (text == "exact" || text == "fast")
        return text == "fast";
    throw OptionError(option, "not an arithmetic (exact, fast): " + Quoted(text));
}

EvaluatorKind EvaluatorOf(const std::string& option, const std::string& text) {
    if (text == "batch")
        return EvaluatorKind::Batch;
    if (text == "reference")
        return EvaluatorKind::Reference;
    throw OptionError(option, "not an evaluator (batch, reference): " + Quoted(text));
}

std::array<bool, kFunctionCount> FunctionSetOf(const std::string& option, const std::string& text) {
    std::array<bool, kFunctionCount> checked{};
    if (Trimmed(text).empty())
        return checked;
    for (const std::string& item : Split(text, ',')) {
        const std::string name = Trimmed(item);
        const std::optional<PrimitiveId> primitive = PrimitiveByCliName(name);
        if (!primitive)
            throw OptionError(option, "not a function (" + FunctionNames() + "): " + Quoted(name));
        checked[static_cast<size_t>(*primitive)] = true;
    }
    return checked;
}

RangeValues RangeOf(const std::string& option, const std::string& text) {
    const std::vector<std::string> bounds = Split(text, ',');
    if (bounds.size() != 2 || !IsDecimalText(bounds[0]) || !IsDecimalText(bounds[1]))
        throw OptionError(option, "not two numbers LO,HI: " + Quoted(text));
    const RangeValues range{DecimalValue(option, bounds[0]), DecimalValue(option, bounds[1])};
    if (TextToExtended(bounds[0]) >= TextToExtended(bounds[1]))
        throw OptionError(option, kRangeMessage);
    return range;
}

std::string InputFileName(const std::string& option, const std::string& text) {
    if (text.empty())
        throw OptionError(option, "needs a file name");
    return text;
}

std::string OutputFileName(const std::string& option, const std::string& text) {
    const std::string problem = OutputProblem(text);
    if (!problem.empty())
        throw OptionError(option, problem);
    return text;
}

std::vector<std::string> PerPopulationItems(const std::string& option, const std::string& text,
                                            int32_t count) {
    std::vector<std::string> items;
    for (const std::string& item : Split(text, ','))
        items.push_back(Trimmed(item));
    if (items.size() == 1)
        return std::vector<std::string>(static_cast<size_t>(count), items[0]);
    if (items.size() != static_cast<size_t>(count)) {
        const std::string expected =
            count == 1 ? "1 value" : "1 or " + std::to_string(count) + " comma-separated values";
        throw OptionError(option, "expected " + expected + " (--populations " +
                                      std::to_string(count) + "), got " +
                                      std::to_string(items.size()) + ": " + Quoted(text));
    }
    return items;
}

} // namespace quba
