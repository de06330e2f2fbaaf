// The settings' texts turned into a run's values: the derived labels and the
// checks Start makes, in their order.
#include "setup/labels.h"
#include "setup/messages.h"
#include "setup/start_check.h"

#include "core/decimal.h"
#include "engine/gp_pop.h"

#include <gtest/gtest.h>

#include <functional>
#include <malloc.h>

using namespace quba;

namespace {

TEST(ReadPopulationValues, DefaultsConvertAsTheSheetStoresThem) {
    const PopulationValues v = ReadPopulationValues(PopulationSettings{});
    EXPECT_EQ(v.populationSize, 1000);
    EXPECT_EQ(v.generations, 50);
    EXPECT_EQ(v.selectionMethod, SelectionMethod::Proportional);
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
    s.Text(SettingField::Elite) = "25";
    EXPECT_EQ(ReadPopulationValues(s).eliteFraction, 0.25f);
    s.eliteChecked = false;
    s.Text(SettingField::Elite) = "not read";
    EXPECT_EQ(ReadPopulationValues(s).eliteFraction, 0.0f);
    s.Text(SettingField::TournamentSize) = "not read either";
    EXPECT_NO_THROW(ReadPopulationValues(s));
    s.Text(SettingField::Selection) = "tournament";
    EXPECT_THROW(ReadPopulationValues(s), ConversionError);
    s.Text(SettingField::TournamentSize) = "3";
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
    s.Text(SettingField::Crossover) = "0.65";
    EXPECT_EQ(ReproductionLabelText(s), "0.2000");
    s.Text(SettingField::Crossover) = "0.75";
    s.Text(SettingField::Mutation) = "0.10";
    EXPECT_EQ(ReproductionLabelText(s), "0.1000");
    s.Text(SettingField::Crossover) = "0.8";
    s.Text(SettingField::Mutation) = "0.3";
    EXPECT_EQ(ReproductionLabelText(s), "-0.1000");
    EXPECT_TRUE(LabelIsNegative(ReproductionLabelText(s)));
    EXPECT_FALSE(LabelIsNegative("0.0000"));
    EXPECT_FALSE(LabelIsNegative("0.1"));
}

// The panels of a window with both grids, whose Start is checked.
struct RunSetup {
    RunSetup() = default;
    RunSetup(const RunSetup&) = delete; // the settings point at its grid
    DataGrid grid{2};
    ProblemSettings problem = WithGrids();
    std::array<PopulationSettings, 4> sheets;

    ProblemSettings WithGrids() {
        ProblemSettings settings;
        settings.training = settings.validation = &grid;
        return settings;
    }
    std::optional<Refusal> Check(int32_t count = 1, uint64_t memory = 1ull << 34) {
        StartOutcome outcome =
            CheckStart(problem, std::span(sheets.data(), static_cast<size_t>(count)), memory);
        if (const auto* refusal = std::get_if<Refusal>(&outcome))
            return *refusal;
        return std::nullopt;
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
        {[](RunSetup& t) { t.sheets[0].Text(SettingField::PopulationSize) = "1"; },
         SettingField::PopulationSize, "Population size must be at least 2."},
        {[](RunSetup& t) { t.sheets[0].Text(SettingField::PopulationSize) = "0"; },
         SettingField::PopulationSize, "Population size must be at least 2."},
        {[](RunSetup& t) { t.sheets[0].Text(SettingField::Generations) = "-1"; },
         SettingField::Generations, "Generation must not be negative."},
        {[](RunSetup& t) {
             t.sheets[0].Text(SettingField::Selection) = "tournament";
             t.sheets[0].Text(SettingField::TournamentSize) = "0";
         },
         SettingField::TournamentSize, "Tournament size must be at least 1."},
        {[](RunSetup& t) {
             t.sheets[0].Text(SettingField::Selection) = "tournament";
             t.sheets[0].Text(SettingField::TournamentSize) = "1001";
         },
         SettingField::TournamentSize,
         "Tournament size must not be larger than the population size."},
        {[](RunSetup& t) { t.sheets[0].Text(SettingField::MaxLength) = "69"; },
         SettingField::MaxLength, "Maximum length must be at least 70."},
        {[](RunSetup& t) { t.sheets[0].Text(SettingField::FunctionRatio) = "1"; },
         SettingField::FunctionRatio, "Function ratio must be below 1."},
        {[](RunSetup& t) { t.problem.constantCountText = "0"; }, SettingField::ConstantCount,
         "Number of constants must be at least 1."},
        {[](RunSetup& t) { t.sheets[0].Text(SettingField::PopulationSize) = "1000000000"; },
         SettingField::Memory,
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
    sheets[2].Text(SettingField::PopulationSize) = "1";
    EXPECT_FALSE(Check(2));
    const auto refusal = Check(3);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->population, 2);
    // Tournament size 0 does no harm with another selection method.
    sheets[2].Text(SettingField::PopulationSize) = "10";
    sheets[2].Text(SettingField::TournamentSize) = "0";
    EXPECT_FALSE(Check(3));
}

TEST_F(RunLimitsTest, MemoryEstimateIsWhatThePopulationsAllocate) {
#ifdef QUBA_SANITIZED
    GTEST_SKIP() << "the sanitizers' allocator keeps no statistics";
#else
    const auto inUse = [] {
        const struct mallinfo2 info = mallinfo2();
        return static_cast<double>(info.uordblks + info.hblkhd);
    };
    sheets[0].Text(SettingField::MaxLength) = "70";
    sheets[1].Text(SettingField::MaxLength) = "70";
    const double before = inUse();
    auto population = CreatePopulation(ReadPopulationValues(sheets[0]));
    const double allocated = inUse() - before;
    // Two populations of that size: refused a tenth below, started a tenth above.
    EXPECT_TRUE(Check(2, static_cast<uint64_t>(2 * allocated * 0.9)));
    EXPECT_FALSE(Check(2, static_cast<uint64_t>(2 * allocated * 1.1)));
#endif
}

TEST_F(RunLimitsTest, TextsThatAreNotNumbersNameTheirFirstField) {
    sheets[1].Text(SettingField::Mutation) = "";
    sheets[1].Text(SettingField::MaxLength) = "x";
    const auto refusal = Check(2);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->population, 1);
    EXPECT_EQ(refusal->field, SettingField::Mutation);
    EXPECT_EQ(refusal->message, "'' is not a valid floating point value");

