// The bits of a formula file: fixed-width fields, most significant bit first,
// and exp-Golomb codes of order k for numbers whose small values are common.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quba {

// The longest value part of an exp-Golomb code the reader takes, in bits.
inline constexpr int32_t kLongestCode = 62;

class BitWriter {
public:
    // The low `count` bits of `value`, count 0 to 64.
    void Put(uint64_t value, int32_t count);
    void PutBit(bool bit) { Put(bit ? 1 : 0, 1); }
    // The order-k exp-Golomb code of u, 2 floor(log2(u + 2^k)) - k + 1 bits;
    // u + 2^k below 2^kLongestCode.
    void PutExpGolomb(uint64_t u, int32_t k);
    // Any n, zig-zagged first (0, -1, 1, -2, ...).
    void PutSigned(int64_t n, int32_t k);

    [[nodiscard]] int64_t BitCount() const { return bits_; }
    // The bytes so far, the last one padded with zeros.
    [[nodiscard]] std::string Bytes() const;

private:
    std::string bytes_;
    int64_t bits_ = 0;
};

// Reads what BitWriter wrote. Reading past the end gives zeros and marks the
// reader as overrun, which the caller checks once at the end.
class BitReader {
public:
    explicit BitReader(std::string_view bytes) : bytes_(bytes) {}

    uint64_t Get(int32_t count) { return Take(count, false); }
    // The same, with zeros past the end and no overrun: the arithmetic
    // decoder looks ahead of the last bit written.
    uint64_t GetPadded(int32_t count) { return Take(count, true); }
    bool GetBit() { return Get(1) != 0; }
    // A code longer than 64 bits overruns.
    uint64_t GetExpGolomb(int32_t k);
    int64_t GetSigned(int32_t k);

    [[nodiscard]] bool Overrun() const { return overrun_; }
    [[nodiscard]] int64_t Position() const { return position_; }
    // Bits left before the end.
    [[nodiscard]] int64_t Left() const {
        return static_cast<int64_t>(bytes_.size()) * 8 - position_;
    }

private:
    uint64_t Take(int32_t count, bool padded);

    std::string_view bytes_;
    int64_t position_ = 0;
    bool overrun_ = false;
};

// Signed numbers as unsigned ones: 0, -1, 1, -2, ... as 0, 1, 2, 3, ...
inline uint64_t ZigZag(int64_t n) {
    return n >= 0 ? static_cast<uint64_t>(n) * 2 : (static_cast<uint64_t>(-(n + 1)) * 2) + 1;
}
inline int64_t UnZigZag(uint64_t u) {
    return (u & 1) != 0 ? -static_cast<int64_t>(u >> 1) - 1 : static_cast<int64_t>(u >> 1);
}

// The bits PutExpGolomb and PutSigned write, without writing them.
int32_t ExpGolombBits(uint64_t u, int32_t k);
int32_t SignedBits(int64_t n, int32_t k);

} // namespace quba
