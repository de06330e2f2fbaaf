#include "tests/engine/test_support.h"

#include "engine/settings.h"
#include "tests/decimal_forms.h"

#include <gtest/gtest.h>

#include <cmath>

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

TEST(ReadPopulationValues, DefaultsConvertAsTheSheetStoresThem) {
    const PopulationValues v = ReadPopulationValues(PopulationSettings{});
    EXPECT_EQ(v.populationSize, 1000);
    EXPECT_EQ(v.generations, 50);
    EXPECT_EQ(v.selectionMethod, 0);
    EXPECT_EQ(v.crossoverRate, 0.7f);
    EXPECT_EQ(v.mutationRate, 0.2f);
    EXPECT_EQ(v.onePointMutationRate, 0.0f);
    EXPECT_EQ(v.eliteFraction, 0.1f);
    EXPECT_EQ(v.maxLength, 100);
    EXPECT_EQ(v.maxInitialDepth, 5);
    EXPECT_EQ(v.functionRatio, 0.5f);
    EXPECT_EQ(v.variableRatio, 0.2f);
}

TEST(ReadPopulationValues, EliteAndTournamentFollowTheirSwitches) {
    PopulationSettings s;
    s.eliteText = "25";
    EXPECT_EQ(ReadPopulationValues(s).eliteFraction, 0.25f);
    s.eliteChecked = false;
    s.eliteText = "not read";
    EXPECT_EQ(ReadPopulationValues(s).eliteFraction, 0.0f);
    s.tournamentSizeText = "not read either";
    EXPECT_NO_THROW(ReadPopulationValues(s));
    s.selectionMethod = 1;
    EXPECT_THROW(ReadPopulationValues(s), ConversionError);
    s.tournamentSizeText = "3";
    EXPECT_EQ(ReadPopulationValues(s).tournamentSize, 3);
}

TEST(DerivedLabel, DisplayFormatRoundsHalfUpToOneDigitOrFourDecimals) {
    struct Case {
        long double value;
        const char* text;
    };
    const Case cases[] = {
        {0.1L, "0.1000"},      {0.3L, "0.3000"},     {0.05L, "0.0500"}, {0, "0.0000"},
        {-0.1L, "-0.1000"},    {0.34L, "0.3000"},    {0.25L, "0.3000"}, {0.00005L, "0.0001"},
        {-0.00001L, "0.0000"}, {0.00004L, "0.0000"}, {0.96L, "1.0000"}, {-0.000951L, "-0.0010"},
        {1.0L, "1.0000"},      {-3.5L, "-4.0000"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DerivedLabelText(c.value), c.text) << static_cast<double>(c.value);
}

TEST(DerivedLabel, RatesAreRoundedToFloatBeforeTheSubtraction) {
    PopulationSettings s;
    EXPECT_EQ(ReproductionLabelText(s), "0.1000");
    EXPECT_EQ(ConstantLabelText(s), "0.3000");
    s.crossoverText = "0.65";
    EXPECT_EQ(ReproductionLabelText(s), "0.2000");
    s.crossoverText = "0.75";
    s.mutationText = "0.10";
    EXPECT_EQ(ReproductionLabelText(s), "0.1000");
    s.crossoverText = "0.8";
    s.mutationText = "0.3";
    EXPECT_EQ(ReproductionLabelText(s), "-0.1000");
    EXPECT_TRUE(LabelIsNegative(ReproductionLabelText(s)));
    EXPECT_FALSE(LabelIsNegative("0.0000"));
    EXPECT_FALSE(LabelIsNegative("0.1"));
}

struct RunSetup {
    ProblemSettings problem;
    std::array<PopulationSettings, 4> sheets;

    std::optional<Refusal> Check(int32_t count = 1, uint64_t memory = 1ull << 34) {
        return CheckRunLimits(problem, sheets.data(), count, memory);
    }
};

class RunLimitsTest : public ::testing::Test, protected RunSetup {};

TEST_F(RunLimitsTest, DefaultsPass) {
    EXPECT_FALSE(Check(4));
}

TEST_F(RunLimitsTest, RefusesWhatTheEngineCannotRunWith) {
    struct Case {
        std::function<void(RunSetup&)> change;
        SettingField field;
        const char* message;
    };
    const Case cases[] = {
        {[](RunSetup& t) { t.sheets[0].populationSizeText = "1"; }, SettingField::PopulationSize,
         "Population size must be at least 2."},
        {[](RunSetup& t) { t.sheets[0].populationSizeText = "0"; }, SettingField::PopulationSize,
         "Population size must be at least 2."},
        {[](RunSetup& t) { t.sheets[0].generationsText = "-1"; }, SettingField::Generations,
         "Generation must not be negative."},
        {[](RunSetup& t) {
             t.sheets[0].selectionMethod = 1;
             t.sheets[0].tournamentSizeText = "0";
         },
         SettingField::TournamentSize, "Tournament size must be at least 1."},
        {[](RunSetup& t) { t.sheets[0].maxLengthText = "69"; }, SettingField::MaxLength,
         "Maximum length must be at least 70."},
        {[](RunSetup& t) { t.sheets[0].functionRatioText = "1"; }, SettingField::FunctionRatio,
         "Function ratio must be below 1."},
        {[](RunSetup& t) { t.problem.constantCountText = "0"; }, SettingField::ConstantCount,
         "Number of constants must be at least 1."},
        {[](RunSetup& t) { t.sheets[0].populationSizeText = "1000000000"; }, SettingField::Memory,
         "Not enough memory for populations of this size and maximum length."},
    };
    for (const Case& c : cases) {
        RunSetup fresh;
        c.change(fresh);
        const auto refusal = fresh.Check();
        ASSERT_TRUE(refusal) << c.message;
        EXPECT_EQ(refusal->field, c.field);
        EXPECT_EQ(refusal->message, c.message);
    }
}

TEST_F(RunLimitsTest, ChecksOnlyThePopulationsInTheRunAndNamesTheSheet) {
    sheets[2].populationSizeText = "1";
    EXPECT_FALSE(Check(2));
    const auto refusal = Check(3);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->population, 2);
    // Tournament size 0 does no harm with another selection method.
    sheets[2].populationSizeText = "10";
    sheets[2].tournamentSizeText = "0";
    EXPECT_FALSE(Check(3));
}

TEST_F(RunLimitsTest, MemoryEstimateCountsBothBuffersOfEveryPopulation) {
    // 2 x 1000 x 100 x 4 bytes = 800000 bytes per population.
    EXPECT_FALSE(Check(2, 1600000));
    EXPECT_TRUE(Check(2, 1599999));
}

TEST(TextChecks, NameTheFirstFieldThatIsNotANumber) {
    PopulationSettings s;
    s.mutationText = "";
    s.maxLengthText = "x";
    const auto refusal = CheckPopulationTexts(s, 1);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->population, 1);
    EXPECT_EQ(refusal->field, SettingField::Mutation);
    EXPECT_EQ(refusal->message, "'' is not a valid floating point value");

    ProblemSettings p;
    EXPECT_FALSE(CheckProblemTexts(p));
    p.rangeUpperText = "one";
    ASSERT_TRUE(CheckProblemTexts(p));
    EXPECT_EQ(CheckProblemTexts(p)->field, SettingField::RangeUpper);
}

} // namespace
