// A program is compiled into one operation per function node, arguments
// first, each result in a slot column of one block of cases; the block is
// then run operation by operation, each over all its cases with SIMD. Every
// value is a 32-bit float: + - * / round as IEEE floats do (this file is
// built without contraction into fused multiply-adds), the rest are
// Highway's vectorised functions with the protections of the primitives.
// The per-instruction-set part below is compiled once for each instruction
// set; the first call picks the best one the machine has.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "engine/fast_evaluator.cpp"
#include <hwy/foreach_target.h> // IWYU pragma: keep

#include <hwy/contrib/math/math-inl.h>
#include <hwy/highway.h>

#include "engine/fast_evaluator.h"
#include "engine/fast_program.h"
#include "engine/problem.h"

#include <hwy/aligned_allocator.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <vector>

HWY_BEFORE_NAMESPACE();
namespace quba {
namespace HWY_NAMESPACE {

namespace hn = hwy::HWY_NAMESPACE;
using Floats = hn::ScalableTag<float>;
constexpr int32_t kBlock = FastWork::kBlock;

// An argument: a column of the block, or a constant, which stays in a register.
struct Operand {
    const float* column = nullptr;
    float value = 0;
    bool constant = false;
};

Operand OperandOf(const FastWork& work, const FastColumn& column, const float* x, const float* y) {
    switch (column.kind) {
    case FastColumn::kX:
        return {x};
    case FastColumn::kY:
        return {y};
    case FastColumn::kConstant:
        return {nullptr, work.constants[column.index], true};
    case FastColumn::kSlot:
        break;
    }
    return {work.results + column.index * kBlock};
}

// The column of a program's value: a terminal's is filled, as a program of
// one constant has no other.
const float* RootColumn(const FastWork& work, const float* x, const float* y) {
    const Operand root = OperandOf(work, work.root, x, y);
    if (!root.constant)
        return root.column;
    std::fill_n(work.results, kBlock, root.value);
    return work.results;
}

template <bool Constant>
hn::Vec<Floats> Get(Floats d, const Operand& operand, hn::Vec<Floats> broadcast, int32_t i) {
    if constexpr (Constant)
        return broadcast;
    else
        return hn::LoadU(d, operand.column + i);
}

// out[i] = f(a[i], ...) over the block, a vector at a time; a constant
// argument is a register, chosen once for the whole block.
template <bool A, class F> void MapWith(float* out, F f, const Operand& a) {
    const Floats d;
    const auto va = hn::Set(d, a.value);
    for (int32_t i = 0; i < kBlock; i += static_cast<int32_t>(hn::Lanes(d)))
        hn::Store(f(d, Get<A>(d, a, va, i)), d, out + i);
}
template <class F> void Map(float* out, F f, const Operand& a) {
    if (a.constant)
        MapWith<true>(out, f, a);
    else
        MapWith<false>(out, f, a);
}
template <bool A, bool B, class F>
void MapWith(float* out, F f, const Operand& a, const Operand& b) {
    const Floats d;
    const auto va = hn::Set(d, a.value);
    const auto vb = hn::Set(d, b.value);
    for (int32_t i = 0; i < kBlock; i += static_cast<int32_t>(hn::Lanes(d)))
        hn::Store(f(d, Get<A>(d, a, va, i), Get<B>(d, b, vb, i)), d, out + i);
}
template <class F> void Map(float* out, F f, const Operand& a, const Operand& b) {
    if (a.constant && b.constant)
        MapWith<true, true>(out, f, a, b);
    else if (a.constant)
        MapWith<true, false>(out, f, a, b);
    else if (b.constant)
        MapWith<false, true>(out, f, a, b);
    else
        MapWith<false, false>(out, f, a, b);
}
// The if-forms, rarer: each constant argument is loaded as a filled column.
template <class F>
void Map(float* out, F f, const Operand& a, const Operand& b, const Operand& c, const Operand& e,
         float* filled) {
    const Floats d;
    std::array<const float*, 4> columns{};
    const std::array<const Operand*, 4> operands = {&a, &b, &c, &e};
    for (size_t k = 0; k < 4; ++k) {
        columns[k] = operands[k]->column;
        if (operands[k]->constant) {
            std::fill_n(filled + k * kBlock, kBlock, operands[k]->value);
            columns[k] = filled + k * kBlock;
        }
    }
    for (int32_t i = 0; i < kBlock; i += static_cast<int32_t>(hn::Lanes(d)))
        hn::Store(f(d, hn::LoadU(d, columns[0] + i), hn::LoadU(d, columns[1] + i),
                    hn::LoadU(d, columns[2] + i), hn::LoadU(d, columns[3] + i)),
                  d, out + i);
}

template <class V> V NotANumber(Floats d) {
    return hn::Set(d, std::numeric_limits<float>::quiet_NaN());
}

// "/": 1 for a zero divisor.
template <class V> V Divide(Floats d, V a, V b) {
    const auto zero = hn::Eq(b, hn::Zero(d));
    const V one = hn::Set(d, 1.0f);
    return hn::IfThenElse(zero, one, hn::Div(a, hn::IfThenElse(zero, one, b)));
}

// sin, cos and tan: a not-a-number beyond the accurate range.
template <class V> V TrigArgument(Floats d, V x) {
    return hn::IfThenElse(hn::Gt(hn::Abs(x), hn::Set(d, kFastTrigBound)), NotANumber<V>(d), x);
}

// ln, log10 and sqrt of the magnitude of the integer part; 0 for 0, a
// not-a-number for what is not finite.
template <class V, class F> V OfMagnitude(Floats d, V x, F f) {
    const V magnitude = hn::Abs(hn::Trunc(x));
    const auto zero = hn::Eq(magnitude, hn::Zero(d));
    const V value = f(d, hn::IfThenElse(zero, hn::Set(d, 1.0f), magnitude));
    return hn::IfThenElse(hn::IsFinite(x), hn::IfThenElse(zero, hn::Zero(d), value),
                          NotANumber<V>(d));
}

// The if-forms: c when the comparison holds, else e; a not-a-number compared
// gives a not-a-number.
template <bool Less, class V> V Choose(Floats d, V a, V b, V c, V e) {
    const auto holds = Less ? hn::Lt(a, b) : hn::Gt(a, b);
    const auto unordered = hn::Or(hn::IsNaN(a), hn::IsNaN(b));
    return hn::IfThenElse(unordered, NotANumber<V>(d), hn::IfThenElse(holds, c, e));
}

void RunOps(const FastWork& work, const float* x, const float* y) {
    for (size_t k = 0; k < work.opCount; ++k) {
        const FastOp& op = work.ops[k];
        const Operand a = OperandOf(work, op.in[0], x, y);
        const Operand b = OperandOf(work, op.in[1], x, y);
        float* out = work.results + op.out * kBlock;
        switch (op.primitive) {
        case PrimitiveId::Add:
            Map(
                out, [](Floats, auto u, auto v) { return hn::Add(u, v); }, a, b);
            break;
        case PrimitiveId::Subtract:
            Map(
                out, [](Floats, auto u, auto v) { return hn::Sub(u, v); }, a, b);
            break;
        case PrimitiveId::Multiply:
            Map(
                out, [](Floats, auto u, auto v) { return hn::Mul(u, v); }, a, b);
            break;
        case PrimitiveId::Divide:
            Map(
                out, [](Floats d, auto u, auto v) { return Divide(d, u, v); }, a, b);
            break;
        case PrimitiveId::Sin:
            Map(
                out, [](Floats d, auto u) { return hn::Sin(d, TrigArgument(d, u)); }, a);
            break;
        case PrimitiveId::Cos:
            Map(
                out, [](Floats d, auto u) { return hn::Cos(d, TrigArgument(d, u)); }, a);
            break;
        case PrimitiveId::Tan:
            Map(
                out,
                [](Floats d, auto u) {
                    const auto t = TrigArgument(d, u);
                    return hn::Div(hn::Sin(d, t), hn::Cos(d, t));
                },
                a);
            break;
        case PrimitiveId::Ln:
            Map(
                out,
                [](Floats d, auto u) {
                    return OfMagnitude(d, u, [](Floats e, auto m) { return hn::Log(e, m); });
                },
                a);
            break;
        case PrimitiveId::Log10:
            Map(
                out,
                [](Floats d, auto u) {
                    return OfMagnitude(d, u, [](Floats e, auto m) { return hn::Log10(e, m); });
                },
                a);
            break;
        case PrimitiveId::Sqrt:
            Map(
                out,
                [](Floats d, auto u) {
                    return OfMagnitude(d, u, [](Floats, auto m) { return hn::Sqrt(m); });
                },
                a);
            break;
        case PrimitiveId::IfGreater:
        case PrimitiveId::IfLess: {
            const Operand c = OperandOf(work, op.in[2], x, y);
            const Operand e = OperandOf(work, op.in[3], x, y);
            if (op.primitive == PrimitiveId::IfLess)
                Map(
                    out,
                    [](Floats d, auto p, auto q, auto r, auto s) {
                        return Choose<true>(d, p, q, r, s);
                    },
                    a, b, c, e, work.filled);
            else
                Map(
                    out,
                    [](Floats d, auto p, auto q, auto r, auto s) {
                        return Choose<false>(d, p, q, r, s);
                    },
                    a, b, c, e, work.filled);
            break;
        }
        }
    }
}

// The squared errors of one block added up in float, lane by lane, then
// across the lanes; false when an output or the sum is not finite.
bool BlockErrorSum(const float* root, const float* targets, int32_t n, float& sum) {
    const Floats d;
    const auto lanes = static_cast<int32_t>(hn::Lanes(d));
    if (n < kBlock) {
        // The partial last block, case by case, so that padding never counts.
        sum = 0;
        for (int32_t k = 0; k < n; ++k) {
            if (!std::isfinite(root[k]))
                return false;
            const float error = root[k] - targets[k];
            sum += error * error;
        }
        return std::isfinite(sum);
    }
    auto total = hn::Zero(d);
    auto finite = hn::FirstN(d, lanes);
    for (int32_t i = 0; i < kBlock; i += lanes) {
        const auto value = hn::LoadU(d, root + i);
        finite = hn::And(finite, hn::IsFinite(value));
        const auto error = hn::Sub(value, hn::LoadU(d, targets + i));
        total = hn::Add(total, hn::Mul(error, error));
    }
    sum = hn::GetLane(hn::SumOfLanes(d, total));
    return hn::AllTrue(d, finite) && std::isfinite(sum);
}

// The cases of block `first`: straight from the case set when the block is
// whole, else copied into the padded columns.
struct BlockCases {
    const float* x;
    const float* y;
    const float* targets;
    int32_t n;
};

BlockCases CasesOf(const FastWork& work, const CaseSet& cases, int32_t first) {
    const int32_t n = std::min(kBlock, cases.count - first);
    if (n == kBlock)
        return {cases.xs + first, cases.ys + first, cases.targets + first, n};
    float* x = work.padded;
    float* y = work.padded + kBlock;
    float* t = work.padded + 2 * kBlock;
    std::fill(work.padded, work.padded + 3 * kBlock, 0.0f);
    std::copy(cases.xs + first, cases.xs + first + n, x);
    std::copy(cases.ys + first, cases.ys + first + n, y);
    std::copy(cases.targets + first, cases.targets + first + n, t);
    return {x, y, t, n};
}

bool ErrorSum(const FastWork& work, const CaseSet& cases, double* sum) {
    *sum = 0;
    for (int32_t first = 0; first < cases.count; first += kBlock) {
        const BlockCases block = CasesOf(work, cases, first);
        RunOps(work, block.x, block.y);
        float blockSum = 0;
        if (!BlockErrorSum(RootColumn(work, block.x, block.y), block.targets, block.n, blockSum))
            return false;
        *sum += blockSum;
    }
    return true;
}

void BlockOutputs(const FastWork& work, const CaseSet& cases, float* out) {
    for (int32_t first = 0; first < cases.count; first += kBlock) {
        const BlockCases block = CasesOf(work, cases, first);
        RunOps(work, block.x, block.y);
        const float* root = RootColumn(work, block.x, block.y);
        for (int32_t k = 0; k < block.n; ++k)
            out[first + k] =
                std::isfinite(root[k]) ? root[k] : std::numeric_limits<float>::quiet_NaN();
    }
}

int64_t TargetOfThisCode() {
    return HWY_TARGET;
}

} // namespace HWY_NAMESPACE
} // namespace quba
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace quba {

HWY_EXPORT(ErrorSum);
HWY_EXPORT(BlockOutputs);
HWY_EXPORT(TargetOfThisCode);

struct FastEvaluator::Compiler {
    std::vector<FastOp> ops;
    std::vector<int32_t> freeSlots;
    int32_t slotCount = 0;
    std::vector<float> constantValues;
    hwy::AlignedFreeUniquePtr<float[]> slots;
    size_t slotCapacity = 0;
    hwy::AlignedFreeUniquePtr<float[]> scratch; // padded and filled columns

    int32_t AllocateSlot() {
        if (!freeSlots.empty()) {
            const int32_t slot = freeSlots.back();
            freeSlots.pop_back();
            return slot;
        }
        return slotCount++;
    }

    FastColumn CompileNode(const Problem& problem, const int32_t* program, int32_t& position) {
        const NodeEntry& node = problem.nodeTable[program[position]];
        if (node.type == NodeType::Variable)
            return {node.terminalIndex == 0 ? FastColumn::kX : FastColumn::kY, 0};
        if (node.type == NodeType::Constant) {
            constantValues.push_back(problem.constants[node.terminalIndex]);
            return {FastColumn::kConstant, static_cast<int32_t>(constantValues.size()) - 1};
        }
        FastOp op;
        op.primitive = node.primitive;
        for (int32_t a = 0; a <= node.arityMinus1; ++a) {
            ++position;
            op.in[a] = CompileNode(problem, program, position);
        }
        // An argument's slot is free again once its parent has read it; the
        // parent may write its result there, case by case.
        for (int32_t a = 0; a <= node.arityMinus1; ++a)
            if (op.in[a].kind == FastColumn::kSlot)
                freeSlots.push_back(op.in[a].index);
        op.out = AllocateSlot();
        ops.push_back(op);
        return {FastColumn::kSlot, op.out};
    }

    FastWork Compile(const Problem& problem, const int32_t* program) {
        ops.clear();
        freeSlots.clear();
        slotCount = 0;
        constantValues.clear();
        int32_t position = 0;
        const FastColumn root = CompileNode(problem, program, position);

        const auto block = static_cast<size_t>(FastWork::kBlock);
        // At least one slot: a program of one constant writes its value there.
        const auto needed = static_cast<size_t>(std::max(slotCount, 1));
        if (needed > slotCapacity) {
            slotCapacity = needed;
            slots = hwy::AllocateAligned<float>(slotCapacity * block);
        }
        if (!scratch)
            scratch = hwy::AllocateAligned<float>(7 * block);

        FastWork work;
        work.ops = ops.data();
        work.opCount = ops.size();
        work.root = root;
        work.results = slots.get();
        work.constants = constantValues.data();
        work.padded = scratch.get();
        work.filled = scratch.get() + 3 * block;
        return work;
    }
};

FastEvaluator::FastEvaluator() : compiler_(std::make_unique<Compiler>()) {}

FastEvaluator::~FastEvaluator() = default;

long double FastEvaluator::MeanSquaredError(const Problem& problem, const int32_t* program,
                                            const CaseSet& cases) {
    const FastWork work = compiler_->Compile(problem, program);
    double sum = 0;
    if (!HWY_DYNAMIC_DISPATCH(ErrorSum)(work, cases, &sum))
        return std::numeric_limits<long double>::infinity();
    return static_cast<long double>(sum) / cases.count;
}

void FastEvaluator::Outputs(const Problem& problem, const int32_t* program, const CaseSet& cases,
                            float* out) {
    const FastWork work = compiler_->Compile(problem, program);
    HWY_DYNAMIC_DISPATCH(BlockOutputs)(work, cases, out);
}

std::string FastArithmeticTarget() {
    return hwy::TargetName(HWY_DYNAMIC_DISPATCH(TargetOfThisCode)());
}

} // namespace quba
#endif // HWY_ONCE
