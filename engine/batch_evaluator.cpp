#include "engine/batch_evaluator.h"

#include "engine/primitive_rules.h"
#include "engine/problem.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <utility>

// A program is compiled into one kernel call per function node, in reverse
// prefix order so that every argument column exists before its parent runs.
// The cost of exact arithmetic is in the 80-bit loads and stores, so a column
// is kept in the narrowest precision its parent reads it in; the roundings are
// the recursive evaluator's, done at the same places, so the bits agree.

namespace quba {

namespace {

constexpr int32_t kBlock = BatchEvaluator::kBlock;
constexpr long double kInfinity = std::numeric_limits<long double>::infinity();

template <typename T> const T* Column(const ColumnBlock& block, const ColumnSource& source);

template <> const float* Column<float>(const ColumnBlock& block, const ColumnSource& source) {
    switch (source.kind) {
    case ColumnSource::kX:
        return block.x;
    case ColumnSource::kY:
        return block.y;
    case ColumnSource::kConstant:
        return block.constants + source.index * kBlock;
    default:
        return block.floats + source.index * kBlock;
    }
}

template <> const double* Column<double>(const ColumnBlock& block, const ColumnSource& source) {
    return block.doubles + source.index * kBlock;
}

template <>
const long double* Column<long double>(const ColumnBlock& block, const ColumnSource& source) {
    return block.extendeds + source.index * kBlock;
}

// Writes a node's value in the precision its parent reads it in and tells
// whether the case failed there, counting the failures that the parent's
// rounding would raise.
template <Precision S> struct Output;

template <> struct Output<Precision::Float> {
    float* out;
    Output(const ColumnBlock& b, const ColumnSource& s) : out(b.floats + s.index * kBlock) {}
    bool Put(int32_t k, long double value, bool fails) const {
        bool f = fails;
        out[k] = rules::RoundToFloat(value, f);
        return f;
    }
};

// An if-form's c: rounded now, its overflow counted only if it is returned.
template <> struct Output<Precision::LazyFloat> {
    float* out;
    Output(const ColumnBlock& b, const ColumnSource& s) : out(b.floats + s.index * kBlock) {}
    bool Put(int32_t k, long double value, bool fails) const {
        out[k] = static_cast<float>(value);
        return fails;
    }
};

template <> struct Output<Precision::Double> {
    double* out;
    Output(const ColumnBlock& b, const ColumnSource& s) : out(b.doubles + s.index * kBlock) {}
    bool Put(int32_t k, long double value, bool fails) const {
        bool f = fails;
        out[k] = rules::RoundToDouble(value, f);
        return f;
    }
};

template <> struct Output<Precision::Extended> {
    long double* out;
    Output(const ColumnBlock& b, const ColumnSource& s) : out(b.extendeds + s.index * kBlock) {}
    bool Put(int32_t k, long double value, bool fails) const {
        out[k] = value;
        return fails;
    }
};

template <char Op, typename B, Precision S>
void ArithmeticKernel(const ColumnOp& op, const ColumnBlock& block, int32_t n) {
    const float* a = Column<float>(block, op.in[0]);
    const B* b = Column<B>(block, op.in[1]);
    const Output<S> out(block, op.out);
    bool failed = false;
    for (int32_t k = 0; k < n; ++k) {
        const long double x = a[k];
        const long double y = b[k];
        const long double r = Op == '+' ? x + y : Op == '-' ? x - y : x * y;
        failed |= out.Put(k, r, std::isinf(r));
    }
    *block.failed |= failed;
}

template <Precision S> void DivideKernel(const ColumnOp& op, const ColumnBlock& block, int32_t n) {
    const float* a = Column<float>(block, op.in[0]);
    const float* b = Column<float>(block, op.in[1]);
    const Output<S> out(block, op.out);
    bool failed = false;
    for (int32_t k = 0; k < n; ++k) {
        bool fails = false;
        const long double r = rules::Divide(a[k], b[k], fails);
        failed |= out.Put(k, r, fails);
    }
    *block.failed |= failed;
}

template <double (*Function)(double), typename A, Precision S>
void TrigonometricKernel(const ColumnOp& op, const ColumnBlock& block, int32_t n) {
    const A* a = Column<A>(block, op.in[0]); // a double column already counted its overflow
    const Output<S> out(block, op.out);
    bool failed = false;
    for (int32_t k = 0; k < n; ++k)
        failed |= out.Put(k, rules::Trigonometric<Function>(static_cast<double>(a[k])), false);
    *block.failed |= failed;
}

template <double (*Function)(double), typename A, Precision S>
void IntegerMagnitudeKernel(const ColumnOp& op, const ColumnBlock& block, int32_t n) {
    const A* a = Column<A>(block, op.in[0]);
    const Output<S> out(block, op.out);
    bool failed = false;
    for (int32_t k = 0; k < n; ++k) {
        bool fails = false;
        const long double r = rules::IntegerMagnitude<Function>(a[k], fails);
        failed |= out.Put(k, r, fails);
    }
    *block.failed |= failed;
}

template <bool Less, typename B, typename D, Precision S>
void ConditionalKernel(const ColumnOp& op, const ColumnBlock& block, int32_t n) {
    const float* a = Column<float>(block, op.in[0]);
    const B* b = Column<B>(block, op.in[1]);
    const float* c = Column<float>(block, op.in[2]);
    const D* d = Column<D>(block, op.in[3]);
    const Output<S> out(block, op.out);
    bool failed = false;
    for (int32_t k = 0; k < n; ++k) {
        bool fails = false;
        const long double r = rules::Conditional<Less>(a[k], b[k], c[k], d[k], fails);
        failed |= out.Put(k, r, fails);
    }
    *block.failed |= failed;
}

// Kernel choice, one level per template parameter.

template <template <Precision> class Make> ColumnKernel ByPrecision(Precision s) {
    switch (s) {
    case Precision::Float:
        return Make<Precision::Float>::kernel;
    case Precision::LazyFloat:
        return Make<Precision::LazyFloat>::kernel;
    case Precision::Double:
        return Make<Precision::Double>::kernel;
    default:
        return Make<Precision::Extended>::kernel;
    }
}

bool IsFloatColumn(const ColumnSource& s) {
    return s.kind == ColumnSource::kX || s.kind == ColumnSource::kY ||
           s.kind == ColumnSource::kConstant || s.kind == ColumnSource::kFloat;
}

template <char Op, typename B> struct ArithmeticOf {
    template <Precision S> struct At {
        static constexpr ColumnKernel kernel = ArithmeticKernel<Op, B, S>;
    };
};

template <Precision S> struct DivideAt { static constexpr ColumnKernel kernel = DivideKernel<S>; };

template <double (*F)(double), typename A> struct TrigonometricOf {
    template <Precision S> struct At {
        static constexpr ColumnKernel kernel = TrigonometricKernel<F, A, S>;
    };
};

template <double (*F)(double), typename A> struct MagnitudeOf {
    template <Precision S> struct At {
        static constexpr ColumnKernel kernel = IntegerMagnitudeKernel<F, A, S>;
    };
};

template <bool Less, typename B, typename D> struct ConditionalOf {
    template <Precision S> struct At {
        static constexpr ColumnKernel kernel = ConditionalKernel<Less, B, D, S>;
    };
};

// The kernel of primitive Id by its value rule, for the argument columns the
// op reads and the precision its result is held in.
template <PrimitiveId Id> ColumnKernel KernelOf(const ColumnOp& op, Precision s) {
    constexpr Primitive primitive = PrimitiveOf(Id);
    if constexpr (primitive.rule == ValueRule::Arithmetic) {
        return IsFloatColumn(op.in[1])
                   ? ByPrecision<ArithmeticOf<primitive.symbol, float>::template At>(s)
                   : ByPrecision<ArithmeticOf<primitive.symbol, long double>::template At>(s);
    } else if constexpr (primitive.rule == ValueRule::Divide) {
        return ByPrecision<DivideAt>(s);
    } else if constexpr (primitive.rule == ValueRule::Trigonometric) {
        return IsFloatColumn(op.in[0])
                   ? ByPrecision<TrigonometricOf<primitive.function, float>::template At>(s)
                   : ByPrecision<TrigonometricOf<primitive.function, double>::template At>(s);
    } else if constexpr (primitive.rule == ValueRule::IntegerMagnitude) {
        return IsFloatColumn(op.in[0])
                   ? ByPrecision<MagnitudeOf<primitive.function, float>::template At>(s)
                   : ByPrecision<MagnitudeOf<primitive.function, long double>::template At>(s);
    } else {
        constexpr bool less = primitive.symbol == '<';
        const bool floatB = IsFloatColumn(op.in[1]);
        const bool floatD = IsFloatColumn(op.in[3]);
        if (floatB && floatD)
            return ByPrecision<ConditionalOf<less, float, float>::template At>(s);
        if (floatB)
            return ByPrecision<ConditionalOf<less, float, long double>::template At>(s);
        if (floatD)
            return ByPrecision<ConditionalOf<less, long double, float>::template At>(s);
        return ByPrecision<ConditionalOf<less, long double, long double>::template At>(s);
    }
}

using KernelChoice = ColumnKernel (*)(const ColumnOp&, Precision);

template <size_t... I>
constexpr std::array<KernelChoice, kFunctionCount> KernelChoices(std::index_sequence<I...>) {
    return {KernelOf<static_cast<PrimitiveId>(I)>...};
}

constexpr std::array<KernelChoice, kFunctionCount> kKernelChoices =
    KernelChoices(std::make_index_sequence<kFunctionCount>());

ColumnKernel KernelFor(PrimitiveId primitive, const ColumnOp& op, Precision s) {
    return kKernelChoices[static_cast<size_t>(primitive)](op, s);
}

ArgumentPrecisions ArgumentsOf(const Problem& problem, int32_t code) {
    return ArgumentPrecisionsOf(PrimitiveOf(problem.nodeTable[code].primitive).rule);
}

int32_t PoolOf(Precision precision) {
    switch (precision) {
    case Precision::Float:
    case Precision::LazyFloat:
        return 0;
    case Precision::Double:
        return 1;
    default:
        return 2;
    }
}

} // namespace

ColumnSource BatchEvaluator::Allocate(Precision precision) {
    const int32_t pool = PoolOf(precision);
    static constexpr ColumnSource::Kind kinds[3] = {ColumnSource::kFloat, ColumnSource::kDouble,
                                                    ColumnSource::kExtended};
    int32_t slot;
    if (!freeSlots_[pool].empty()) {
        slot = freeSlots_[pool].back();
        freeSlots_[pool].pop_back();
    } else {
        slot = slotCount_[pool]++;
    }
    return {kinds[pool], slot};
}

void BatchEvaluator::Release(const ColumnSource& source) {
    switch (source.kind) {
    case ColumnSource::kFloat:
        freeSlots_[0].push_back(source.index);
        break;
    case ColumnSource::kDouble:
        freeSlots_[1].push_back(source.index);
        break;
    case ColumnSource::kExtended:
        freeSlots_[2].push_back(source.index);
        break;
    default:
        break;
    }
}

void BatchEvaluator::Compile(const Problem& problem, const int32_t* program) {
    const NodeEntry* table = problem.nodeTable.data();
    const int32_t functionCount = problem.functionCount;

    // How each node's value is read by its parent; the root in extended.
    precisions_.clear();
    std::vector<Precision>& pending = pendingPrecisions_;
    pending.assign(1, Precision::Extended);
    for (int32_t p = 0; !pending.empty(); ++p) {
        precisions_.push_back(pending.back());
        pending.pop_back();
        const int32_t code = program[p];
        if (code < functionCount) {
            const ArgumentPrecisions arguments = ArgumentsOf(problem, code);
            for (int32_t a = arguments.count - 1; a >= 0; --a)
                pending.push_back(arguments.of[a]);
        }
    }
    const auto length = static_cast<int32_t>(precisions_.size());

    ops_.clear();
    stack_.clear();
    constantColumns_.clear();
    for (auto& slots : freeSlots_)
        slots.clear();
    std::fill(std::begin(slotCount_), std::end(slotCount_), 0);

    for (int32_t p = length - 1; p >= 0; --p) {
        const NodeEntry& entry = table[program[p]];
        if (program[p] >= functionCount) {
            if (program[p] < functionCount + problem.variableCount) {
                stack_.push_back(
                    {entry.terminalIndex == 0 ? ColumnSource::kX : ColumnSource::kY, 0});
            } else {
                const auto column = static_cast<int32_t>(constantColumns_.size() / kBlock);
                constantColumns_.resize(constantColumns_.size() + kBlock,
                                        problem.constants[entry.terminalIndex]);
                stack_.push_back({ColumnSource::kConstant, column});
            }
            continue;
        }
        const PrimitiveId primitive = entry.primitive;
        const int32_t count = ArgumentsOf(problem, program[p]).count;
        ColumnOp op;
        for (int32_t a = 0; a < count; ++a) {
            op.in[a] = stack_.back();
            stack_.pop_back();
        }
        // The arguments' columns are read element by element before the result
        // is written, so the result may reuse one of them.
        for (int32_t a = 0; a < count; ++a)
            Release(op.in[a]);
        op.out = Allocate(precisions_[p]);
        op.kernel = KernelFor(primitive, op, precisions_[p]);
        ops_.push_back(op);
        stack_.push_back(op.out);
    }
    root_ = stack_.back();

    floatPool_.resize(static_cast<size_t>(slotCount_[0]) * kBlock);
    doublePool_.resize(static_cast<size_t>(slotCount_[1]) * kBlock);
    extendedPool_.resize(static_cast<size_t>(slotCount_[2]) * kBlock);
    block_.constants = constantColumns_.data();
    block_.floats = floatPool_.data();
    block_.doubles = doublePool_.data();
    block_.extendeds = extendedPool_.data();
    block_.failed = &failed_;
}

bool BatchEvaluator::RunBlock(const CaseSet& cases, int32_t first, int32_t n) {
    block_.x = cases.xs + first;
    block_.y = cases.ys + first;
    failed_ = false;
    for (const ColumnOp& op : ops_)
        op.kernel(op, block_, n);
    return !failed_;
}

template <typename Root>
bool BatchEvaluator::AddBlockErrors(const Root* root, const float* targets, int32_t n, float& sum) {
    for (int32_t k = 0; k < n; ++k)
        if (!rules::AddSquaredError(sum, targets[k], root[k]))
            return false;
    return true;
}

long double BatchEvaluator::MeanSquaredError(const Problem& problem, const int32_t* program,
                                             const CaseSet& cases) {
    Compile(problem, program);
    // A case that fails makes the whole error +infinity, so the block only
    // needs to know whether any of its cases failed.
    float sum = 0;
    for (int32_t first = 0; first < cases.count; first += kBlock) {
        const int32_t n = std::min(kBlock, cases.count - first);
        if (!RunBlock(cases, first, n))
            return kInfinity;
        const float* targets = cases.targets + first;
        const bool finite =
            root_.kind == ColumnSource::kExtended
                ? AddBlockErrors(Column<long double>(block_, root_), targets, n, sum)
                : AddBlockErrors(Column<float>(block_, root_), targets, n, sum);
        if (!finite)
            return kInfinity;
    }
    return static_cast<long double>(sum) / cases.count;
}

void BatchEvaluator::Outputs(const Problem& problem, const int32_t* program, const CaseSet& cases,
                             float* out) {
    Compile(problem, program);
    // A block whose cases all succeed gives every value; one with a failure
    // is run again a case at a time, so that the failure is known case by case.
    auto store = [&](int32_t k, int32_t at, bool failed) {
        const long double value = root_.kind == ColumnSource::kExtended
                                      ? Column<long double>(block_, root_)[at]
                                      : Column<float>(block_, root_)[at];
        const float stored = rules::RoundToFloat(value, failed);
        out[k] = failed ? std::numeric_limits<float>::quiet_NaN() : stored;
    };
    for (int32_t first = 0; first < cases.count; first += kBlock) {
        const int32_t n = std::min(kBlock, cases.count - first);
        if (RunBlock(cases, first, n)) {
            for (int32_t at = 0; at < n; ++at)
                store(first + at, at, false);
            continue;
        }
        for (int32_t k = first; k < first + n; ++k)
            store(k, 0, !RunBlock(cases, k, 1));
    }
}

} // namespace quba
