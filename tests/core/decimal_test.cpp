// The decimal grammar every text-to-number conversion shares.
#include "core/decimal.h"
#include "tests/decimal_forms.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace quba;

namespace {

TEST(TextConversion, AcceptsOnlyTheDecimalGrammar) {
    for (const DecimalForm& form : kAcceptedDecimals) {
        EXPECT_TRUE(IsDecimalText(form.text)) << form.text;
        EXPECT_EQ(TextToFloat(form.text), form.value) << form.text;
        EXPECT_FALSE(IsIncompleteDecimal(form.text)) << form.text;
    }
    for (const char* bad : kRefusedDecimals) {
        EXPECT_FALSE(IsDecimalText(bad)) << bad;
        EXPECT_THROW(TextToFloat(bad), ConversionError) << bad;
    }
    // A number ends where the grammar does: "1e" and "5.e" are 1 and 5 followed
    // by text that is no number.
    EXPECT_EQ(DecimalPrefixLength("1e"), 1u);
    EXPECT_EQ(DecimalPrefixLength("5.e+x"), 2u);
    EXPECT_EQ(DecimalPrefixLength(".5.5"), 2u);
}

TEST(TextConversion, TellsANumberBeingTypedFromText) {
    for (const char* typing : {"-", "+", ".", "-.", "1e", "1e-", "5.E+", ".5e"})
        EXPECT_TRUE(IsIncompleteDecimal(typing)) << typing;
    for (const char* text : {"", "5.", "e", ".e", "1e5x", "abc", "1.2.", "--"})
        EXPECT_FALSE(IsIncompleteDecimal(text)) << text;
}

TEST(TextConversion, RoundsStraightToTheNearestFloat) {
    EXPECT_EQ(TextToFloat("0.70"), 0.7f);
    EXPECT_EQ(TextToFloat("-1e-3"), -0.001f);
    EXPECT_EQ(TextToFloat("1e-50"), 0.0f);
    EXPECT_TRUE(std::signbit(TextToFloat("-1e-50")));
    EXPECT_EQ(TextToFloat("3.4028235e38"), 3.4028235e38f);
    EXPECT_THROW(TextToFloat("1e39"), ConversionError);
    EXPECT_EQ(TextToExtended("0.1"), 0.1L);
    EXPECT_THROW(TextToExtended("1e99999"), ConversionError);
}

TEST(TextConversion, IntegersStayWithin32Bits) {
    EXPECT_EQ(TextToInteger("+2147483647"), 2147483647);
    EXPECT_EQ(TextToInteger("-2147483648"), -2147483647 - 1);
    for (const char* bad : {"2147483648", "1.0", "1e3", "", "-", "+-3", " 5", "12a"})
        EXPECT_THROW(TextToInteger(bad), ConversionError) << bad;
    try {
        TextToInteger("abc");
        FAIL();
    } catch (const ConversionError& error) {
        EXPECT_STREQ(error.what(), "'abc' is not a valid integer value");
    }
    try {
        TextToFloat("x1");
        FAIL();
    } catch (const ConversionError& error) {
        EXPECT_STREQ(error.what(), "'x1' is not a valid floating point value");
    }
}

} // namespace
