// Turns a fuzzer's bytes into the values a target needs. Reading past the
// end gives zeros, so every input, the empty one included, decodes to
// something.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    [[nodiscard]] bool Empty() const { return position_ >= size_; }

    uint8_t Byte() { return Empty() ? 0 : data_[position_++]; }

    uint16_t Uint16() {
        const uint16_t low = Byte();
        return static_cast<uint16_t>(low | (Byte() << 8));
    }

    uint32_t Uint32() {
        const uint32_t low = Uint16();
        return low | (static_cast<uint32_t>(Uint16()) << 16);
    }

    // A value in [0, 1] with 1/255 steps.
    float Fraction() { return static_cast<float>(Byte()) / 255.0f; }

    // Any 32-bit pattern as a float: infinities and not-a-numbers included.
    float RawFloat() {
        const uint32_t bits = Uint32();
        float value = 0;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

    // What is left, as text.
    std::string_view Rest() {
        const size_t start = position_ < size_ ? position_ : size_;
        position_ = size_;
        return {reinterpret_cast<const char*>(data_ + start), size_ - start};
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
};

// A broken invariant: say which and stop, so that the fuzzer keeps the input.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
