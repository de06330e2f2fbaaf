#include "codec/symbol_coding.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace quba {

namespace {

// The coder's interval lives in 32 bits.
constexpr uint64_t kHalf = uint64_t{1} << 31;
constexpr uint64_t kQuarter = uint64_t{1} << 30;
// How fast a context's probability follows its bits: 1/16 of the way.
constexpr int kAdaptation = 4;

void Adapt(Probability& zero, bool bit) {
    if (bit)
        zero = static_cast<Probability>(zero - (zero >> kAdaptation));
    else
        zero = static_cast<Probability>(zero + ((65536 - zero) >> kAdaptation));
}

// The last value of the zero part of [low, high].
uint64_t Split(uint64_t low, uint64_t high, Probability zero) {
    return low + (((high - low + 1) * zero) >> 16) - 1;
}

} // namespace

CodingModel EvenModel() {
    CodingModel model;
    model.fill(kEven);
    return model;
}

CodingModel InitialModel() {
    CodingModel model = EvenModel();
    using namespace contexts;
    // The share of zeros (of "no longer") of each length bit in the series
    // of five sample photos at 32 to 128 cells within 32 to 256 bytes, in
    // 1/65536, by band and bit.
    constexpr std::array<Probability, kCosineBands* kCosineRunLengths> kRuns = {
        2048, 61775, 57344, 32768, 32768, 32768, 32768, 32768, 32768, 32768, 32768, 32768,
        2048, 58768, 22937, 4681,  4681,  4681,  4681,  4681,  60854, 32768, 32768, 32768,
        2048, 55876, 51672, 16384, 6553,  19660, 57344, 32768, 32768, 32768, 32768, 32768,
        2048, 58554, 56360, 57344, 32768, 32768, 32768, 32768, 32768, 32768, 32768, 32768,
        2048, 55886, 44470, 52713, 58982, 32768, 32768, 32768, 32768, 32768, 32768, 32768,
        2048, 52702, 50103, 50480, 61895, 32768, 32768, 32768, 32768, 32768, 32768, 32768,
        2048, 47938, 44413, 39110, 57775, 58982, 32768, 32768, 32768, 32768, 32768, 32768,
        2048, 44638, 44054, 27891, 43578, 50641, 36864, 57344, 32768, 32768, 32768, 32768,
        2048, 35065, 39313, 34105, 34356, 57655, 36044, 58982, 32768, 32768, 32768, 32768,
        2048, 26279, 26380, 22679, 21177, 30171, 38891, 41667, 40413, 40960, 58982, 32768};
    constexpr std::array<Probability, kCosineBands* kCosineLevelLengths> kLevels = {
        10457, 15564, 7399,  31597, 41506, 60074, 32768, 32768, 13850, 16596, 27683, 33731,
        40478, 60854, 32768, 32768, 21920, 29389, 34588, 39069, 44683, 57344, 32768, 32768,
        21713, 35122, 40749, 49152, 61440, 32768, 32768, 32768, 28809, 44256, 55545, 63015,
        32768, 32768, 32768, 32768, 33896, 49713, 60905, 60854, 32768, 32768, 32768, 32768,
        42060, 56306, 61365, 57344, 32768, 32768, 32768, 32768, 46158, 61310, 63488, 32768,
        32768, 32768, 32768, 32768, 51484, 59646, 55523, 60074, 32768, 32768, 32768, 32768,
        58050, 62234, 63195, 32768, 32768, 32768, 32768, 32768};
    std::copy(kRuns.begin(), kRuns.end(), model.begin() + kCosineRun);
    std::copy(kLevels.begin(), kLevels.end(), model.begin() + kCosineLevel);
    return model;
}

double BitPrice(Probability zero, bool bit) {
    const double p = static_cast<double>(bit ? 65536 - zero : zero) / 65536.0;
    return -std::log2(p);
}

SymbolEncoder::SymbolEncoder(BitWriter& out) : out_(out), model_(InitialModel()) {}

void SymbolEncoder::Bit(int32_t context, bool bit) {
    Probability& zero = model_[static_cast<size_t>(context)];
    Encode(bit, zero);
    Adapt(zero, bit);
}

void SymbolEncoder::Plain(uint64_t value, int32_t count) {
    for (int32_t i = count - 1; i >= 0; --i)
        Encode(((value >> i) & 1) != 0, kEven);
}

void SymbolEncoder::Encode(bool bit, Probability zero) {
    const uint64_t split = Split(low_, high_, zero);
    if (bit)
        low_ = split + 1;
    else
        high_ = split;
    for (;;) {
        if (high_ < kHalf) {
            Emit(false);
        } else if (low_ >= kHalf) {
            Emit(true);
            low_ -= kHalf;
            high_ -= kHalf;
        } else if (low_ >= kQuarter && high_ < 3 * kQuarter) {
            ++pending_;
            low_ -= kQuarter;
            high_ -= kQuarter;
        } else {
            break;
        }
        low_ <<= 1;
        high_ = (high_ << 1) | 1;
    }
}

