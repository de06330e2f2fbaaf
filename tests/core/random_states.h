// Generator states that make the next draw return a chosen value, so that a
// test can steer a routine through the branch it is about.
#pragma once

#include "core/random.h"

#include <cstdint>

namespace quba {

inline uint32_t Inverse32(uint32_t a) {
    uint32_t x = a; // Newton's iteration doubles the correct low bits each step
    for (int i = 0; i < 5; ++i)
        x *= 2u - a * x;
    return x;
}

inline uint64_t Inverse64(uint64_t a) {
    uint64_t x = a;
    for (int i = 0; i < 6; ++i)
        x *= 2u - a * x;
    return x;
}

inline RandomState StateBeforeRand15(int32_t value) {
    const uint32_t after = static_cast<uint32_t>(value) << 16;
    return {(after - 1u) * Inverse32(22695477u), 0u};
}

inline RandomState StateBeforeRand31(uint32_t highWord) {
    const uint64_t after = static_cast<uint64_t>(highWord) << 32;
    const uint64_t before = (after - 1u) * Inverse64(0x0000015A00004E35ull);
    return {static_cast<uint32_t>(before), static_cast<uint32_t>(before >> 32)};
}

} // namespace quba
