// Random numbers, the ranking sort and program text.
#pragma once

#include <cstdint>
#include <string>

struct NodeEntry;
struct Population;

// The process-wide generator: one 64-bit state kept as two 32-bit words.
// Rand15 advances the low word only, Rand31 the whole state, so the two
// sequences interleave on the same words.
struct RandomState {
    uint32_t low = 0;
    uint32_t high = 0;
};

void SeedRandom(uint32_t seed);
int32_t Rand15();
int32_t Rand31();
// Rand15 / 32767 in extended precision: 0 and 1 are both possible.
long double RandomUnit();
// Rand31 modulo n; 0 without a draw when n is 0.
int32_t RandomInt(int32_t n);

// Test seam: the whole generator state, to save and restore around a test.
RandomState GetRandomState();
void SetRandomState(RandomState state);

// Orders the current buffer by normalizedFitness, largest first.
void SortByFitness(Population& population);

// Infix text of the subtree rooted at `position`; on return `position` is the
// subtree's last node.
std::string ProgramText(const NodeEntry* nodeTable, const int32_t* nodes, int32_t& position);
