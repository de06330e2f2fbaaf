// A column evaluator that gives exactly the results of the recursive walk
// through the node table, many cases at a time.
#pragma once

#include <cstdint>
#include <vector>

struct Problem;

// One set of fitness cases: parallel arrays of `count` values.
struct CaseSet {
    const float* xs = nullptr;
    const float* ys = nullptr;
    const float* targets = nullptr;
    int32_t count = 0;
};

// Where a column's values are held. A node keeps its values in the precision
// its parent reads them in: a first argument of + - *, both operands of / and
// a of the if-forms as floats (their rounding happens at the store), an if-form's
// c as floats whose overflow counts only when c is returned, a trigonometric
// argument as doubles, and everything else in extended precision.
enum class Store : uint8_t { Float, LazyFloat, Double, Extended };

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
class BatchEvaluator {
public:
    static constexpr int32_t kBlock = 64;

    // The mean squared error with the error sum formed case by case in
    // float; +infinity when any case meets a floating-point error.
    long double MeanSquaredError(const Problem& problem, const int32_t* program,
                                 const CaseSet& cases);
    // The program's value at every case rounded to float, a not-a-number
    // where the evaluation fails.
    void Outputs(const Problem& problem, const int32_t* program, const CaseSet& cases, float* out);

private:
    void Compile(const Problem& problem, const int32_t* program);
    ColumnSource Allocate(Store store);
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
    std::vector<Store> stores_;
    std::vector<Store> pendingStores_;
    std::vector<ColumnSource> stack_;
    std::vector<int32_t> freeSlots_[3];
    int32_t slotCount_[3] = {0, 0, 0};
};
