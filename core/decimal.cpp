#include "core/decimal.h"

#include <charconv>
#include <cstdlib>
#include <cstring>

namespace quba {

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

LeadingDigits LeadingDigitsOf(long double magnitude) {
    // A multiple of 2^-149 below 2^128 has at most 188 significant digits,
    // so with 160 only a carry through some 150 nines could reach the first
    // two; to_chars writes them as printf would, whatever the locale.
    char text[200];
    *std::to_chars(text, text + sizeof text - 1, magnitude, std::chars_format::scientific, 160)
         .ptr = '\0';
    return {text[0] - '0', text[2] - '0', std::atoi(std::strchr(text, 'e') + 1)};
}

} // namespace quba
