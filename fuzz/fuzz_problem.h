// A problem of a random function set, constants and grids, and well-formed
// programs over its node table, all decoded from fuzzer bytes.
#pragma once

#include "fuzz/byte_reader.h"

#include "core/random.h"
#include "engine/problem.h"

#include <cstdint>
#include <memory>
#include <vector>

using namespace quba;

// Any of the 4096 function sets (none checked goes on with "+"), 1 to 64
// constants over a range of two finite floats in either order, and grids of 2
// to 12 cells a side holding any finite values; and a generator.
class FuzzProblem {
public:
    explicit FuzzProblem(ByteReader& in);

    Problem& problem() { return *problem_; }
    RandomGenerator random;

private:
    std::unique_ptr<Problem> problem_;
};

// A well-formed program of 1 to maxLength nodes: the bytes pick each node's
// kind and member; once the bytes run out, or a function would not leave
// room for its arguments, terminals close the program.
std::vector<int32_t> DecodeProgram(ByteReader& in, const Problem& problem, int32_t maxLength);

// Every code is in the node table and the running sum of arityMinus1 first
// reaches -1 at the last node.
bool IsWellFormed(const Problem& problem, const int32_t* nodes, int32_t length);

// The largest depth of a node of a well-formed program, the root at 0.
int32_t ProgramDepth(const Problem& problem, const int32_t* nodes, int32_t length);
