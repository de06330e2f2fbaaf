// Formulas evolved for one block of a grid: a run of the user's populations
// on the block's cells with the block's own coordinates, its size-accuracy
// fronts (by length and by bytes) and best programs kept as candidates. A
// block's effort follows its size: each population gets the block's share of
// the population size, never fewer than a small floor, and its generations.
#pragma once

#include "codec/formula_file.h"
#include "engine/best_program.h"
#include "engine/problem.h"
#include "engine/run_settings.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace quba {

// The fewest programs a block's population has (unless the user's own
// population is smaller).
inline constexpr int32_t kSmallestBlockPopulation = 32;

// The population settings for a block holding `share` of the grid's cells.
PopulationValues BlockPopulation(const PopulationValues& values, double share);

// The distinct pieces of a run's fronts and best programs, with the flat
// piece and the programs X and Y when scaled (the pieces every block may use).
std::vector<Piece> CandidatePieces(const std::vector<BestProgram>& programs, bool scaled);

// Evolves on `targets` (the block's cells, row-major) with the run's node
// table and constants (`base`), the settings' populations scaled to the
// block, its search and its arithmetic on one thread, every population seeded
// with `seed`. `keepGoing` is asked after every step.
std::vector<Piece> EvolveBlock(const Problem& base, const RunSettings& settings,
                               const Region& block, int32_t side, std::vector<float> targets,
                               uint32_t seed, const std::function<bool()>& keepGoing);

// A block's seed from the run's, its index in the quadtree and its stage:
// the same for any number of threads.
uint32_t BlockSeed(uint32_t seed, int32_t node, int32_t stage);

} // namespace quba
