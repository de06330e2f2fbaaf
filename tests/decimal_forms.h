// The decimal forms every text-to-number conversion shares: the rate and
// ratio fields, quba-cli's options and data files. Each suite runs the table
// through its own reader.
#pragma once

#include <array>

// Each accepted form with the 32-bit float it reads as.
struct DecimalForm {
    const char* text;
    float value;
};

inline constexpr std::array<DecimalForm, 12> kAcceptedDecimals = {{
    {"5", 5.0f},
    {"5.", 5.0f},
    {".5", 0.5f},
    {"-.5", -0.5f},
    {"+.25", 0.25f},
    {"5.e2", 500.0f},
    {".5e-1", 0.05f},
    {"1E3", 1000.0f},
    {"-2.5E+2", -250.0f},
    {"0.70", 0.7f},
    {"007", 7.0f},
    {"-1e-3", -0.001f},
}};

// Refused wherever a whole text must be one number.
inline constexpr std::array<const char*, 17> kRefusedDecimals = {
    "",    ".",   "-",    "+",   "-.",  ".e2", "1e", "1e+", "5.e",
    "inf", "nan", "0x10", "1,5", "--1", "+-1", " 1", "1 ",
};
