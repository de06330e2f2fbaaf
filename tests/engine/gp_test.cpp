#include "tests/engine/test_support.h"

#include "engine/functions.h"
#include "engine/gp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

using namespace quba;

namespace {

// A small run: a 4 x 4 grid and populations of 20.
class RunTest : public ::testing::Test {
protected:
    RunSettings settings;
    RecordingOutlet outlet;
    RandomGenerator random;
    std::unique_ptr<quba::Run> run; // the last run, kept to look at afterwards

    void SetUp() override {
        DataGrid grid(4);
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                grid.At(r, c) = 0.25f * static_cast<float>(c) - 0.1f * static_cast<float>(r);
        settings = DefaultRunSettings(grid, 4);
        for (auto& population : settings.populations)
            population.populationSize = 20;
    }

    // Every function over -10 .. 10 with function-heavy programs of the size
    // given: overflow and not-a-number cases happen.
    void UseChaoticSettings(int32_t populationSize) {
        settings.problem.functionChecked.fill(true);
        settings.problem.constantLower = -10;
        settings.problem.constantUpper = 10;
        for (auto& population : settings.populations) {
            population.populationSize = populationSize;
            population.functionRatio = 0.8f;
            population.variableRatio = 0.1f;
        }
    }

    void Evolve(const std::vector<int>& generations, uint32_t seed = 99) {
        RunSettings runSettings = settings;
        runSettings.populations.resize(generations.size());
        for (size_t i = 0; i < generations.size(); ++i)
            runSettings.populations[i].generations = generations[i];
        run = BuildRun(runSettings, BuildFunctionTable(), random);
        RunEvolution(*run, outlet, [seed] { return seed; });
    }
    [[nodiscard]] const RunCounters& Counters() const { return run->runCounters; }
};

TEST_F(RunTest, StepsThePopulationsRoundByRoundAndPublishesEveryStep) {
    Evolve({5, 3});
    std::vector<std::pair<int32_t, int32_t>> order;
    for (const auto& p : outlet.published)
        order.emplace_back(p.population, p.generation);
    const std::vector<std::pair<int32_t, int32_t>> expected = {{0, 0}, {1, 0}, {0, 1}, {1, 1},
                                                               {0, 2}, {1, 2}, {0, 3}, {0, 4}};
    EXPECT_EQ(order, expected);

    EXPECT_EQ(outlet.progressMaximum, 8);
    EXPECT_EQ(outlet.progressPositions, (std::vector<int32_t>{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(outlet.statusSteps.front(), std::make_pair(0, 1));
    EXPECT_EQ(outlet.statusSteps.back(), std::make_pair(0, 5));
    EXPECT_EQ(outlet.statusLinesShown, 2);
    EXPECT_EQ(Counters().generationBound, 5);
    EXPECT_EQ(Counters().labelPopulation, 0);
    EXPECT_EQ(outlet.calls.front(), "running");
    EXPECT_EQ(outlet.calls, (std::vector<std::string>{"running", "beep", "idle"}));
    EXPECT_EQ(outlet.processCalls, 8);
}

TEST_F(RunTest, BestTextsAreJoinedWithTheirSeparatorsAndTheRunIsReleased) {
    Evolve({2, 1});
    ASSERT_EQ(outlet.bestTexts.size(), 3u);
    const std::string& memo = outlet.bestTexts.back();
    ASSERT_EQ(memo.rfind("[Population No1]\r\nC=", 0), 0u) << memo;
    const size_t second = memo.find("\r\n\r\n[Population No2]\r\nC=");
    ASSERT_NE(second, std::string::npos);
    EXPECT_EQ(memo.substr(memo.size() - 8), "\r\n\r\n\r\n\r\n"); // No3 and No4 are empty
    EXPECT_EQ(memo, JoinedBestTexts(Counters()));
    // The first step's text holds only population 1's entry.
    EXPECT_EQ(outlet.bestTexts.front().find("[Population No2]"), std::string::npos);

    EXPECT_FALSE(run->runTable.problem);
    EXPECT_FALSE(run->runTable.populations[0]);
    EXPECT_FALSE(run->runTable.populations[1]);
    EXPECT_EQ(Counters().stepsDone, 0);
    EXPECT_EQ(Counters().generationCounts, (std::array<int32_t, 4>{}));
}

TEST_F(RunTest, TheLongestPopulationLabelsThePointsAndSetsTheRounds) {
    Evolve({100, 50, 70});
    EXPECT_EQ(Counters().generationBound, 100);
    EXPECT_EQ(Counters().labelPopulation, 0);
    EXPECT_EQ(outlet.progressMaximum, 220);
    EXPECT_EQ(outlet.progressPositions.back(), 220);
    EXPECT_EQ(outlet.published.size(), 220u);

    RecordingOutlet second;
    outlet = second;
    Evolve({50, 100});
    EXPECT_EQ(Counters().labelPopulation, 1);
    EXPECT_EQ(outlet.published.back().population, 1);

    // Of two populations with the largest count, the first labels.
    outlet = RecordingOutlet();
    Evolve({5, 8, 8});
    EXPECT_EQ(Counters().labelPopulation, 1);
    EXPECT_EQ(outlet.labelPopulation, 1);
}

TEST_F(RunTest, SameSeedGivesTheSameRunAndEqualPopulationsStartAlike) {
    Evolve({4, 4});
    const auto first = outlet.published;
    const auto memo = outlet.bestTexts.back();
    // Both populations were seeded alike and have the same settings, so their
    // first generations agree; breeding then continues one shared sequence.
    EXPECT_EQ(first[0].training, first[1].training);
    EXPECT_EQ(first[0].bestLength, first[1].bestLength);
    outlet = RecordingOutlet{};
    Evolve({4, 4});
    ASSERT_EQ(outlet.published.size(), first.size());
    for (size_t k = 0; k < first.size(); ++k) {
        EXPECT_EQ(outlet.published[k].validation, first[k].validation);
        EXPECT_EQ(outlet.published[k].averageLength, first[k].averageLength);
    }
    EXPECT_EQ(outlet.bestTexts.back(), memo);
}

TEST_F(RunTest, PublishedFiguresAreThoseOfTheRankedBest) {
    Evolve({3});
    for (const auto& p : outlet.published) {
        EXPECT_GE(p.training, 0.0f);
        EXPECT_EQ(p.validation, p.training); // validation copies the training cases
        EXPECT_GE(p.bestLength, 1);
        EXPECT_GE(p.averageLength, 1);
    }
    // With the elite kept the best never gets worse.
    EXPECT_LE(outlet.published[2].training, outlet.published[0].training);
}

TEST_F(RunTest, PauseHoldsTheNextStepUntilResumed) {
    int pausedCalls = 0;
    size_t publishedAtPause = 0;
    outlet.onProcess = [&] {
        Problem& p = *run->runTable.problem;
        if (outlet.processCalls == 3) { // after the third step
            p.paused = true;
            publishedAtPause = outlet.published.size();
        } else if (p.paused) {
            EXPECT_EQ(outlet.published.size(), publishedAtPause);
            if (++pausedCalls == 5)
                p.paused = false;
        }
    };
    Evolve({3, 2});
    EXPECT_EQ(pausedCalls, 5);
    EXPECT_EQ(publishedAtPause, 3u);
    EXPECT_EQ(outlet.published.size(), 5u);
    EXPECT_EQ(outlet.published[3].population, 1); // the run waited before No2's step
}

TEST_F(RunTest, AnEndRequestedAtMessageProcessingEndsTheRunCleanly) {
    outlet.stopAfterProcessCalls = 3;
    Evolve({5, 5});
    EXPECT_EQ(outlet.published.size(), 3u);
    EXPECT_EQ(outlet.calls, (std::vector<std::string>{"running", "idle"}));
    EXPECT_FALSE(run->runTable.problem);
    EXPECT_EQ(Counters().stepsDone, 0);
}

TEST_F(RunTest, PopulationsWithoutGenerationsAreNeverStepped) {
    Evolve({0, 2});
    for (const auto& p : outlet.published)
        EXPECT_EQ(p.population, 1);
    EXPECT_EQ(outlet.bestTexts.back().rfind("\r\n\r\n[Population No2]", 0), 0u);

    outlet = RecordingOutlet{};
    Evolve({0});
    EXPECT_TRUE(outlet.published.empty());
    EXPECT_TRUE(outlet.bestTexts.empty());
    EXPECT_EQ(outlet.calls, (std::vector<std::string>{"running", "beep", "idle"}));
}

TEST_F(RunTest, OutputNameIsReadAtEveryStep) {
    outlet.onProcess = [&] { outlet.outputName = "Z"; };
    Evolve({2});
    EXPECT_NE(outlet.bestTexts[0].find("\r\nC="), std::string::npos);
    EXPECT_NE(outlet.bestTexts[1].find("\r\nZ="), std::string::npos);
}

TEST_F(RunTest, ChaoticFunctionSetsRunToTheEndWithInfinityInsteadOfErrors) {
    UseChaoticSettings(60);
    for (auto& population : settings.populations)
        population.maxInitialDepth = 6;
    Evolve({40, 40}, 7);
    ASSERT_EQ(outlet.published.size(), 80u);
    for (const auto& p : outlet.published) {
        EXPECT_FALSE(std::isnan(p.training));
        EXPECT_FALSE(std::isnan(p.validation));
    }
    EXPECT_EQ(outlet.calls.back(), "idle");
}

} // namespace

namespace {

// Whole runs must not depend on the evaluator or the number of threads.
class EvaluatorAgreementTest : public RunTest {
protected:
    struct Outcome {
        std::vector<RecordingOutlet::Published> published;
        std::vector<std::string> texts;
        std::vector<float> lastPicture;
    };
    Outcome RunWith(EvaluationOptions options, const std::vector<int>& generations) {
        outlet = RecordingOutlet{};
        settings.evaluation = options;
        Evolve(generations, 5);
        return {outlet.published, outlet.bestTexts, outlet.lastTrainingPicture.Cells()};
    }
    void ExpectSame(const Outcome& a, const Outcome& b) {
        ASSERT_EQ(a.published.size(), b.published.size());
        for (size_t k = 0; k < a.published.size(); ++k) {
            const auto& x = a.published[k];
            const auto& y = b.published[k];
            EXPECT_EQ(std::memcmp(&x.validation, &y.validation, sizeof(float)), 0) << k;
            EXPECT_EQ(std::memcmp(&x.training, &y.training, sizeof(float)), 0) << k;
            EXPECT_EQ(x.averageLength, y.averageLength) << k;
            EXPECT_EQ(x.bestLength, y.bestLength) << k;
        }
        EXPECT_EQ(a.texts, b.texts);
        ASSERT_EQ(a.lastPicture.size(), b.lastPicture.size());
        EXPECT_EQ(std::memcmp(a.lastPicture.data(), b.lastPicture.data(),
                              a.lastPicture.size() * sizeof(float)),
                  0);
    }
    void CompareEvaluators(const std::vector<int>& generations) {
        const Outcome reference = RunWith({EvaluatorKind::Reference, 1}, generations);
        ExpectSame(reference, RunWith({EvaluatorKind::Batch, 1}, generations));
        ExpectSame(reference, RunWith({EvaluatorKind::Batch, 2}, generations));
        ExpectSame(reference, RunWith({EvaluatorKind::Batch, 3}, generations));
    }
};

TEST_F(EvaluatorAgreementTest, DefaultSettings) {
    CompareEvaluators({6, 4});
}

TEST_F(EvaluatorAgreementTest, EveryFunctionOverAWideRange) {
    UseChaoticSettings(80);
    for (auto& population : settings.populations) {
        population.onePointMutationRate = 0.05f;
        population.selectionMethod = SelectionMethod::Tournament;
        population.tournamentSize = 6;
    }
    CompareEvaluators({12, 12, 8});
}

} // namespace
