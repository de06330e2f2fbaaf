// The size-accuracy front: its rule on chosen buffers, its invariants on
// random runs against every error the runs computed, and a run that is the
// same with and without it.
#include "tests/engine/test_support.h"

#include "engine/front.h"
#include "engine/functions.h"
#include "engine/gp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <random>

using namespace quba;

namespace {

Generation Buffer(const std::vector<std::pair<int32_t, float>>& lengthsAndErrors) {
    Generation buffer;
    int32_t code = 0;
    for (const auto& [length, error] : lengthsAndErrors) {
        auto individual = std::make_unique<Individual>();
        individual->nodes.assign(static_cast<size_t>(length) + 2, ++code); // marks the program
        individual->length = length;
        individual->rawFitness = error;
        buffer.push_back(std::move(individual));
    }
    return buffer;
}

TEST(SizeAccuracyFront, KeepsTheFirstLowestErrorOfEachLengthWhereNoShorterOneIsAsLow) {
    SizeAccuracyFront front;
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_TRUE(front.Consider(
        Buffer({{5, 0.5f}, {3, 0.6f}, {5, 0.5f}, {7, 0.55f}, {1, inf}, {9, std::nanf("")}}), 0));
    // Nothing better: no change, and the tie at length 5 stays with the first seen.
    EXPECT_FALSE(front.Consider(Buffer({{5, 0.5f}, {3, 0.6f}}), 1));
    EXPECT_TRUE(front.Consider(Buffer({{11, 0.1f}, {3, 0.45f}}), 2));

    const auto problem = std::make_shared<const Problem>();
    const std::vector<BestProgram> members = front.Members(2, 77u, problem);
    // Length 5 (0.5) is beaten by length 3 (0.45), length 7 (0.55) by both;
    // the failed programs never count.
    ASSERT_EQ(members.size(), 2u);
    EXPECT_EQ(members[0].nodes, std::vector<int32_t>(3, 2)); // the second buffer's first program
    EXPECT_EQ(members[0].trainingFitness, 0.45f);
    EXPECT_EQ(members[0].generation, 2);
    EXPECT_EQ(members[1].nodes.size(), 11u);
    EXPECT_EQ(members[1].population, 2);
    EXPECT_EQ(members[1].seed, 77u);
    EXPECT_EQ(members[1].problem, problem);
    EXPECT_TRUE(NeedsCompletion(members[1]));

    SizeAccuracyFront ties;
    ties.Consider(Buffer({{4, 0.3f}, {4, 0.3f}}), 0);
    EXPECT_EQ(ties.Members(0, 0, problem)[0].nodes, std::vector<int32_t>(4, 1));
}

// Every program a run evaluated, per population, in ranked order per step.
struct Evaluated {
    int32_t generation;
    std::vector<int32_t> nodes;
    float error;
};

// The front worked out from scratch: for each length the first program with
// the lowest error, kept where its error is below every shorter one's.
std::vector<Evaluated> FrontFromScratch(const std::vector<Evaluated>& seen) {
    std::map<size_t, Evaluated> lowest;
    for (const Evaluated& program : seen) {
        if (!std::isfinite(program.error))
            continue;
        auto [at, inserted] = lowest.emplace(program.nodes.size(), program);
        if (!inserted && program.error < at->second.error)
            at->second = program;
    }
    std::vector<Evaluated> front;
    for (const auto& [length, program] : lowest)
        if (front.empty() || program.error < front.back().error)
            front.push_back(program);
    return front;
}

class FrontRunTest : public ::testing::TestWithParam<uint32_t> {};

TEST_P(FrontRunTest, MembersAreTheRecordBreakersOfEveryErrorTheRunComputed) {
    const uint32_t seed = GetParam();
    std::mt19937 draw(seed);
    RunSettings settings = DefaultRunSettings(RandomGrid(5, seed), 3);
    if (seed % 2 == 1)
        settings.problem.functionChecked.fill(true);
    for (auto& population : settings.populations) {
        population.populationSize = std::uniform_int_distribution<int32_t>(20, 80)(draw);
        population.generations = std::uniform_int_distribution<int32_t>(1, 12)(draw);
    }

    RecordingOutlet outlet;
    RandomGenerator random;
    std::unique_ptr<quba::Run> run = BuildRun(settings, BuildFunctionTable(), random);
    std::array<std::vector<Evaluated>, 4> seen;
    outlet.onProcess = [&] {
        // The step just made left its ranked, evaluated buffer as the other one.
        const auto& step = outlet.published.back();
        for (const auto& individual : run->runTable.populations[step.population]->Next())
            seen[step.population].push_back(
                {step.generation,
                 {individual->nodes.begin(), individual->nodes.begin() + individual->length},
                 individual->rawFitness});
    };
    RunEvolution(*run, outlet, [seed] { return seed; });

    for (int32_t i = 0; i < 3; ++i) {
        const std::vector<BestProgram>& members = outlet.fronts[i];
        const std::vector<Evaluated> expected = FrontFromScratch(seen[i]);
        ASSERT_EQ(members.size(), expected.size()) << "population " << i;
        for (size_t k = 0; k < members.size(); ++k) {
            EXPECT_EQ(members[k].nodes, expected[k].nodes);
            EXPECT_EQ(members[k].trainingFitness, expected[k].error);
            EXPECT_EQ(members[k].generation, expected[k].generation);
            if (k > 0) {
                EXPECT_GT(members[k].nodes.size(), members[k - 1].nodes.size());
                EXPECT_LT(members[k].trainingFitness, members[k - 1].trainingFitness);
            }
            // The kept program really has that error.
            const long double error =
                TrainingFitness(run->evaluators, *members[k].problem, members[k].nodes.data());
            EXPECT_EQ(static_cast<float>(error), members[k].trainingFitness);
        }
        // The last best program is on the front or dominated by a member.
        const BestProgram& best =
            *std::find_if(outlet.bestPrograms.rbegin(), outlet.bestPrograms.rend(),
                          [i](const BestProgram& b) { return b.population == i; });
        EXPECT_TRUE(std::any_of(members.begin(), members.end(), [&](const BestProgram& m) {
            return m.nodes.size() <= best.nodes.size() && m.trainingFitness <= best.trainingFitness;
        }));
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, FrontRunTest, ::testing::Values(1u, 2u, 3u, 4u, 5u, 6u));

TEST(FrontRun, KeepingTheFrontsChangesNothingOfTheRun) {
    RunSettings settings = DefaultRunSettings(RandomGrid(6, 8), 2);
    settings.problem.functionChecked.fill(true);
    for (auto& population : settings.populations) {
        population.populationSize = 60;
        population.generations = 8;
    }
    auto runWith = [&](bool keepFronts, RecordingOutlet& outlet) {
        settings.keepFronts = keepFronts;
        RandomGenerator random;
        const std::unique_ptr<quba::Run> run = BuildRun(settings, BuildFunctionTable(), random);
        RunEvolution(*run, outlet, [] { return 4242u; });
        return random.State();
    };
    RecordingOutlet with;
    RecordingOutlet without;
    EXPECT_EQ(runWith(true, with), runWith(false, without)) << "the generator drew the same";
    EXPECT_GT(with.frontUpdates, 0);
    EXPECT_EQ(without.frontUpdates, 0);
    EXPECT_EQ(with.bestTexts, without.bestTexts);
    EXPECT_EQ(with.calls, without.calls);
    ASSERT_EQ(with.published.size(), without.published.size());
    for (size_t k = 0; k < with.published.size(); ++k) {
        EXPECT_EQ(with.published[k].training, without.published[k].training);
        EXPECT_EQ(with.published[k].validation, without.published[k].validation);
        EXPECT_EQ(with.published[k].averageLength, without.published[k].averageLength);
    }
}

TEST(FrontRun, CompletingAMemberGivesItsValidationErrorAndText) {
    ScopedProblem scope({0, 2}, RandomGrid(4, 3), 3, "0", "1");
    BestProgram member;
    member.problem = scope.Shared();
    member.nodes = scope.Program({"+", "X", "*", "Y", "#1"});
    ASSERT_TRUE(NeedsCompletion(member));
    CompleteFrontMember(member, "G", scope.evaluators);
    EXPECT_FALSE(NeedsCompletion(member));
    EXPECT_EQ(member.validationFitness,
              static_cast<float>(
                  ValidationFitness(scope.evaluators, scope.problem(), member.nodes.data())));
    EXPECT_EQ(member.text.rfind("G= (X+ (Y*", 0), 0u) << member.text;
}

} // namespace
