// The random node choice and the initial programs.
#pragma once

#include <cstdint>

struct Population;

// Kinds of node draw: free, function only, terminal only, and the free draw
// that mutation uses.
enum NodeKind : int32_t { kAnyNode = 0, kFunctionNode = 1, kTerminalNode = 2, kMutationNode = 3 };

// A random node code, by the current population's function and variable ratios.
int32_t ChooseNode(int32_t kind);

// Longest program the initial growth keeps; a longer one is begun again.
inline constexpr int32_t kMaxInitialNodes = 70;

// A fresh random program for every individual of the current buffer.
void InitializePopulation(Population& population);
