#include "engine/batch_evaluator.h"

#include "engine/primitive_rules.h"
#include "engine/problem.h"

#include <algorithm>
#include <cmath>
#include <limits>

// A program is compiled into one kernel call per function node, in reverse
// prefix order so that every argument column exists before its parent runs.
// The cost of exact arithmetic is in the 80-bit loads and stores, so a column
// is kept in the narrowest precision its parent reads it in; the roundings are
// the recursive evaluator's, done at the same places, so the bits agree.

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
template <Store S> struct Output;

template <> struct Output<Store::Float> {
    float* out;
    Output(const ColumnBlock& b, const ColumnSource& s) : out(b.floats + s.index * kBlock) {}
    bool Put(int32_t k, long double value, bool fails) const {
        bool f = fails;
        out[k] = rules::RoundToFloat(value, f);
        return f;
    }
};

// An if-form's c: rounded now, its overflow counted only if it is returned.
template <> struct Output<Store::LazyFloat> {
    float* out;
    Output(const ColumnBlock& b, const ColumnSource& s) : out(b.floats + s.index * kBlock) {}
    bool Put(int32_t k, long double value, bool fails) const {
        out[k] = static_cast<float>(value);
        return fails;
    }
};

template <> struct Output<Store::Double> {
    double* out;
    Output(const ColumnBlock& b, const ColumnSource& s) : out(b.doubles + s.index * kBlock) {}
    bool Put(int32_t k, long double value, bool fails) const {
        bool f = fails;
        out[k] = rules::RoundToDouble(value, f);
        return f;
    }
};

template <> struct Output<Store::Extended> {
    long double* out;
    Output(const ColumnBlock& b, const ColumnSource& s) : out(b.extendeds + s.index * kBlock) {}
    bool Put(int32_t k, long double value, bool fails) const {
        out[k] = value;
        return fails;
    }
};

enum class Arithmetic { Add, Subtract, Multiply };

template <Arithmetic Op, typename B, Store S>
void ArithmeticKernel(const ColumnOp& op, const ColumnBlock& block, int32_t n) {
    const float* a = Column<float>(block, op.in[0]);
    const B* b = Column<B>(block, op.in[1]);
    const Output<S> out(block, op.out);
    bool failed = false;
    for (int32_t k = 0; k < n; ++k) {
        const long double x = a[k];
        const long double y = b[k];
        const long double r = Op == Arithmetic::Add        ? x + y
                              : Op == Arithmetic::Subtract ? x - y
                                                           : x * y;
        failed |= out.Put(k, r, std::isinf(r));
    }
    *block.failed |= failed;
}

