// The fast arithmetic: every program evaluated in 32-bit floats, a block of
// cases at a time with SIMD through Google Highway, on the best instruction
// set of the machine chosen when the program starts. Its figures are close to
// the exact arithmetic's, not equal to them.
#pragma once

#include "engine/evaluator.h"

#include <cstdint>
#include <memory>
#include <string>

namespace quba {

// The fast rules where they differ from the exact ones: sin, cos and tan of a
// magnitude above this are not-a-numbers (the range in which the vectorised
// sine and cosine are accurate); ln, log10 and sqrt take the magnitude of the
// whole integer part, not of its low 32 bits.
inline constexpr float kFastTrigBound = 39000.0f;

class FastEvaluator final : public Evaluator {
public:
    FastEvaluator();
    ~FastEvaluator() override;
    FastEvaluator(const FastEvaluator&) = delete;
    FastEvaluator& operator=(const FastEvaluator&) = delete;

    // A non-finite output or squared error at any case scores +infinity.
    long double MeanSquaredError(const Problem& problem, const int32_t* program,
                                 const CaseSet& cases) override;
    // A not-a-number where a case's output is not finite.
    void Outputs(const Problem& problem, const int32_t* program, const CaseSet& cases,
                 float* out) override;

private:
    // The compiled program and the SIMD buffers it runs in.
    struct Compiler;
    std::unique_ptr<Compiler> compiler_;
};

// The instruction set the fast arithmetic runs on here, such as "AVX2".
std::string FastArithmeticTarget();

} // namespace quba
