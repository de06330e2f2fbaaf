// A formula piece as the codec handles it: made from a run's program, its
// constants quantised, and evaluated over its block with the exact
// arithmetic, as the decoder evaluates it.
#pragma once

#include "codec/formula_file.h"
#include "engine/best_program.h"
#include "engine/evaluator.h"

#include <array>
#include <memory>
#include <optional>
#include <vector>

namespace quba {

// The program's nodes by kind, its constants by value; with a scaling whose
// factor is 0, a flat piece.
Piece PieceOf(const Problem& problem, const int32_t* nodes, int32_t length,
              const std::optional<Scaling>& scaling);
Piece PieceOf(const BestProgram& program);

// The functions a piece uses.
std::array<bool, kFunctionCount> FunctionsOf(const Piece& piece);

// v rounded to the nearest multiple of 2^-precision (halves away from zero);
// none where that multiple is beyond what a file holds.
std::optional<float> Quantised(float value, int32_t precision);

// A piece ready to evaluate over a block: its problem (node table, constants,
// the block's cases) and its node codes.
class PieceProgram {
public:
    PieceProgram(const Piece& piece, const std::array<bool, kFunctionCount>& functions,
                 const Region& block);

    // The program's raw output f at every case of the block (or of `cases`,
    // any points in the block's coordinates), before any scaling.
    void RawOutputs(Evaluator& evaluator, float* out) const;
    void RawOutputs(Evaluator& evaluator, const CaseSet& cases, float* out) const;
    [[nodiscard]] int32_t CaseCount() const { return problem_->trainingCount; }
    [[nodiscard]] const std::shared_ptr<Problem>& SharedProblem() const { return problem_; }
    [[nodiscard]] const std::vector<int32_t>& Codes() const { return codes_; }

private:
    std::shared_ptr<Problem> problem_;
    std::vector<int32_t> codes_;
};

// The piece's values over its block: a + b f with a scaling (a alone when
// flat), f without one; not-a-number where the evaluation fails.
void PieceOutputs(const Piece& piece, const std::array<bool, kFunctionCount>& functions,
                  const Region& block, Evaluator& evaluator, float* out);

// The piece quantised at `precision` (or exact) to fit `targets` over its
// block: its constants rounded, then with a scaling the factor fitted anew to
// the rounded program's output and rounded, then the offset fitted to what
// is left and rounded; a factor of 0 leaves a flat piece. Its outputs are
// left in `out`. None where a constant cannot be quantised.
std::optional<Piece> QuantisedPiece(const Piece& piece,
                                    const std::array<bool, kFunctionCount>& functions,
                                    const Region& block, const float* targets, int32_t precision,
                                    Evaluator& evaluator, float* out);

// The squared error summed in double; +infinity where an output is not finite.
double SquaredError(const float* outputs, const float* targets, int64_t count);

} // namespace quba