void SymbolEncoder::Emit(bool bit) {
    out_.PutBit(bit);
    for (; pending_ > 0; --pending_)
        out_.PutBit(!bit);
}

void SymbolEncoder::Finish() {
    // Two bits name a quarter inside the interval; the zeros that pad the
    // file keep the value inside it.
    ++pending_;
    Emit(low_ >= kQuarter);
}

SymbolSource::SymbolSource(BitReader& in) : in_(in), model_(InitialModel()) {
    value_ = in_.GetPadded(32);
}

bool SymbolSource::Bit(int32_t context) {
    Probability& zero = model_[static_cast<size_t>(context)];
    const bool bit = Decode(zero);
    Adapt(zero, bit);
    return bit;
}

uint64_t SymbolSource::Plain(int32_t count) {
    uint64_t value = 0;
    for (int32_t i = 0; i < count; ++i)
        value = (value << 1) | (Decode(kEven) ? 1 : 0);
    return value;
}

bool SymbolSource::Decode(Probability zero) {
    const uint64_t split = Split(low_, high_, zero);
    const bool bit = value_ > split;
    if (bit)
        low_ = split + 1;
    else
        high_ = split;
    for (;;) {
        if (high_ < kHalf) {
        } else if (low_ >= kHalf) {
            low_ -= kHalf;
            high_ -= kHalf;
            value_ -= kHalf;
        } else if (low_ >= kQuarter && high_ < 3 * kQuarter) {
            low_ -= kQuarter;
            high_ -= kQuarter;
            value_ -= kQuarter;
        } else {
            break;
        }
        low_ <<= 1;
        high_ = (high_ << 1) | 1;
        value_ = (value_ << 1) | in_.GetPadded(1);
    }
    return bit;
}

namespace {

int32_t LengthContext(ValueKind kind, int32_t position) {
    return contexts::kValue + static_cast<int32_t>(kind) * contexts::kValueLengths +
           std::min(position, contexts::kValueLengths - 1);
}

int32_t CodeContext(uint32_t index) {
    return contexts::kNodeCode +
           static_cast<int32_t>(std::min<uint32_t>(index, contexts::kNodeCodeSlots - 1));
}

} // namespace

void PutNodeCode(SymbolSink& sink, uint32_t code, int32_t width) {
    uint32_t index = 1;
    for (int32_t i = width - 1; i >= 0; --i) {
        const bool bit = ((code >> i) & 1) != 0;
        sink.Bit(CodeContext(index), bit);
        index = index * 2 + (bit ? 1 : 0);
    }
}

uint32_t GetNodeCode(SymbolSource& source, int32_t width) {
    uint32_t index = 1;
    for (int32_t i = 0; i < width; ++i)
        index = index * 2 + (source.Bit(CodeContext(index)) ? 1 : 0);
    return index - (uint32_t{1} << width);
}

void PutNumber(SymbolSink& sink, ValueKind kind, int64_t number, int32_t order) {
    const uint64_t shifted = ZigZag(number) + (uint64_t{1} << order);
    const int32_t width = std::bit_width(shifted);
    const int32_t zeros = width - 1 - order;
    for (int32_t i = 0; i < zeros; ++i)
        sink.Bit(LengthContext(kind, i), false);
    sink.Bit(LengthContext(kind, zeros), true);
    sink.Plain(shifted, width - 1);
}

std::optional<int64_t> GetNumber(SymbolSource& source, ValueKind kind, int32_t order) {
    int32_t zeros = 0;
    while (!source.Bit(LengthContext(kind, zeros)))
        if (++zeros + order >= kLongestCode)
            return std::nullopt;
    const int32_t rest = zeros + order;
    const uint64_t shifted = (uint64_t{1} << rest) | source.Plain(rest);
    return UnZigZag(shifted - (uint64_t{1} << order));
}

void SymbolCounter::Bit(int32_t context, bool bit) {
    ++counts_[static_cast<size_t>(context)][bit ? 1 : 0];
}

CodingModel SymbolCounter::Model() const {
    CodingModel model;
    for (size_t k = 0; k < model.size(); ++k) {
        // The share of zeros, kept off 0 and 1 so that no bit is free.
        const double zeros = static_cast<double>(counts_[k][0]) + 0.5;
        const double all = zeros + static_cast<double>(counts_[k][1]) + 0.5;
        model[k] =
            static_cast<Probability>(std::clamp(std::lround(65536.0 * zeros / all), 512L, 65024L));
    }
    return model;
}

void SymbolCost::Bit(int32_t context, bool bit) {
    bits_ += BitPrice(model_[static_cast<size_t>(context)], bit);
}

} // namespace quba
