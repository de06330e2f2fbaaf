// Numbers written as text, in the one grammar every input shares (the
// settings' fields, quba-cli's options, data files), and the leading digits
// of a value's exact decimal expansion, which the displayed numbers round.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace quba {

// A text that does not hold a number of the asked kind.
class ConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "[+-]digits" within 32 bits.
int32_t TextToInteger(const std::string& text);
// C's decimal form to the nearest 32-bit float: a sign, digits with a point
// that has a digit on at least one side ("5", "5.", ".5"), then an exponent
// "e[+-]digits". A magnitude too small for the type reads as a zero.
float TextToFloat(const std::string& text);
// The same grammar read in extended precision.
long double TextToExtended(const std::string& text);
// Whether `text` is a decimal number of that grammar.
bool IsDecimalText(const std::string& text);
// Length of the decimal number that `text` starts with, 0 when none; an
// exponent mark without digits ends the number before it.
size_t DecimalPrefixLength(std::string_view text);
// Whether `text` is no decimal yet but the start of one that typing may
// complete: "-", ".", "-.", "1e", "2.5E-". The empty text is not.
bool IsIncompleteDecimal(std::string_view text);

// The first two digits of a magnitude's exact decimal expansion and the power
// of ten of the first: 0.0347 gives {3, 4, -2}. The value must be a nonzero
// multiple of 2^-149 (any float, or a sum of a few floats in extended).
struct LeadingDigits {
    int first = 0;
    int next = 0;
    int exponent = 0;
};
LeadingDigits LeadingDigitsOf(long double magnitude);

} // namespace quba
