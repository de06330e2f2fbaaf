// The generator every random choice draws from: initial programs, selection,
// the operators and noise. One generator per process, owned by the front end
// and handed to whatever draws, so that the draws keep their order.
#pragma once

#include <cstdint>

namespace quba {

// One 64-bit state kept as two 32-bit words.
struct RandomState {
    uint32_t low = 0;
    uint32_t high = 0;
    friend bool operator==(const RandomState&, const RandomState&) = default;
};

// Rand15 advances the low word only, Rand31 the whole state, so the two
// sequences interleave on the same words.
class RandomGenerator {
public:
    // The state SeedRandom(1) leaves, as at process start.
    RandomGenerator();

    void SeedRandom(uint32_t seed);
    int32_t Rand15();
    int32_t Rand31();
    // Rand15 / 32767 in extended precision: 0 and 1 are both possible.
    long double RandomUnit();
    // Rand31 modulo n; 0 without a draw when n is 0.
    int32_t RandomInt(int32_t n);

    [[nodiscard]] RandomState State() const { return state_; }
    void SetState(RandomState state) { state_ = state; }

private:
    RandomState state_;
};

} // namespace quba
