// The value rules of the primitives once their arguments are known. Every
// evaluator uses these, so all of them give the same bits. A condition that
// would raise a floating-point error sets `failed`; the value is then
// meaningless and the evaluation counts as failed.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace quba::rules {

inline constexpr long double kNaN = std::numeric_limits<long double>::quiet_NaN();

// A value held as a 32-bit float; one beyond the float range fails.
inline float RoundToFloat(long double value, bool& failed) {
    const auto rounded = static_cast<float>(value);
    if (std::isinf(rounded))
        failed = true;
    return rounded;
}

// A value converted to a double; one beyond the double range fails.
inline double RoundToDouble(long double value, bool& failed) {
    const auto rounded = static_cast<double>(value);
    if (std::isinf(rounded))
        failed = true;
    return rounded;
}

// The result of + - * in extended precision: an overflow to infinity fails.
inline long double CheckedResult(long double value, bool& failed) {
    if (std::isinf(value))
        failed = true;
    return value;
}

// "/" of two operands held as floats; 1 for a zero divisor, and a
// not-a-number divisor fails.
inline long double Divide(float a, float b, bool& failed) {
    if (std::isnan(b)) {
        failed = true;
        return kNaN;
    }
    if (b == 0.0f)
        return 1.0L;
    return static_cast<long double>(a) / b;
}

// sin, cos, tan of an argument already converted to a double: a
// not-a-number or a magnitude of 2^52 or more gives a quiet not-a-number.
template <double (*Function)(double)> inline long double Trigonometric(double x) {
    if (std::isnan(x) || std::fabs(x) >= 0x1p52)
        return kNaN;
    return Function(x);
}

// ln, log10, sqrt of the magnitude of the argument's integer part: the low 32
// bits of the 64-bit truncation as a signed value, whose magnitude is taken as
// unsigned so that 2^31 stays positive; 0 gives 0. A not-a-number or a
// magnitude of 2^63 or more fails.
template <double (*Function)(double)>
inline long double IntegerMagnitude(long double x, bool& failed) {
    if (std::isnan(x) || std::fabs(x) >= 0x1p63L) {
        failed = true;
        return kNaN;
    }
    const auto truncated = static_cast<int64_t>(x);
    const auto low = static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(truncated)));
    const uint32_t magnitude =
        low < 0 ? 0u - static_cast<uint32_t>(low) : static_cast<uint32_t>(low);
    if (magnitude == 0)
        return 0.0L;
    return Function(static_cast<double>(magnitude));
}

// "if >" (Less = false) and "if <": a and b compared, c (already rounded to a
// float, its overflow not yet counted) when the comparison holds, else d
// unrounded. A not-a-number a or b fails; c's overflow fails only when taken.
template <bool Less>
inline long double Conditional(float a, long double b, float c, long double d, bool& failed) {
    if (std::isnan(a) || std::isnan(b)) {
        failed = true;
        return kNaN;
    }
    const long double first = a;
    if (Less ? first < b : first > b) {
        if (std::isinf(c))
            failed = true;
        return c;
    }
    return d;
}

// Adds one case's squared error to the error sum, which is held as a float:
// diff = target - out in extended, converted to a double; the square in double;
// the addition in extended, rounded to float. Returns false when the program
// fails there (an overflow, or a not-a-number difference, which squares to
// +infinity and so ends in the same +infinity).
inline bool AddSquaredError(float& sum, float target, long double out) {
    const auto diff = static_cast<double>(target - out);
    if (std::isnan(diff) || std::isinf(diff))
        return false;
    const double square = diff * diff;
    if (std::isinf(square))
        return false;
    sum = static_cast<float>(static_cast<long double>(sum) + square);
    return !std::isinf(sum);
}

inline double Sin(double x) {
    return std::sin(x);
}
inline double Cos(double x) {
    return std::cos(x);
}
inline double Tan(double x) {
    return std::tan(x);
}
inline double Log(double x) {
    return std::log(x);
}
inline double Log10(double x) {
    return std::log10(x);
}
inline double Sqrt(double x) {
    return std::sqrt(x);
}

} // namespace quba::rules
