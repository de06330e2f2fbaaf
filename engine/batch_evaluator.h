// A column evaluator that gives exactly the results of the recursive walk
// through the node table, many cases at a time.
#pragma once

#include "engine/evaluator.h"
#include "engine/primitives.h"

#include <cstdint>
#include <vector>

namespace quba {

// A node keeps its values in the precision its parent reads them in (see
// ArgumentPrecisionsOf): the rounding then happens at the store.

// Where an operand's column comes from: the X or Y values of the block, a
// constant's column, or a computed column in one of the three pools.
struct ColumnSource {
    enum Kind : uint8_t { kX, kY, kConstant, kFloat, kDouble, kExtended };
    Kind kind = kX;
    int32_t index = 0; // constant column or pool slot
};

// The columns of the block being evaluated.
struct ColumnBlock {
    const float* x = nullptr;
    const float* y = nullptr;
    const float* constants = nullptr;
    float* floats = nullptr;
    double* doubles = nullptr;
    long double* extendeds = nullptr;
    bool* failed = nullptr; // some case of the block met a floating-point error
};

struct ColumnOp;
using ColumnKernel = void (*)(const ColumnOp& op, const ColumnBlock& block, int32_t n);

// One function node: its kernel, its argument columns and its result column.
struct ColumnOp {
    ColumnKernel kernel = nullptr;
    ColumnSource in[4];
    ColumnSource out;
};

// Evaluates one program over a case set, block by block and node by node.
// Allocates only when a program needs more columns than any before it, so one
// evaluator per thread serves a whole run.
class BatchEvaluator final : public Evaluator {
public:
    static constexpr int32_t kBlock = 64;

    long double MeanSquaredError(const Problem& problem, const int32_t* program,
                                 const CaseSet& cases) override;
    void Outputs(const Problem& problem, const int32_t* program, const CaseSet& cases,
                 float* out) override;

private:
    void Compile(const Problem& problem, const int32_t* program);
    ColumnSource Allocate(Precision precision);
    void Release(const ColumnSource& source);
    // Evaluates cases first .. first + n - 1; false when any of them failed.
    bool RunBlock(const CaseSet& cases, int32_t first, int32_t n);
    template <typename Root>
    static bool AddBlockErrors(const Root* root, const float* targets, int32_t n, float& sum);

    std::vector<ColumnOp> ops_;
    ColumnSource root_;
    ColumnBlock block_;
    std::vector<float> constantColumns_;
    std::vector<float> floatPool_;
    std::vector<double> doublePool_;
    std::vector<long double> extendedPool_;
    bool failed_ = false;
    // Scratch of Compile.
    std::vector<Precision> precisions_;
    std::vector<Precision> pendingPrecisions_;
    std::vector<ColumnSource> stack_;
    std::vector<int32_t> freeSlots_[3];
    int32_t slotCount_[3] = {0, 0, 0};
};

} // namespace quba
