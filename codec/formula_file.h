// The compressed formula file: a grid redrawn by formulas, one or more for
// each block of a quadtree over the grid, in as few bytes as their constants'
// quantisation allows. docs/formula-file.md gives the layout bit by bit.
#pragma once

#include "codec/block_layout.h"
#include "codec/cosine_series.h"
#include "codec/sample_grid.h"
#include "codec/symbol_coding.h"
#include "core/outcome.h"
#include "data/area_average.h"
#include "engine/linear_scaling.h"
#include "engine/primitives.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quba {

inline constexpr std::string_view kFormulaMagic = "QF";
// Version 1 files hold formulas only; version 2 files a sample grid and
// version 3 files a cosine series, each with or without formulas. A file is
// written in the one version that holds it.
inline constexpr int32_t kFormulaVersion = 1;
inline constexpr int32_t kSampledVersion = 2;
inline constexpr int32_t kCosineVersion = 3;

// How the constants are coded: multiples of 2^-precision as exp-Golomb codes,
// or exact 32-bit floats.
struct ConstantCoding {
    static constexpr int32_t kExact = 31;
    static constexpr int32_t kFinest = 24;
    static constexpr int32_t kLongestOrder = 15;

    int32_t precision = kExact; // 0 to kFinest, or kExact
    // Exp-Golomb orders: of a first stage's offset, coded as its difference
    // from the offsets of the blocks above and to the left, and of every
    // other constant.
    int32_t offsetOrder = 0;
    int32_t valueOrder = 0;

    [[nodiscard]] bool Exact() const { return precision == kExact; }
    friend bool operator==(const ConstantCoding&, const ConstantCoding&) = default;
};

struct FileNode {
    enum class Kind : uint8_t { Function, X, Y, Constant };
    Kind kind = Kind::X;
    PrimitiveId function = PrimitiveId::Add; // for a function node

    friend bool operator==(const FileNode&, const FileNode&) = default;
};

// One formula over its block's own coordinates. With a linear scaling its
// value is a + b f; a flat piece has no program and the value a.
struct Piece {
    std::vector<FileNode> nodes;  // prefix order; empty for a flat piece
    std::vector<float> constants; // the constant nodes' values, in node order
    std::optional<Scaling> scaling;

    [[nodiscard]] bool Flat() const { return nodes.empty(); }
    friend bool operator==(const Piece&, const Piece&) = default;
};

// A leaf of the quadtree: its cells and its stages, whose values are added.
struct FileBlock {
    Region region;
    std::vector<Piece> stages; // 1 to the file's stage limit

    friend bool operator==(const FileBlock&, const FileBlock&) = default;
};

struct FormulaFile {
    int32_t side = 0;                  // the grid's N
    PictureFit fit = PictureFit::Crop; // how its picture became square
    // The functions the programs may use, which number the node codes.
    std::array<bool, kFunctionCount> functions{};
    bool scaled = false; // every piece has a linear scaling
    ConstantCoding coding;
    // Blocks are split down to this size; 0: one block, the whole grid.
    int32_t minBlock = 0;
    int32_t stageLimit = 1;        // 1 to kMostStages
    std::vector<FileBlock> blocks; // the leaves in the order the quadtree visits them;
                                   // none in a file of samples alone
    // The coarse layer the blocks' formulas are added to, if any: samples
    // or a cosine series, never both.
    std::optional<SampleGrid> samples;
    std::optional<CosineSeries> cosines;

    [[nodiscard]] bool Layered() const { return samples || cosines; }

    friend bool operator==(const FormulaFile&, const FormulaFile&) = default;
};

// The largest program a piece may hold, and the most node-case evaluations
// a file may take to decode: a file beyond either is refused.
inline constexpr int32_t kLongestPiece = 1 << 20;
inline constexpr int32_t kMostStages = 8;
inline constexpr int64_t kMostDecodingWork = int64_t{1} << 32;

// Whether the file's constants and structure can be written as they are:
// every constant a multiple of 2^-precision (or any float when exact), the
// blocks a quadtree of the grid. An empty text when they can.
std::string WhyNotWritable(const FormulaFile& file);

// The file's bytes: magic, the fields and pieces as bits, a CRC-32. The file
// must be writable.
std::string WriteFormulaFile(const FormulaFile& file);
// The file's bits between its magic and its check sum.
int64_t FileBits(const FormulaFile& file);
// The whole file's bytes, without writing it.
int64_t FormulaFileBytes(const FormulaFile& file);
// The bytes of a file of so many bits between its magic and its check sum.
int64_t BytesOfBits(int64_t bits);

// What a block's stages would take in a file with `file`'s fields, priced
// with a model's fixed probabilities: the first offset coded against
// `predicted` (in quanta) where the file predicts offsets.
double BlockCost(const FormulaFile& file, const std::vector<Piece>& stages,
                 std::optional<int64_t> predicted, const CodingModel& model);
// The price of the flag that says whether a block at this depth splits.
double SplitCost(const CodingModel& model, int32_t depth, bool splits);
// The probabilities that code a file's symbols best.
CodingModel FileModel(const FormulaFile& file);
// Whether first stages' offsets are coded against their neighbours'.
bool PredictsOffsets(const FormulaFile& file);

// Reads a file; a damaged or hostile one gives a message saying why.
Outcome<FormulaFile> ReadFormulaFile(std::string_view bytes);

} // namespace quba