    EXPECT_FALSE(Check(1));
    problem.rangeUpperText = "one";
    ASSERT_TRUE(Check(1));
    EXPECT_EQ(Check(1)->field, SettingField::RangeUpper);
    problem.rangeUpperText = "1";
    problem.constantCountText = "ten";
    EXPECT_EQ(Check(1)->field, SettingField::ConstantCount);
}

TEST(StartChecks, ComeInStartsOrder) {
    const std::vector<std::function<void(RunSetup&)>> changes = {
        [](RunSetup& t) { t.problem.training = nullptr; },
        [](RunSetup& t) { t.problem.validation = nullptr; },
        [](RunSetup& t) { t.sheets[1].reproductionLabelText = "-0.1000"; },
        [](RunSetup& t) { t.sheets[0].constantLabelText = "-0.1000"; },
        [](RunSetup& t) { t.problem.constantCountText = "x"; },
        [](RunSetup& t) { t.problem.rangeLowerText = "2"; },
        [](RunSetup& t) { t.sheets[0].Text(SettingField::Generations) = "y"; },
        [](RunSetup& t) { t.sheets[0].Text(SettingField::PopulationSize) = "1"; },
    };
    const SettingField expected[] = {
        SettingField::TrainingData, SettingField::ValidationData, SettingField::RateSum,
        SettingField::NodeRatioSum, SettingField::ConstantCount,  SettingField::Range,
        SettingField::Generations,  SettingField::PopulationSize,
    };
    // With the first `undone` changes left out, the next one is what Start refuses.
    for (size_t undone = 0; undone <= changes.size(); ++undone) {
        RunSetup setup;
        for (size_t j = undone; j < changes.size(); ++j)
            changes[j](setup);
        const auto refusal = setup.Check(2);
        if (undone == changes.size()) {
            EXPECT_FALSE(refusal);
        } else {
            ASSERT_TRUE(refusal) << undone;
            EXPECT_EQ(refusal->field, expected[undone]) << undone;
        }
    }
}

TEST_F(RunLimitsTest, APassingStartGivesTheTypedValues) {
    problem.functionChecked = {};
    problem.rangeLowerText = ".5";
    sheets[1].Text(SettingField::Selection) = "random";
    StartOutcome outcome = CheckStart(problem, std::span(sheets.data(), 2), 1ull << 34);
    const auto* start = std::get_if<CheckedStart>(&outcome);
    ASSERT_NE(start, nullptr);
    EXPECT_TRUE(start->plusChecked);
    EXPECT_TRUE(start->settings.problem.functionChecked[0]);
    EXPECT_EQ(start->settings.problem.constantLower, 0.5f);
    EXPECT_EQ(start->settings.problem.constantCount, 1000);
    ASSERT_EQ(start->settings.populations.size(), 2u);
    EXPECT_EQ(start->settings.populations[1].selectionMethod, SelectionMethod::Random);
    EXPECT_EQ(start->settings.problem.training, grid);
}

} // namespace
