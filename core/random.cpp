#include "core/random.h"

namespace quba {

namespace {

constexpr long double kInverse32767 = 1.0L / 32767.0L;

} // namespace

RandomGenerator::RandomGenerator() {
    SeedRandom(1);
}

void RandomGenerator::SeedRandom(uint32_t seed) {
    state_.low = seed;
    state_.high = 0;
    Rand15();
}

int32_t RandomGenerator::Rand15() {
    state_.low = state_.low * 22695477u + 1u;
    return static_cast<int32_t>((state_.low >> 16) & 0x7FFFu);
}

int32_t RandomGenerator::Rand31() {
    uint64_t state = (static_cast<uint64_t>(state_.high) << 32) | state_.low;
    state = state * 0x0000015A00004E35ull + 1u;
    state_.low = static_cast<uint32_t>(state);
    state_.high = static_cast<uint32_t>(state >> 32);
    return static_cast<int32_t>(state_.high & 0x7FFFFFFFu);
}

long double RandomGenerator::RandomUnit() {
    return static_cast<long double>(Rand15()) * kInverse32767;
}

int32_t RandomGenerator::RandomInt(int32_t n) {
    if (n == 0)
        return 0;
    return Rand31() % n;
}

} // namespace quba
