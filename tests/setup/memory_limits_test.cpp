// Start refuses a problem record that cannot fit into memory, before any of
// it is allocated.
#include "engine/problem.h"
#include "setup/start_check.h"

#include <gtest/gtest.h>

using namespace quba;

namespace {

std::optional<Refusal> CheckConstants(const char* count, uint64_t memory) {
    const DataGrid grid(2);
    ProblemSettings problem;
    problem.training = problem.validation = &grid;
    problem.constantCountText = count;
    const PopulationSettings sheet;
    StartOutcome outcome = CheckStart(problem, std::span(&sheet, 1), memory);
    if (const auto* refusal = std::get_if<Refusal>(&outcome))
        return *refusal;
    return std::nullopt;
}

TEST(MemoryLimits, TheLargestConstantCountIsRefused) {
    const auto refusal = CheckConstants("2147483647", uint64_t{24} << 30);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->population, -1);
    EXPECT_EQ(refusal->field, SettingField::ConstantCount);
    EXPECT_EQ(refusal->message, "Not enough memory for this number of constants.");
}

TEST(MemoryLimits, ConstantsCountTheirTableEntryAndTheirValue) {
    const uint64_t perConstant = sizeof(NodeEntry) + sizeof(float);
    const uint64_t memory = 1000000 * perConstant;
    const auto fits = CheckConstants("1000000", memory);
    EXPECT_TRUE(!fits || fits->field != SettingField::ConstantCount);
    const auto refused = CheckConstants("1000001", memory);
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->field, SettingField::ConstantCount);
}

} // namespace
