// The fast arithmetic: every program evaluated in 32-bit floats, a block of
// cases at a time with SIMD through Google Highway, on the best instruction
// set of the machine chosen when the program starts. Its figures are close to
// the exact arithmetic's, not equal to them.
#pragma once

#include "engine/evaluator.h"

#include <hwy/aligned_allocator.h>

#include <cstdint>
#include <string>
#include <vector>

namespace quba {

// The fast rules where they differ from the exact ones: sin, cos and tan of a
// magnitude above this are not-a-numbers (the range in which the vectorised
// sine and cosine are accurate); ln, log10 and sqrt take the magnitude of the
// whole integer part, not of its low 32 bits.
inline constexpr float kFastTrigBound = 39000.0f;

// Where an operand's column comes from.
struct FastColumn {
    enum Kind : uint8_t { kX, kY, kConstant, kSlot };
    Kind kind = kX;
    int32_t index = 0; // constant or slot
};

// One function node: its primitive, its argument columns and its result slot.
struct FastOp {
    PrimitiveId primitive = PrimitiveId::Add;
    FastColumn in[4];
    int32_t out = 0;
};

// What the evaluation of one block reads and writes.
struct FastWork {
    static constexpr int32_t kBlock = 256;

    const FastOp* ops = nullptr;
    size_t opCount = 0;
    FastColumn root;
    float* results = nullptr;         // slot s: results + s * kBlock
    const float* constants = nullptr; // the program's constants, in the order it uses them
    float* padded = nullptr;          // x, y and targets of a last, partial block
    float* filled = nullptr;          // four columns for an if-form's constant arguments
};

class FastEvaluator final : public Evaluator {
public:
    // A non-finite output or squared error at any case scores +infinity.
    long double MeanSquaredError(const Problem& problem, const int32_t* program,
                                 const CaseSet& cases) override;
    // A not-a-number where a case's output is not finite.
    void Outputs(const Problem& problem, const int32_t* program, const CaseSet& cases,
                 float* out) override;

private:
    FastWork Compile(const Problem& problem, const int32_t* program);
    FastColumn CompileNode(const Problem& problem, const int32_t* program, int32_t& position);
    int32_t AllocateSlot();

    std::vector<FastOp> ops_;
    std::vector<int32_t> freeSlots_;
    int32_t slotCount_ = 0;
    std::vector<float> constantValues_;
    hwy::AlignedFreeUniquePtr<float[]> slots_;
    size_t slotCapacity_ = 0;
    hwy::AlignedFreeUniquePtr<float[]> scratch_; // padded and filled columns
};

// The instruction set the fast arithmetic runs on here, such as "AVX2".
std::string FastArithmeticTarget();

} // namespace quba
