// The symbols of a formula file's pieces, coded with adaptive binary
// arithmetic coding: every yes-or-no the file holds (a split, another stage,
// a flat piece, a bit of a node code, a bit of a number's length) has a
// context whose probability follows what came before, so that frequent
// answers take less than a bit. The same writer feeds the encoder, a counter
// that learns a file's probabilities, and a cost estimate that prices a
// candidate with fixed probabilities.
#pragma once

#include "codec/bit_io.h"

#include <array>
#include <cstdint>
#include <optional>

namespace quba {

// Where each kind of symbol has its contexts.
namespace contexts {
inline constexpr int32_t kDepths = 12;
inline constexpr int32_t kSplit = 0;                     // by the block's depth
inline constexpr int32_t kMoreStages = kSplit + kDepths; // by the stage count so far
inline constexpr int32_t kFlat = kMoreStages + 8;        // first stage, later stages
inline constexpr int32_t kNodeCode = kFlat + 2;          // by the code's bits so far
inline constexpr int32_t kNodeCodeSlots = 64;
inline constexpr int32_t kValueLengths = 24; // per kind of value
inline constexpr int32_t kValue = kNodeCode + kNodeCodeSlots;
inline constexpr int32_t kValueKinds = 8;
// A cosine series: the length bits of its runs, by the band of the scan
// where a run starts (positions 2^b - 1 to 2^(b+1) - 2), and of its levels'
// magnitudes, by the band of the term.
inline constexpr int32_t kCosineBands = 10;
inline constexpr int32_t kCosineRunLengths = 12;
inline constexpr int32_t kCosineLevelLengths = 8;
inline constexpr int32_t kCosineRun = kValue + kValueKinds * kValueLengths;
inline constexpr int32_t kCosineLevel = kCosineRun + kCosineBands * kCosineRunLengths;
inline constexpr int32_t kCount = kCosineLevel + kCosineBands * kCosineLevelLengths;
} // namespace contexts

// The kinds of number a file holds, each with contexts of its own; a
// sample's difference from its prediction by how much its neighbours differ.
enum class ValueKind : int32_t {
    PredictedOffset,
    Factor,
    Constant,
    Offset,
    SampleFlat,
    SampleCalm,
    SampleBusy,
    SampleEdge
};

// A probability that the next bit of a context is 0, in 1/65536.
using Probability = uint16_t;
inline constexpr Probability kEven = 32768;

// Fixed probabilities of every context: the price of a bit is -log2 of its
// probability.
using CodingModel = std::array<Probability, contexts::kCount>;
CodingModel EvenModel();
// What the coder starts from: one half everywhere but in a cosine series's
// contexts, which start from what photos' series hold, as a series has too
// few terms for its contexts to learn much.
CodingModel InitialModel();

class SymbolSink {
public:
    virtual ~SymbolSink() = default;
    virtual void Bit(int32_t context, bool bit) = 0;
    // Bits as likely one way as the other, most significant first.
    virtual void Plain(uint64_t value, int32_t count) = 0;
};

class SymbolSource {
public:
    explicit SymbolSource(BitReader& in);
    bool Bit(int32_t context);
    uint64_t Plain(int32_t count);

private:
    bool Decode(Probability zero);

    BitReader& in_;
    std::array<Probability, contexts::kCount> model_;
    uint64_t low_ = 0;
    uint64_t high_ = 0xFFFFFFFFu;
    uint64_t value_ = 0;
};

// Writes the coded bits after whatever `out` holds; Finish() ends them.
class SymbolEncoder final : public SymbolSink {
public:
    explicit SymbolEncoder(BitWriter& out);
    void Bit(int32_t context, bool bit) override;
    void Plain(uint64_t value, int32_t count) override;
    void Finish();

private:
    void Encode(bool bit, Probability zero);
    void Emit(bool bit);

    BitWriter& out_;
    std::array<Probability, contexts::kCount> model_;
    uint64_t low_ = 0;
    uint64_t high_ = 0xFFFFFFFFu;
    int64_t pending_ = 0;
};

// Counts each context's bits; the model that codes them best.
class SymbolCounter final : public SymbolSink {
public:
    void Bit(int32_t context, bool bit) override;
    void Plain(uint64_t, int32_t) override {}
    [[nodiscard]] CodingModel Model() const;

private:
    std::array<std::array<int64_t, 2>, contexts::kCount> counts_{};
};

// The bits the symbols would take with a model's fixed probabilities.
class SymbolCost final : public SymbolSink {
public:
    explicit SymbolCost(const CodingModel& model) : model_(model) {}
    void Bit(int32_t context, bool bit) override;
    void Plain(uint64_t, int32_t count) override { bits_ += count; }
    [[nodiscard]] double Bits() const { return bits_; }

private:
    const CodingModel& model_;
    double bits_ = 0;
};

// -log2 of a bit's probability under a model.
double BitPrice(Probability zero, bool bit);

// A node code of `width` bits, each bit's context named by the bits before it.
void PutNodeCode(SymbolSink& sink, uint32_t code, int32_t width);
uint32_t GetNodeCode(SymbolSource& source, int32_t width);

// A signed number as an order-k exp-Golomb code of its zig-zag: the length's
// unary part in the kind's contexts, the rest plain. GetNumber gives none for
// a code longer than kLongestCode bits.
void PutNumber(SymbolSink& sink, ValueKind kind, int64_t number, int32_t order);
std::optional<int64_t> GetNumber(SymbolSource& source, ValueKind kind, int32_t order);

} // namespace quba
