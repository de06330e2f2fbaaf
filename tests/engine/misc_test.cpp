#include "tests/engine/test_support.h"

#include "engine/misc.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <utility>

using namespace quba;

namespace {

Population PopulationWithFitness(const std::vector<float>& values) {
    Population population;
    population.settings.populationSize = static_cast<int32_t>(values.size());
    for (size_t i = 0; i < values.size(); ++i) {
        auto individual = std::make_unique<Individual>();
        individual->normalizedFitness = values[i];
        individual->length = static_cast<int32_t>(i); // identifies the individual
        population.buffers[0].push_back(std::move(individual));
    }
    return population;
}

std::vector<int32_t> Order(Population& population) {
    std::vector<int32_t> ids;
    for (const auto& individual : population.Current())
        ids.push_back(individual->length);
    return ids;
}

TEST(SortByFitness, PutsTheLargestNormalizedFitnessFirst) {
    Population population = PopulationWithFitness({0.1f, 0.4f, 0.2f, 0.3f});
    SortByFitness(population);
    EXPECT_EQ(Order(population), (std::vector<int32_t>{1, 3, 2, 0}));
}

TEST(SortByFitness, OrdersTiesExactlyAsTheFixedQuicksortDoes) {
    // Equal values end in the order this partition scheme leaves them; runs
    // are only reproducible if that order never changes.
    Population population = PopulationWithFitness({0.2f, 0.5f, 0.2f, 0.5f, 0.2f, 0.1f, 0.5f});
    SortByFitness(population);
    EXPECT_EQ(Order(population), (std::vector<int32_t>{3, 6, 1, 0, 4, 2, 5}));
}

// The ranking's quicksort written out from its definition, on plain values:
// the order every tie must end in.
void FixedQuicksort(std::vector<std::pair<float, int32_t>>& items, int32_t lo, int32_t hi) {
    int32_t i = 0;
    do {
        i = lo;
        int32_t j = hi;
        const float pivot = items[(lo + hi) / 2].first;
        do {
            while (items[i].first > pivot)
                ++i;
            while (items[j].first < pivot)
                --j;
            if (i <= j)
                std::swap(items[i++], items[j--]);
        } while (i <= j);
        if (lo < j)
            FixedQuicksort(items, lo, j);
        lo = i;
    } while (i < hi);
}

TEST(SortByFitness, EveryBufferWithTiesEndsAsTheFixedQuicksortLeavesIt) {
    std::mt19937 random(17);
    for (int trial = 0; trial < 500; ++trial) {
        const int size = std::uniform_int_distribution(2, 60)(random);
        const int levels = std::uniform_int_distribution(1, 5)(random);
        std::vector<float> values(static_cast<size_t>(size));
        for (float& value : values)
            value = 0.1f * static_cast<float>(std::uniform_int_distribution(1, levels)(random));
        std::vector<std::pair<float, int32_t>> expected;
        for (int32_t i = 0; i < size; ++i)
            expected.emplace_back(values[static_cast<size_t>(i)], i);
        FixedQuicksort(expected, 0, size - 1);
        std::vector<int32_t> order;
        for (const auto& item : expected)
            order.push_back(item.second);

        Population population = PopulationWithFitness(values);
        SortByFitness(population);
        ASSERT_EQ(Order(population), order) << "trial " << trial;
    }
}

TEST(SortByFitness, TreatsNotANumberAsEqualAndLeavesTinyBuffersAlone) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    Population population = PopulationWithFitness({0.1f, nan, 0.3f});
    SortByFitness(population); // must terminate and keep every individual
    auto ids = Order(population);
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(ids, (std::vector<int32_t>{0, 1, 2}));

    Population single = PopulationWithFitness({0.5f});
    SortByFitness(single);
    EXPECT_EQ(Order(single), (std::vector<int32_t>{0}));
}

class ProgramTextTest : public ::testing::Test {
protected:
    ScopedProblem scope{{0, 1, 2, 3, 4, 10, 11}, FilledGrid(2, 0.5f)};

    std::string Text(std::initializer_list<std::string> names, int32_t* endPosition = nullptr) {
        const auto program = scope.Program(names);
        int32_t position = 0;
        std::string text = ProgramText(scope.problem().nodeTable.data(), program.data(), position);
        if (endPosition)
            *endPosition = position;
        return text;
    }
};

TEST_F(ProgramTextTest, TheExactTextWritesEveryConstantAsItIs) {
    // Constants of their own whose one-digit names say little of them.
    Problem& problem = scope.problem();
    const int32_t third = AddOwnConstant(problem, 1.0f / 3);
    const int32_t tiny = AddOwnConstant(problem, -1.17549435e-38f);
    const std::vector<int32_t> program = {scope.Code("+"), third, scope.Code("*"), tiny,
                                          scope.Code("X")};
    EXPECT_EQ(OutputText("C", problem, program.data(), std::nullopt), "C= (0.300+ (-0.000*X) ) ");
    EXPECT_EQ(ExactOutputText("C", problem, program.data(), std::nullopt),
              "C= (0.33333334+ (-1.1754944e-38*X) ) ");
    EXPECT_EQ(ExactOutputText("C", problem, program.data(), Scaling{0.1f, -2.5f}),
              "C=0.1+-2.5* (0.33333334+ (-1.1754944e-38*X) ) ");
    EXPECT_EQ(std::strtof("0.33333334", nullptr), 1.0f / 3);
    EXPECT_EQ(std::strtof("-1.1754944e-38", nullptr), -1.17549435e-38f);
}

TEST_F(ProgramTextTest, WritesEveryCompositeWithItsBlanksAndParentheses) {
    EXPECT_EQ(Text({"+", "X", "sin", "Y"}), " (X+sin (Y) ) ");
    EXPECT_EQ(Text({"*", "+", "X", "Y", "X"}), " ( (X+Y) *X) ");
    EXPECT_EQ(Text({"if >", "X", "Y", "X", "Y"}), " (if X > Y then X else Y) ");
    EXPECT_EQ(Text({"if <", "X", "Y", "X", "Y"}), " (if X < Y then X else Y) ");
    EXPECT_EQ(Text({"-", "X", "#1"}), " (X-0.300) ");
}

TEST_F(ProgramTextTest, LeavesThePositionOnTheLastNode) {
    int32_t end = -1;
    EXPECT_EQ(Text({"X"}, &end), "X");
    EXPECT_EQ(end, 0);
    Text({"*", "+", "X", "Y", "sin", "X"}, &end);
    EXPECT_EQ(end, 5);
}

} // namespace