template <Store S> void DivideKernel(const ColumnOp& op, const ColumnBlock& block, int32_t n) {
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

template <double (*Function)(double), typename A, Store S>
void TrigonometricKernel(const ColumnOp& op, const ColumnBlock& block, int32_t n) {
    const A* a = Column<A>(block, op.in[0]); // a double column already counted its overflow
    const Output<S> out(block, op.out);
    bool failed = false;
    for (int32_t k = 0; k < n; ++k)
        failed |= out.Put(k, rules::Trigonometric<Function>(static_cast<double>(a[k])), false);
    *block.failed |= failed;
}

template <double (*Function)(double), typename A, Store S>
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

template <bool Less, typename B, typename D, Store S>
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

template <template <Store> class Make> ColumnKernel ByStore(Store s) {
    switch (s) {
    case Store::Float:
        return Make<Store::Float>::kernel;
    case Store::LazyFloat:
        return Make<Store::LazyFloat>::kernel;
    case Store::Double:
        return Make<Store::Double>::kernel;
    default:
        return Make<Store::Extended>::kernel;
    }
}

bool IsFloatColumn(const ColumnSource& s) {
    return s.kind == ColumnSource::kX || s.kind == ColumnSource::kY ||
           s.kind == ColumnSource::kConstant || s.kind == ColumnSource::kFloat;
}

template <Arithmetic Op, typename B> struct ArithmeticOf {
    template <Store S> struct At {
        static constexpr ColumnKernel kernel = ArithmeticKernel<Op, B, S>;
    };
};

template <Arithmetic Op> ColumnKernel ArithmeticFor(const ColumnOp& op, Store s) {
    return IsFloatColumn(op.in[1]) ? ByStore<ArithmeticOf<Op, float>::template At>(s)
                                   : ByStore<ArithmeticOf<Op, long double>::template At>(s);
}

template <Store S> struct DivideAt { static constexpr ColumnKernel kernel = DivideKernel<S>; };

template <double (*F)(double), typename A> struct TrigonometricOf {
    template <Store S> struct At {
        static constexpr ColumnKernel kernel = TrigonometricKernel<F, A, S>;
    };
};

template <double (*F)(double)> ColumnKernel TrigonometricFor(const ColumnOp& op, Store s) {
    return IsFloatColumn(op.in[0]) ? ByStore<TrigonometricOf<F, float>::template At>(s)
                                   : ByStore<TrigonometricOf<F, double>::template At>(s);
}

template <double (*F)(double), typename A> struct MagnitudeOf {
    template <Store S> struct At {
        static constexpr ColumnKernel kernel = IntegerMagnitudeKernel<F, A, S>;
    };
};

template <double (*F)(double)> ColumnKernel MagnitudeFor(const ColumnOp& op, Store s) {
    return IsFloatColumn(op.in[0]) ? ByStore<MagnitudeOf<F, float>::template At>(s)
                                   : ByStore<MagnitudeOf<F, long double>::template At>(s);
}

template <bool Less, typename B, typename D> struct ConditionalOf {
    template <Store S> struct At {
        static constexpr ColumnKernel kernel = ConditionalKernel<Less, B, D, S>;
    };
};

template <bool Less> ColumnKernel ConditionalFor(const ColumnOp& op, Store s) {
    const bool floatB = IsFloatColumn(op.in[1]);
    const bool floatD = IsFloatColumn(op.in[3]);
    if (floatB && floatD)
        return ByStore<ConditionalOf<Less, float, float>::template At>(s);
    if (floatB)
        return ByStore<ConditionalOf<Less, float, long double>::template At>(s);
    if (floatD)
        return ByStore<ConditionalOf<Less, long double, float>::template At>(s);
    return ByStore<ConditionalOf<Less, long double, long double>::template At>(s);
}

// A function node's primitive, by its position in the function check list.
enum class Primitive {
    Add,
    Subtract,
    Multiply,
    Divide,
    Sin,
    Cos,
    Tan,
    Ln,
    Log10,
    Sqrt,
    IfGreater,
    IfLess
};

ColumnKernel KernelFor(Primitive primitive, const ColumnOp& op, Store s) {
    switch (primitive) {
    case Primitive::Add:
        return ArithmeticFor<Arithmetic::Add>(op, s);
    case Primitive::Subtract:
        return ArithmeticFor<Arithmetic::Subtract>(op, s);
    case Primitive::Multiply:
        return ArithmeticFor<Arithmetic::Multiply>(op, s);
    case Primitive::Divide:
        return ByStore<DivideAt>(s);
    case Primitive::Sin:
        return TrigonometricFor<rules::Sin>(op, s);
    case Primitive::Cos:
        return TrigonometricFor<rules::Cos>(op, s);
    case Primitive::Tan:
        return TrigonometricFor<rules::Tan>(op, s);
    case Primitive::Ln:
        return MagnitudeFor<rules::Log>(op, s);
    case Primitive::Log10:
        return MagnitudeFor<rules::Log10>(op, s);
    case Primitive::Sqrt:
        return MagnitudeFor<rules::Sqrt>(op, s);
    case Primitive::IfGreater:
        return ConditionalFor<false>(op, s);
    default:
        return ConditionalFor<true>(op, s);
    }
}

// How a node's arguments are read, first argument first.
int32_t ArgumentStores(Primitive primitive, Store* stores) {
    switch (primitive) {
    case Primitive::Add:
    case Primitive::Subtract:
    case Primitive::Multiply:
        stores[0] = Store::Float;
        stores[1] = Store::Extended;
        return 2;
    case Primitive::Divide:
        stores[0] = stores[1] = Store::Float;
        return 2;
    case Primitive::Sin:
    case Primitive::Cos:
    case Primitive::Tan:
        stores[0] = Store::Double;
        return 1;
    case Primitive::Ln:
    case Primitive::Log10:
    case Primitive::Sqrt:
        stores[0] = Store::Extended;
        return 1;
    default:
        stores[0] = Store::Float;
        stores[1] = Store::Extended;
        stores[2] = Store::LazyFloat;
        stores[3] = Store::Extended;
        return 4;
    }
}

Primitive PrimitiveAt(const Problem& problem, int32_t code) {
    return static_cast<Primitive>(problem.functionPositions[code]);
}

int32_t PoolOf(Store store) {
    switch (store) {
    case Store::Float:
    case Store::LazyFloat:
        return 0;
    case Store::Double:
        return 1;
    default:
        return 2;
    }
}

} // namespace

ColumnSource BatchEvaluator::Allocate(Store store) {
    const int32_t pool = PoolOf(store);
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
    stores_.clear();
    std::vector<Store>& pending = pendingStores_;
    pending.assign(1, Store::Extended);
    for (int32_t p = 0; !pending.empty(); ++p) {
        stores_.push_back(pending.back());
        pending.pop_back();
        const int32_t code = program[p];
        if (code < functionCount) {
            Store arguments[4];
            const int32_t count = ArgumentStores(PrimitiveAt(problem, code), arguments);
            for (int32_t a = count - 1; a >= 0; --a)
                pending.push_back(arguments[a]);
        }
    }
    const auto length = static_cast<int32_t>(stores_.size());

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
        const Primitive primitive = PrimitiveAt(problem, program[p]);
        Store arguments[4];
        const int32_t count = ArgumentStores(primitive, arguments);
        ColumnOp op;
        for (int32_t a = 0; a < count; ++a) {
            op.in[a] = stack_.back();
            stack_.pop_back();
        }
        // The arguments' columns are read element by element before the result
        // is written, so the result may reuse one of them.
        for (int32_t a = 0; a < count; ++a)
            Release(op.in[a]);
        op.out = Allocate(stores_[p]);
        op.kernel = KernelFor(primitive, op, stores_[p]);
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
    // One case a block, so that a failure is known case by case.
    for (int32_t k = 0; k < cases.count; ++k) {
        bool failed = !RunBlock(cases, k, 1);
        const long double value = root_.kind == ColumnSource::kExtended
                                      ? Column<long double>(block_, root_)[0]
                                      : Column<float>(block_, root_)[0];
        const float stored = rules::RoundToFloat(value, failed);
        out[k] = failed ? std::numeric_limits<float>::quiet_NaN() : stored;
    }
}
