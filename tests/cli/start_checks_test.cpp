#include "cli_process.h"

#include "cli/parse_arguments.h"
#include "cli/start_checks.h"

#include <gtest/gtest.h>

using namespace quba;

namespace {

constexpr uint64_t kPlentyOfMemory = uint64_t{1} << 40;

std::optional<std::string> RefusalFor(QStringList arguments, uint64_t memory = kPlentyOfMemory) {
    arguments.prepend("quba-cli");
    arguments << "--pattern"
              << "circle";
    const ParseOutcome outcome = ParseArguments(arguments);
    EXPECT_EQ(outcome.action, ParseOutcome::Action::Run) << outcome.text;
    return FirstRefusal(outcome.config, memory);
}

} // namespace

TEST(StartChecks, RefusedSettingsCarryTheGuiMessage) {
    const std::vector<std::pair<QStringList, std::string>> cases = {
        {{"--crossover", "0.8", "--mutation", "0.3"},
         "--crossover: The sum of operation rate must be 1.0"},
        {{"--one-point", "0.2"}, "--crossover: The sum of operation rate must be 1.0"},
        {{"--function-ratio", "0.6", "--variable-ratio", "0.6"},
         "--function-ratio: The sum of initial node ratio must be 1.0"},
        {{"--population-size", "1"}, "--population-size: Population size must be at least 2."},
        {{"--generations", "-1"}, "--generations: Generation must not be negative."},
        {{"--selection", "tournament", "--tournament-size", "0"},
         "--tournament-size: Tournament size must be at least 1."},
        {{"--max-length", "69"}, "--max-length: Maximum length must be at least 70."},
        {{"--constants", "0"}, "--constants: Number of constants must be at least 1."},
        {{"--function-ratio", "1", "--variable-ratio", "0"},
         "--function-ratio: Function ratio must be below 1."},
    };
    for (const auto& [arguments, line] : cases)
        EXPECT_EQ(RefusalFor(arguments), line);
}

TEST(StartChecks, DerivedValuesAreCheckedWithTheLabelRounding) {
    // 1 - 0.70001 - 0.3 shows as -0.0000 rounded to 0.0000 and passes.
    EXPECT_EQ(RefusalFor({"--crossover", "0.70001", "--mutation", "0.3"}), std::nullopt);
    EXPECT_EQ(RefusalFor({"--crossover", "0.5", "--mutation", "0.5"}), std::nullopt);
    // A tournament size of 0 does no harm without tournament selection.
    EXPECT_EQ(RefusalFor({"--tournament-size", "0"}), std::nullopt);
}

TEST(StartChecks, AllRatesComeBeforeAnyNodeRatioAndOnlyPopulationsInTheRun) {
    EXPECT_EQ(RefusalFor({"--populations", "2", "--crossover", "0.7,0.9", "--function-ratio",
                          "0.9,0.5", "--variable-ratio", "0.9,0.2"}),
              "--crossover: population 2: The sum of operation rate must be 1.0");
    EXPECT_EQ(RefusalFor({"--populations", "3", "--function-ratio", "0.5,0.5,0.9",
                          "--variable-ratio", "0.9"}),
              "--function-ratio: population 1: The sum of initial node ratio must be 1.0");
}

TEST(StartChecks, PopulationsBeyondPhysicalMemoryAreRefused) {
    // Two buffers of 1000 programs of 100 nodes of 4 bytes, and what holds
    // each program: about 1 MB.
    EXPECT_EQ(RefusalFor({}, 1200000), std::nullopt);
    EXPECT_EQ(RefusalFor({}, 800000), "--population-size/--max-length: Not enough memory for "
                                      "populations of this size and maximum length.");
    EXPECT_EQ(RefusalFor({"--populations", "2"}, 1200000).has_value(), true);
}
