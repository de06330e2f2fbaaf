#include "codec/piece.h"

#include "engine/functions.h"
#include "engine/problem.h"

#include <cmath>

namespace quba {

Piece PieceOf(const BestProgram& program) {
    return PieceOf(*program.problem, program.nodes.data(),
                   static_cast<int32_t>(program.nodes.size()), program.scaling);
}

Piece PieceOf(const Problem& problem, const int32_t* nodes, int32_t length,
              const std::optional<Scaling>& scaling) {
    Piece piece;
    piece.scaling = scaling;
    if (scaling && scaling->factor == 0)
        return piece;
    for (int32_t k = 0; k < length; ++k) {
        const int32_t code = nodes[k];
        const NodeEntry& entry = problem.nodeTable[static_cast<size_t>(code)];
        switch (entry.type) {
        case NodeType::Function:
            piece.nodes.push_back({FileNode::Kind::Function, entry.primitive});
            break;
        case NodeType::Variable:
            piece.nodes.push_back(
                {entry.terminalIndex == 0 ? FileNode::Kind::X : FileNode::Kind::Y});
            break;
        case NodeType::Constant:
            piece.nodes.push_back({FileNode::Kind::Constant});
            piece.constants.push_back(problem.constants[static_cast<size_t>(entry.terminalIndex)]);
            break;
        }
    }
    return piece;
}

std::array<bool, kFunctionCount> FunctionsOf(const Piece& piece) {
    std::array<bool, kFunctionCount> used{};
    for (const FileNode& node : piece.nodes)
        if (node.kind == FileNode::Kind::Function)
            used[static_cast<size_t>(node.function)] = true;
    return used;
}

std::optional<float> Quantised(float value, int32_t precision) {
    const double steps = std::round(std::ldexp(static_cast<double>(value), precision));
    if (!std::isfinite(steps) || std::fabs(steps) >= 0x1p50)
        return std::nullopt;
    return static_cast<float>(std::ldexp(steps, -precision));
}

namespace {

// The problem of a piece: the file's functions (plus where none), X, Y and the
// piece's constants, over the block's cases.
std::shared_ptr<Problem> PieceProblem(const Piece& piece,
                                      const std::array<bool, kFunctionCount>& functions,
                                      const Region& block) {
    ProblemValues values;
    values.functionChecked = functions;
    values.constantCount = static_cast<int32_t>(piece.constants.size());
    values.horizontalName.assign(1, 'X');
    values.verticalName.assign(1, 'Y');
    const std::unique_ptr<Problem> built = BuildProblem(values, BuildFunctionTable());
    for (size_t k = 0; k < piece.constants.size(); ++k) {
        built->constants[k] = piece.constants[k];
        built->nodeTable[static_cast<size_t>(built->functionCount) + 2 + k].name =
            ConstantName(piece.constants[k]);
    }
    return ProblemOnBlock(*built, block.width, block.height,
                          std::vector<float>(static_cast<size_t>(block.Cells()), 0.0f));
}

std::vector<int32_t> NodeCodes(const Piece& piece, const Problem& problem) {
    std::vector<int32_t> codes;
    codes.reserve(piece.nodes.size());
    int32_t constant = problem.functionCount + 2;
    for (const FileNode& node : piece.nodes) {
        switch (node.kind) {
        case FileNode::Kind::Function: {
            // The file's reader took only functions of the set.
            int32_t code = 0;
            while (code + 1 < problem.functionCount &&
                   problem.nodeTable[static_cast<size_t>(code)].primitive != node.function)
                ++code;
            codes.push_back(code);
            break;
        }
        case FileNode::Kind::X:
            codes.push_back(problem.functionCount);
            break;
        case FileNode::Kind::Y:
            codes.push_back(problem.functionCount + 1);
            break;
        case FileNode::Kind::Constant:
            codes.push_back(constant++);
            break;
        }
    }
    return codes;
}

} // namespace

PieceProgram::PieceProgram(const Piece& piece, const std::array<bool, kFunctionCount>& functions,
                           const Region& block)
    : problem_(PieceProblem(piece, functions, block)), codes_(NodeCodes(piece, *problem_)) {}

void PieceProgram::RawOutputs(Evaluator& evaluator, float* out) const {
    RawOutputs(evaluator, problem_->TrainingCases(), out);
}

void PieceProgram::RawOutputs(Evaluator& evaluator, const CaseSet& cases, float* out) const {
    evaluator.Outputs(*problem_, codes_.data(), cases, out);
}

void PieceOutputs(const Piece& piece, const std::array<bool, kFunctionCount>& functions,
                  const Region& block, Evaluator& evaluator, float* out) {
    const int64_t count = block.Cells();
    if (piece.Flat()) {
        std::fill(out, out + count, piece.scaling ? piece.scaling->offset : 0.0f);
        return;
    }
    PieceProgram(piece, functions, block).RawOutputs(evaluator, out);
    if (piece.scaling)
        for (int64_t k = 0; k < count; ++k)
            out[k] = Scaled(*piece.scaling, out[k]);
}

std::optional<Piece> QuantisedPiece(const Piece& piece,
                                    const std::array<bool, kFunctionCount>& functions,
                                    const Region& block, const float* targets, int32_t precision,
                                    Evaluator& evaluator, float* out) {
    const int64_t count = block.Cells();
    const bool exact = precision == ConstantCoding::kExact;
    const auto rounded = [&](double value) -> std::optional<float> {
        if (!std::isfinite(value))
            return std::nullopt;
        return exact ? std::optional<float>(static_cast<float>(value))
                     : Quantised(static_cast<float>(value), precision);
    };
    Piece coded = piece;
    for (float& constant : coded.constants) {
        const std::optional<float> q = rounded(constant);
        if (!q)
            return std::nullopt;
        constant = *q;
    }
    if (!coded.scaling) {
        PieceOutputs(coded, functions, block, evaluator, out);
        return coded;
    }
    float factor = 0;
    if (!coded.Flat()) {
        PieceProgram(coded, functions, block).RawOutputs(evaluator, out);
        const std::optional<float> b =
            rounded(FitScaling(out, targets, static_cast<int32_t>(count)).factor);
        if (!b)
            return std::nullopt;
        factor = *b;
    }
    // The offset fits what the factor leaves: the mean of t - b f.
    double rest = 0;
    for (int64_t k = 0; k < count; ++k)
        rest += static_cast<double>(targets[k]) -
                (factor != 0 ? static_cast<double>(factor) * static_cast<double>(out[k]) : 0.0);
    const std::optional<float> a = rounded(rest / static_cast<double>(count));
    if (!a)
        return std::nullopt;
    coded.scaling = Scaling{*a, factor};
    if (factor == 0) {
        coded.nodes.clear();
        coded.constants.clear();
        std::fill(out, out + count, *a);
    } else {
        for (int64_t k = 0; k < count; ++k)
            out[k] = Scaled(*coded.scaling, out[k]);
    }
    return coded;
}

double SquaredError(const float* outputs, const float* targets, int64_t count) {
    double sum = 0;
    for (int64_t k = 0; k < count; ++k) {
        const double d = static_cast<double>(outputs[k]) - static_cast<double>(targets[k]);
        sum += d * d;
    }
    return std::isfinite(sum) ? sum : HUGE_VAL;
}

} // namespace quba
