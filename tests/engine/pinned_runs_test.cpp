// Whole runs pinned to their figures: for seeded configurations that cover
// the selection methods, elite off, one-point mutation, every function, four
// populations and a data file, the training error of every step (its bits)
// and the best texts at the end, as the program computed them when this test
// was written. Any change to a run's figures fails here.
//
// QUBA_PRINT_PINS=1 prints the table from the build at hand.
#include "tests/engine/test_support.h"

#include "data/data_file.h"
#include "data/patterns.h"
#include "engine/functions.h"
#include "engine/gp.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

using namespace quba;

namespace {

struct PinnedRun {
    const char* name;
    std::function<void(RunSettings&)> configure;
    uint32_t seed;
    // Per population, the bits of the training error of every step.
    std::vector<std::string> trainingBits;
    std::string memo;
};

PopulationValues Small(int32_t size, int32_t generations) {
    PopulationValues values = DefaultPopulationValues();
    values.populationSize = size;
    values.generations = generations;
    return values;
}

RunSettings Pattern(const char* name, int32_t side) {
    return DefaultRunSettings(GeneratePattern(PatternIndex(name), side), 1);
}

std::string Hex(float value) {
    char text[16];
    std::snprintf(text, sizeof text, "%08x", std::bit_cast<uint32_t>(value));
    return text;
}

std::string Escaped(const std::string& text) {
    std::string escaped;
    for (char c : text)
        escaped += c == '\r' ? "\\r" : c == '\n' ? "\\n" : std::string(1, c);
    return escaped;
}

// The run's figures: the training bits of every step, by population, and the memo.
std::pair<std::vector<std::string>, std::string> Figures(const RunSettings& settings,
                                                         uint32_t seed) {
    RecordingOutlet outlet;
    RandomGenerator random;
    auto run = BuildRun(settings, BuildFunctionTable(), random);
    RunEvolution(*run, outlet, [seed] { return seed; });
    std::vector<std::string> bits(settings.populations.size());
    for (const auto& step : outlet.published)
        bits[step.population] += (bits[step.population].empty() ? "" : " ") + Hex(step.training);
    return {bits, outlet.bestTexts.empty() ? "" : outlet.bestTexts.back()};
}

const std::vector<PinnedRun>& Runs();

TEST(PinnedRuns, FiguresAreWhatTheyWereWhenPinned) {
    const bool print = std::getenv("QUBA_PRINT_PINS") != nullptr;
    for (const PinnedRun& pinned : Runs()) {
        RunSettings settings;
        pinned.configure(settings);
        const auto [bits, memo] = Figures(settings, pinned.seed);
        if (print) {
            std::printf("        // %s\n        {", pinned.name);
            for (const std::string& population : bits)
                std::printf("\"%s\",\n         ", population.c_str());
            std::printf("},\n        \"%s\",\n", Escaped(memo).c_str());
            continue;
        }
        EXPECT_EQ(bits, pinned.trainingBits) << pinned.name;
        EXPECT_EQ(memo, pinned.memo) << pinned.name;
    }
}

const std::vector<PinnedRun>& Runs() {
    static const std::vector<PinnedRun> runs = {
        {"proportional, the defaults",
         [](RunSettings& s) {
             s = Pattern("circle", 8);
             s.populations = {Small(60, 8)};
         },
         11,
         {"3f49a3da 3efd5ea7 3efd5ea7 3efd5ea7 3efd5ea7 3efd5ea7 3ec62b93 3ec62b93"},
         "[Population No1]\r\nC= ( ( ( (-0.700*-1.000) - (0.900/ (-0.800--0.400) ) ) * (X-0.020) ) "
         "*X) \r\n\r\n\r\n\r\n\r\n\r\n"},
        {"tournament of 4, elite off",
         [](RunSettings& s) {
             s = Pattern("cup", 8);
             PopulationValues p = Small(50, 8);
             p.selectionMethod = SelectionMethod::Tournament;
             p.tournamentSize = 4;
             p.eliteFraction = 0;
             s.populations = {p};
         },
         12,
         {"3e1517e8 3e1517e8 3e14c668 3e14c668 3e2bf37f 3e356bda 3e069743 3e25c7cf"},
         "[Population No1]\r\nC= ( ( ( ( (0.070--0.800) *0.900) - ( (0.070+0.400) *-0.300) ) "
         "*0.900) * (X*-0.300) ) \r\n\r\n\r\n\r\n\r\n\r\n"},
        {"random selection, one-point mutation",
         [](RunSettings& s) {
             s = Pattern("line", 8);
             PopulationValues p = Small(50, 8);
             p.selectionMethod = SelectionMethod::Random;
             p.crossoverRate = 0.5f;
             p.onePointMutationRate = 0.2f;
             s.populations = {p};
         },
         13,
         {"3dfee8ab 3dbc7ade 3db99f4d 3db99f4d 3db99f4d 3dacf978 3dacf978 3dacf978"},
         "[Population No1]\r\nC= (X+ (0.060*0.800) ) \r\n\r\n\r\n\r\n\r\n\r\n"},
        {"all twelve functions over -10 .. 10",
         [](RunSettings& s) {
             s = Pattern("S curve", 6);
             s.problem.functionChecked.fill(true);
             s.problem.constantLower = -10;
             s.problem.constantUpper = 10;
             PopulationValues p = Small(60, 8);
             p.functionRatio = 0.7f;
             s.populations = {p};
         },
         14,
         {"3ef037db 3ef037db 3ed4e488 3ed4e488 3ed4e488 3ed4e488 3ed4e488 3ed49190"},
         "[Population No1]\r\nC= ( (ln (Y) /sqrt ( (-7.000/ (if sqrt (-7.000)  < -1.000 then 0.200 "
         "else -0.400) ) ) ) -Y) \r\n\r\n\r\n\r\n\r\n\r\n"},
        {"four populations of their own",
         [](RunSettings& s) {
             s = Pattern("circle2", 7);
             PopulationValues a = Small(30, 6);
             PopulationValues b = Small(40, 8);
             b.selectionMethod = SelectionMethod::Tournament;
             b.tournamentSize = 3;
             PopulationValues c = Small(25, 5);
             c.eliteFraction = 0.25f;
             c.mutationRate = 0.1f;
             PopulationValues d = Small(35, 8);
             d.selectionMethod = SelectionMethod::Random;
             d.maxInitialDepth = 3;
             s.populations = {a, b, c, d};
         },
         15,
         {"3e2e107c 3e29f650 3e29f650 3e29f650 3e23f174 3e23f174",
          "3e2e107c 3e23c808 3e23c808 3e23c808 3e23c808 3e23c808 3e23c808 3e23c808",
          "3e2e107c 3e2e107c 3e2e107c 3e2e107c 3e23eafe",
          "3e24d55d 3e24d55d 3e24d55d 3e24d55d 3e24d55d 3e24d55d 3e24d55d 3e24d55d"},
         "[Population No1]\r\nC= (0.200+-0.400) \r\n\r\n[Population "
         "No2]\r\nC=-0.300\r\n\r\n[Population No3]\r\nC= ( (0.900- (X+ ( (-0.700+-0.700) * "
         "(0.700*X) ) ) ) * ( (0.400*1.000) * ( (-0.020+ (-0.700-X) ) +X) ) ) \r\n\r\n[Population "
         "No4]\r\nC= ( (0.400*1.000) * ( (-0.020+-0.400) +-0.070) ) "},
        {"a data file, sin cos and the if-forms",
         [](RunSettings& s) {
             const Outcome<DataGrid> file =
                 ParseDataText("0.5 -0.25 1 0.75 -1\n0.1 0.2 0.3 -0.4 0.5\n-0.6 0.7 -0.8 0.9 1\n"
                               "1 -1 1 -1 1\n0.05 0.15 0.25 0.35 0.45\n",
                               5);
             s = DefaultRunSettings(*file.value, 1);
             s.problem.functionChecked = {};
             for (int k : {4, 5, 10, 11})
                 s.problem.functionChecked[k] = true;
             s.problem.constantCount = 100;
             PopulationValues p = Small(50, 7);
             p.eliteFraction = static_cast<float>(25 * 0.01L);
             s.populations = {p};
         },
         16,
         {"3ee5143c 3ee2ddff 3ee2ddff 3ee2ddff 3ee2ddff 3ee2ddff 3ee2ddff"},
         "[Population No1]\r\nC= (if -0.800 > 0.500 then X else 0.200) \r\n\r\n\r\n\r\n\r\n\r\n"},
    };
    return runs;
}

} // namespace
