#include "codec/bit_io.h"

#include <bit>

namespace quba {

void BitWriter::Put(uint64_t value, int32_t count) {
    for (int32_t i = count - 1; i >= 0; --i) {
        if (bits_ % 8 == 0)
            bytes_.push_back('\0');
        if ((value >> i) & 1)
            bytes_.back() = static_cast<char>(bytes_.back() | (0x80 >> (bits_ % 8)));
        ++bits_;
    }
}

void BitWriter::PutExpGolomb(uint64_t u, int32_t k) {
    // The value u + 2^k, written after as many zeros as it has bits beyond k + 1.
    const uint64_t shifted = u + (uint64_t{1} << k);
    const int32_t width = std::bit_width(shifted);
    Put(0, width - 1 - k);
    Put(shifted, width);
}

void BitWriter::PutSigned(int64_t n, int32_t k) {
    PutExpGolomb(ZigZag(n), k);
}

std::string BitWriter::Bytes() const {
    return bytes_;
}

uint64_t BitReader::Take(int32_t count, bool padded) {
    uint64_t value = 0;
    for (int32_t i = 0; i < count; ++i) {
        value <<= 1;
        if (position_ < static_cast<int64_t>(bytes_.size()) * 8) {
            const auto byte =
                static_cast<unsigned char>(bytes_[static_cast<size_t>(position_ / 8)]);
            value |= (byte >> (7 - position_ % 8)) & 1;
        } else if (!padded) {
            overrun_ = true;
            continue;
        }
        ++position_;
    }
    return value;
}

uint64_t BitReader::GetExpGolomb(int32_t k) {
    int32_t zeros = 0;
    while (!GetBit()) {
        if (overrun_ || ++zeros + k >= kLongestCode) {
            overrun_ = true;
            return 0;
        }
    }
    // The leading one was read: the rest of the zeros + k + 1 bits follow.
    const int32_t rest = zeros + k;
    const uint64_t value = (uint64_t{1} << rest) | Get(rest);
    return value - (uint64_t{1} << k);
}

int64_t BitReader::GetSigned(int32_t k) {
    return UnZigZag(GetExpGolomb(k));
}

int32_t ExpGolombBits(uint64_t u, int32_t k) {
    return 2 * std::bit_width(u + (uint64_t{1} << k)) - 1 - k;
}

int32_t SignedBits(int64_t n, int32_t k) {
    return ExpGolombBits(ZigZag(n), k);
}

} // namespace quba
