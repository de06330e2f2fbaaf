// A program compiled for the fast arithmetic: one operation per function
// node, arguments first, each result in a slot column of one block of cases.
// Private to the fast evaluator's source, which Highway compiles once for
// each instruction set.
#pragma once

#include "engine/primitives.h"

#include <cstddef>
#include <cstdint>

namespace quba {

// Where an operand's column comes from.
struct FastColumn {
    enum Kind : uint8_t { kX, kY, kConstant, kSlot };
    Kind kind = kX;
    int32_t index = 0; // constant or slot
};

// One function node: its primitive, its argument columns and its result slot.
struct FastOp {
    PrimitiveId primitive = PrimitiveId::Add;
    FastColumn in[4];
    int32_t out = 0;
};

// What the evaluation of one block reads and writes.
struct FastWork {
    static constexpr int32_t kBlock = 256;

    const FastOp* ops = nullptr;
    size_t opCount = 0;
    FastColumn root;
    float* results = nullptr;         // slot s: results + s * kBlock
    const float* constants = nullptr; // the program's constants, in the order it uses them
    float* padded = nullptr;          // x, y and targets of a last, partial block
    float* filled = nullptr;          // four columns for an if-form's constant arguments
};

} // namespace quba
