// Start refuses a problem record that cannot fit into memory, before any of
// it is allocated.
#include "engine/problem.h"
#include "engine/settings.h"

#include <gtest/gtest.h>

namespace {

std::optional<Refusal> CheckConstants(const char* count, uint64_t memory) {
    ProblemSettings problem;
    problem.constantCountText = count;
    const PopulationSettings sheet;
    return CheckRunLimits(problem, &sheet, 1, memory);
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
