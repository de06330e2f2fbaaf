#include "codec/formula_file.h"

#include "codec/bit_io.h"
#include "codec/symbol_coding.h"

#include <zlib.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <functional>

namespace quba {

namespace {

constexpr int32_t kVersionBits = 4;
constexpr int32_t kSideBits = 10; // side - 1
constexpr int32_t kPrecisionBits = 5;
constexpr int32_t kOrderBits = 4;
constexpr int32_t kExponentBits = 6; // a cosine series's, less the lowest
constexpr size_t kCrcBytes = 4;
// The largest multiple of 2^-precision a quantised constant may be.
constexpr int64_t kLargestQuantum = int64_t{1} << 50;

// Node codes: the file's functions in check-list order, X, Y, a constant.
struct Alphabet {
    std::vector<PrimitiveId> functions;
    int32_t width = 0; // bits a code

    explicit Alphabet(const std::array<bool, kFunctionCount>& mask) {
        for (int k = 0; k < kFunctionCount; ++k)
            if (mask[k])
                functions.push_back(kPrimitives[k].id);
        width = std::bit_width(static_cast<uint32_t>(functions.size() + 2));
    }
    [[nodiscard]] auto Count() const { return static_cast<uint32_t>(functions.size()); }
    [[nodiscard]] uint32_t CodeOf(const FileNode& node) const {
        switch (node.kind) {
        case FileNode::Kind::Function:
            for (uint32_t k = 0; k < Count(); ++k)
                if (functions[k] == node.function)
                    return k;
            return Count() + 3; // not in the file's set
        case FileNode::Kind::X:
            return Count();
        case FileNode::Kind::Y:
            return Count() + 1;
        case FileNode::Kind::Constant:
            break;
        }
        return Count() + 2;
    }
};

int32_t Arity(const FileNode& node) {
    return node.kind == FileNode::Kind::Function ? PrimitiveOf(node.function).arityMinus1 + 1 : 0;
}

// The multiple of 2^-precision a constant is, if it is one.
std::optional<int64_t> Quantum(float value, int32_t precision) {
    const double scaled = std::ldexp(static_cast<double>(value), precision);
    if (!std::isfinite(scaled) || std::fabs(scaled) >= static_cast<double>(kLargestQuantum) ||
        scaled != std::trunc(scaled))
        return std::nullopt;
    return static_cast<int64_t>(scaled);
}

// The value of a quantum, if a float holds it exactly.
std::optional<float> ValueOf(int64_t quantum, int32_t precision) {
    const double value = std::ldexp(static_cast<double>(quantum), -precision);
    const auto rounded = static_cast<float>(value);
    if (static_cast<double>(rounded) != value || std::fabs(quantum) >= kLargestQuantum)
        return std::nullopt;
    return rounded;
}

// The first-stage offsets of the blocks read so far, cell by cell, from
// which a block's offset is predicted: the mean of those in the row above it
// and the column to its left, rounded to the nearest quantum.
class OffsetMap {
public:
    explicit OffsetMap(int32_t side)
        : side_(side), quanta_(static_cast<size_t>(side) * static_cast<size_t>(side), 0) {}

    [[nodiscard]] int64_t Predict(const Region& region) const {
        int64_t sum = 0;
        int64_t count = 0;
        if (region.row > 0)
            for (int32_t c = 0; c < region.width; ++c, ++count)
                sum += At(region.row - 1, region.column + c);
        if (region.column > 0)
            for (int32_t r = 0; r < region.height; ++r, ++count)
                sum += At(region.row + r, region.column - 1);
        if (count == 0)
            return 0;
        // Rounded to nearest, halves away from zero.
        const int64_t half = count / 2;
        return sum >= 0 ? (sum + half) / count : -((-sum + half) / count);
    }
    void Fill(const Region& region, int64_t quantum) {
        for (int32_t r = 0; r < region.height; ++r)
            for (int32_t c = 0; c < region.width; ++c)
                quanta_[Index(region.row + r, region.column + c)] = quantum;
    }

private:
    [[nodiscard]] size_t Index(int32_t r, int32_t c) const {
        return static_cast<size_t>(r) * static_cast<size_t>(side_) + static_cast<size_t>(c);
    }
    [[nodiscard]] int64_t At(int32_t r, int32_t c) const { return quanta_[Index(r, c)]; }

    int32_t side_;
    std::vector<int64_t> quanta_;
};

bool Predicts(const FormulaFile& file) {
    return PredictsOffsets(file);
}

// Why a program cannot be written: not one whole tree, too long, a function
// outside the file's set, constants that do not match its constant nodes.
std::string ProgramFault(const Piece& piece, const Alphabet& alphabet) {
    if (piece.nodes.size() > static_cast<size_t>(kLongestPiece))
        return "a program is longer than " + std::to_string(kLongestPiece) + " nodes";
    int64_t open = 1;
    size_t constants = 0;
    for (const FileNode& node : piece.nodes) {
        if (open == 0)
            return "a program has nodes after its end";
        if (alphabet.CodeOf(node) > alphabet.Count() + 2)
            return "a program uses a function outside the file's set";
        open += Arity(node) - 1;
        constants += node.kind == FileNode::Kind::Constant ? 1 : 0;
    }
    if (open != 0)
        return "a program ends early";
    if (constants != piece.constants.size())
        return "a program's constants do not match its constant nodes";
    return {};
}

std::string PieceFault(const Piece& piece, const FormulaFile& file, const Alphabet& alphabet) {
    if (piece.scaling.has_value() != file.scaled)
        return file.scaled ? "a formula has no linear scaling" : "a formula has a linear scaling";
    if (piece.Flat() && !file.scaled)
        return "a formula has no program";
    if (piece.Flat() && piece.scaling->factor != 0)
        return "a flat formula has a factor";
    std::vector<float> values = piece.constants;
    if (piece.scaling) {
        values.push_back(piece.scaling->offset);
        values.push_back(piece.scaling->factor);
    }
    for (float value : values)
        if (!file.coding.Exact() ? !Quantum(value, file.coding.precision) : !std::isfinite(value))
            return "a constant is not a multiple of the file's quantum";
    return piece.Flat() ? std::string() : ProgramFault(piece, alphabet);
}

std::string SampleFault(const SampleGrid& samples, int32_t side) {
    if (samples.rows < 1 || samples.columns < 1 || samples.rows > side || samples.columns > side)
        return "its sample grid's size is out of range";
    if (samples.steps < 1 || samples.steps > SampleGrid::kMostSteps)
        return "its samples' grey levels are out of range";
    if (samples.values.size() !=
        static_cast<size_t>(samples.rows) * static_cast<size_t>(samples.columns))
        return "its sample grid does not hold rows x columns samples";
    for (int32_t value : samples.values)
        if (value < 0 || value > samples.steps)
            return "a sample is out of range";
    return {};
}

std::string CosineFault(const CosineSeries& cosines, int32_t side) {
    if (cosines.exponent < CosineSeries::kLowestExponent ||
        cosines.exponent > CosineSeries::kHighestExponent)
        return "its cosine series's step is out of range";
    if (cosines.levels.size() > static_cast<size_t>(side) * static_cast<size_t>(side) ||
        (!cosines.levels.empty() && cosines.levels.back() == 0))
        return "its cosine series does not end at its last term";
    for (int32_t level : cosines.levels)
        if (level < -CosineSeries::kLargestLevel || level > CosineSeries::kLargestLevel)
            return "a cosine term is out of range";
    return {};
}

// Calls visit(region, leaf index) for every leaf of the file's quadtree in
// visiting order and split(depth, whether) at every block that may split;
// false when the blocks are not that quadtree's leaves.
bool WalkLeaves(const FormulaFile& file, const std::function<void(int32_t, bool)>& split,
                const std::function<void(const Region&, size_t)>& visit) {
    size_t next = 0;
    std::function<bool(const Region&, int32_t)> walk = [&](const Region& region, int32_t depth) {
        const bool splits = next < file.blocks.size() && file.blocks[next].region != region;
        if (CanSplit(region, file.minBlock)) {
            split(depth, splits);
            if (splits) {
                for (const Region& part : Children(region))
                    if (!walk(part, depth + 1))
                        return false;
                return true;
            }
        }
        if (splits || next >= file.blocks.size())
            return false;
        visit(region, next++);
        return true;
    };
    return walk({0, 0, file.side, file.side}, 0) && next == file.blocks.size();
}

int32_t SplitContext(int32_t depth) {
    return contexts::kSplit + std::min(depth, contexts::kDepths - 1);
}

// The symbols of a file's blocks, to any sink: per block its stage count,
// per piece its flat flag, its node codes each followed by its constant, its
// factor and its offset; a first stage's offset as its difference from the
// prediction where the file predicts offsets.
class PayloadWriter {
public:
    PayloadWriter(const FormulaFile& file, SymbolSink& sink)
        : file_(file), sink_(sink), alphabet_(file.functions) {}

    void Write() {
        if (file_.samples)
            PutSamples(sink_, *file_.samples);
        if (file_.cosines)
            PutCosines(sink_, *file_.cosines);
        if (file_.blocks.empty())
            return;
        OffsetMap offsets(file_.side);
        WalkLeaves(
            file_, [&](int32_t depth, bool splits) { sink_.Bit(SplitContext(depth), splits); },
            [&](const Region&, size_t index) {
                const FileBlock& block = file_.blocks[index];
                std::optional<int64_t> predicted;
                if (Predicts(file_))
                    predicted = offsets.Predict(block.region);
                Block(block.stages, predicted);
                if (Predicts(file_))
                    offsets.Fill(block.region,
                                 *Quantum(block.stages[0].scaling->offset, file_.coding.precision));
            });
    }

    void Block(const std::vector<Piece>& stages, std::optional<int64_t> predicted) {
        for (size_t s = 1; s < static_cast<size_t>(file_.stageLimit); ++s) {
            sink_.Bit(contexts::kMoreStages + static_cast<int32_t>(s) - 1, s < stages.size());
            if (s >= stages.size())
                break;
        }
        for (size_t s = 0; s < stages.size(); ++s)
            OnePiece(stages[s], s == 0 ? predicted : std::nullopt, s > 0);
    }

private:
    void Value(ValueKind kind, float value) {
        if (file_.coding.Exact())
            sink_.Plain(std::bit_cast<uint32_t>(value), 32);
        else
            PutNumber(sink_, kind, *Quantum(value, file_.coding.precision),
                      file_.coding.valueOrder);
    }

    void OnePiece(const Piece& piece, std::optional<int64_t> predicted, bool later) {
        if (file_.scaled)
            sink_.Bit(contexts::kFlat + (later ? 1 : 0), piece.Flat());
        size_t constant = 0;
        for (const FileNode& node : piece.nodes) {
            PutNodeCode(sink_, alphabet_.CodeOf(node), alphabet_.width);
            if (node.kind == FileNode::Kind::Constant)
                Value(ValueKind::Constant, piece.constants[constant++]);
        }
        if (!piece.scaling)
            return;
        if (!piece.Flat())
            Value(ValueKind::Factor, piece.scaling->factor);
        if (predicted)
            PutNumber(sink_, ValueKind::PredictedOffset,
                      *Quantum(piece.scaling->offset, file_.coding.precision) - *predicted,
                      file_.coding.offsetOrder);
        else
            Value(ValueKind::Offset, piece.scaling->offset);
    }

    const FormulaFile& file_;
    SymbolSink& sink_;
    Alphabet alphabet_;
};

void WriteHeader(const FormulaFile& file, BitWriter& out) {
    out.Put(file.samples   ? kSampledVersion
            : file.cosines ? kCosineVersion
                           : kFormulaVersion,
            kVersionBits);
    out.Put(static_cast<uint64_t>(file.side - 1), kSideBits);
    out.PutBit(file.fit == PictureFit::Stretch);
    if (file.Layered())
        out.PutBit(!file.blocks.empty());
    if (file.samples) {
        out.PutExpGolomb(static_cast<uint64_t>(file.samples->rows - 1), 0);
        out.PutExpGolomb(static_cast<uint64_t>(file.samples->columns - 1), 0);
        out.PutExpGolomb(static_cast<uint64_t>(file.samples->steps - 1), 0);
    }
    if (file.cosines)
        out.Put(static_cast<uint64_t>(file.cosines->exponent - CosineSeries::kLowestExponent),
                kExponentBits);
    if (file.Layered() && file.blocks.empty())
        return;
    out.PutBit(file.scaled);
    out.PutBit(file.minBlock > 0);
    if (file.minBlock > 0)
        out.PutExpGolomb(static_cast<uint64_t>(file.minBlock - 2), 0);
    out.PutExpGolomb(static_cast<uint64_t>(file.stageLimit - 1), 0);
    out.Put(static_cast<uint64_t>(file.coding.precision), kPrecisionBits);
    if (!file.coding.Exact()) {
        out.Put(static_cast<uint64_t>(file.coding.offsetOrder), kOrderBits);
        out.Put(static_cast<uint64_t>(file.coding.valueOrder), kOrderBits);
    }
    uint64_t mask = 0;
    for (bool f : file.functions)
        mask = mask << 1 | (f ? 1 : 0);
    out.PutBit(mask != 0);
    if (mask != 0)
        out.Put(mask, kFunctionCount);
}

// The fields, then the coded blocks; the bits between magic and CRC.
BitWriter FileBody(const FormulaFile& file) {
    BitWriter bits;
    WriteHeader(file, bits);
    SymbolEncoder encoder(bits);
    PayloadWriter(file, encoder).Write();
    encoder.Finish();
    return bits;
}

uint32_t Crc32(std::string_view bytes) {
    return static_cast<uint32_t>(crc32(crc32(0L, Z_NULL, 0),
                                       reinterpret_cast<const Bytef*>(bytes.data()),
                                       static_cast<uInt>(bytes.size())));
}

class FileReader {
public:
    explicit FileReader(std::string_view bits) : in_(bits) {}

    Outcome<FormulaFile> Read() {
        if (!ReadHeader())
            return Outcome<FormulaFile>::Refused(in_.Overrun() ? "it ends before its last formula"
                                                               : why_);
        const Alphabet alphabet(file_.functions);
        alphabet_ = &alphabet;
        SymbolSource source(in_);
        source_ = &source;
        // A sample that fails once every bit is read came from the zeros
        // past the end: the file was cut.
        if (file_.samples && !GetSamples(source, *file_.samples))
            return Outcome<FormulaFile>::Refused(in_.Left() <= 0 ? "it ends before its last formula"
                                                                 : "a sample is out of range");
        if (file_.cosines && !GetCosines(source, *file_.cosines, file_.side))
            return Outcome<FormulaFile>::Refused(in_.Left() <= 0 ? "it ends before its last formula"
                                                                 : "a cosine term is out of range");
        if (file_.cosines)
            work_ += static_cast<int64_t>(file_.cosines->levels.size()) * file_.side;
        offsets_.emplace(file_.side);
        if (formulas_ && !ReadRegion({0, 0, file_.side, file_.side}, 0))
            return Outcome<FormulaFile>::Refused(why_);
        return {std::move(file_), {}};
    }

private:
    bool Fail(std::string why) {
        why_ = std::move(why);
        return false;
    }

    bool ReadHeader() {
        const auto version = static_cast<int32_t>(in_.Get(kVersionBits));
        if (version < kFormulaVersion || version > kCosineVersion)
            return Fail("it is of format version " + std::to_string(version) +
                        ", and this program reads versions " + std::to_string(kFormulaVersion) +
                        " to " + std::to_string(kCosineVersion));
        file_.side = static_cast<int32_t>(in_.Get(kSideBits)) + 1;
        if (file_.side < 2)
            return Fail("its grid has fewer than 2 cells a side");
        file_.fit = in_.GetBit() ? PictureFit::Stretch : PictureFit::Crop;
        if (version != kFormulaVersion) {
            formulas_ = in_.GetBit();
            if (version == kSampledVersion && !ReadSampleFields())
                return false;
            if (version == kCosineVersion) {
                CosineSeries cosines;
                cosines.exponent =
                    static_cast<int32_t>(in_.Get(kExponentBits)) + CosineSeries::kLowestExponent;
                file_.cosines = std::move(cosines);
            }
            if (!formulas_)
                return !in_.Overrun();
        }
        file_.scaled = in_.GetBit();
        if (in_.GetBit()) {
            const uint64_t minBlock = in_.GetExpGolomb(0) + 2;
            if (minBlock > static_cast<uint64_t>(file_.side))
                return Fail("its smallest block is larger than its grid");
            file_.minBlock = static_cast<int32_t>(minBlock);
        }
        const uint64_t stages = in_.GetExpGolomb(0) + 1;
        if (stages > static_cast<uint64_t>(kMostStages))
            return Fail("it has more than " + std::to_string(kMostStages) + " stages");
        file_.stageLimit = static_cast<int32_t>(stages);
        file_.coding.precision = static_cast<int32_t>(in_.Get(kPrecisionBits));
        if (!file_.coding.Exact() && file_.coding.precision > ConstantCoding::kFinest)
            return Fail("its constants' precision is unknown");
        if (!file_.coding.Exact()) {
            file_.coding.offsetOrder = static_cast<int32_t>(in_.Get(kOrderBits));
            file_.coding.valueOrder = static_cast<int32_t>(in_.Get(kOrderBits));
        }
        if (in_.GetBit()) {
            const uint64_t mask = in_.Get(kFunctionCount);
            if (mask == 0)
                return Fail("its function set is empty");
            for (int k = 0; k < kFunctionCount; ++k)
                file_.functions[k] = (mask >> (kFunctionCount - 1 - k) & 1) != 0;
        }
        return !in_.Overrun();
    }

    bool ReadSampleFields() {
        SampleGrid samples;
        const uint64_t rows = in_.GetExpGolomb(0) + 1;
        const uint64_t columns = in_.GetExpGolomb(0) + 1;
        const uint64_t steps = in_.GetExpGolomb(0) + 1;
        if (rows > static_cast<uint64_t>(file_.side) || columns > static_cast<uint64_t>(file_.side))
            return Fail("its sample grid is larger than its grid");
        if (steps > static_cast<uint64_t>(SampleGrid::kMostSteps))
            return Fail("its samples have more than " + std::to_string(SampleGrid::kMostSteps + 1) +
                        " grey levels");
        samples.rows = static_cast<int32_t>(rows);
        samples.columns = static_cast<int32_t>(columns);
        samples.steps = static_cast<int32_t>(steps);
        file_.samples = std::move(samples);
        return true;
    }

    bool ReadRegion(const Region& region, int32_t depth) {
        if (CanSplit(region, file_.minBlock) && source_->Bit(SplitContext(depth))) {
            for (const Region& part : Children(region))
                if (!ReadRegion(part, depth + 1))
                    return false;
            return true;
        }
        FileBlock block;
        block.region = region;
        int32_t count = 1;
        while (count < file_.stageLimit && source_->Bit(contexts::kMoreStages + count - 1))
            ++count;
        for (int32_t s = 0; s < count; ++s) {
            Piece piece;
            if (!ReadPiece(piece, s == 0 ? &region : nullptr, s > 0))
                return false;
            work_ += static_cast<int64_t>(piece.nodes.size() + 1) * region.Cells();
            if (work_ > kMostDecodingWork)
                return Fail("it would take more than " + std::to_string(kMostDecodingWork) +
                            " evaluations to decode");
            block.stages.push_back(std::move(piece));
        }
        file_.blocks.push_back(std::move(block));
        return true;
    }

    bool ReadNumber(ValueKind kind, int32_t order, int64_t& number) {
        const std::optional<int64_t> read = GetNumber(*source_, kind, order);
        if (!read)
            return Fail("a constant is out of range");
        number = *read;
        return true;
    }

    bool ReadValue(ValueKind kind, float& value) {
        if (file_.coding.Exact()) {
            value = std::bit_cast<float>(static_cast<uint32_t>(source_->Plain(32)));
            return std::isfinite(value) || Fail("a constant is not finite");
        }
        int64_t quantum = 0;
        if (!ReadNumber(kind, file_.coding.valueOrder, quantum))
            return false;
        const std::optional<float> read = ValueOf(quantum, file_.coding.precision);
        if (!read)
            return Fail("a constant is out of range");
        value = *read;
        return true;
    }

    bool ReadProgram(Piece& piece) {
        int64_t open = 1;
        while (open > 0) {
            if (piece.nodes.size() >= static_cast<size_t>(kLongestPiece))
                return Fail("a program is longer than " + std::to_string(kLongestPiece) + " nodes");
            const uint32_t code = GetNodeCode(*source_, alphabet_->width);
            FileNode node;
            if (code < alphabet_->Count()) {
                node = {FileNode::Kind::Function, alphabet_->functions[code]};
            } else if (code <= alphabet_->Count() + 2) {
                constexpr std::array<FileNode::Kind, 3> kTerminals = {
                    FileNode::Kind::X, FileNode::Kind::Y, FileNode::Kind::Constant};
                node.kind = kTerminals[code - alphabet_->Count()];
            } else {
                return Fail("a program has an unknown node code");
            }
            piece.nodes.push_back(node);
            open += Arity(node) - 1;
            if (node.kind == FileNode::Kind::Constant) {
                float value = 0;
                if (!ReadValue(ValueKind::Constant, value))
                    return false;
                piece.constants.push_back(value);
            }
        }
        return true;
    }

    bool ReadPiece(Piece& piece, const Region* first, bool later) {
        const bool flat = file_.scaled && source_->Bit(contexts::kFlat + (later ? 1 : 0));
        if (!flat && !ReadProgram(piece))
            return false;
        if (!file_.scaled)
            return true;
        Scaling scaling{0, 0};
        if (!flat && !ReadValue(ValueKind::Factor, scaling.factor))
            return false;
        if (first && Predicts(file_)) {
            int64_t difference = 0;
            if (!ReadNumber(ValueKind::PredictedOffset, file_.coding.offsetOrder, difference))
                return false;
            const int64_t quantum = difference + offsets_->Predict(*first);
            const std::optional<float> offset = ValueOf(quantum, file_.coding.precision);
            if (!offset)
                return Fail("a constant is out of range");
            scaling.offset = *offset;
            offsets_->Fill(*first, quantum);
        } else if (!ReadValue(ValueKind::Offset, scaling.offset)) {
            return false;
        }
        piece.scaling = scaling;
        return true;
    }

    BitReader in_;
    FormulaFile file_;
    const Alphabet* alphabet_ = nullptr;
    SymbolSource* source_ = nullptr;
    std::optional<OffsetMap> offsets_;
    bool formulas_ = true;
    int64_t work_ = 0;
    std::string why_ = "it is damaged";
};

} // namespace

bool PredictsOffsets(const FormulaFile& file) {
    return file.scaled && !file.coding.Exact();
}

std::string WhyNotWritable(const FormulaFile& file) {
    if (file.side < 2 || file.side > (1 << kSideBits))
        return "its grid size is out of range";
    if (file.minBlock != 0 && file.minBlock < 2)
        return "its smallest block is below 2 cells";
    if (file.minBlock > file.side)
        return "its smallest block is larger than its grid";
    if (file.stageLimit < 1 || file.stageLimit > kMostStages)
        return "its stage limit is out of range";
    const ConstantCoding& coding = file.coding;
    if (coding.Exact() && (coding.offsetOrder != 0 || coding.valueOrder != 0))
        return "exact constants have no exp-Golomb orders";
    if (!coding.Exact() && (coding.precision < 0 || coding.precision > ConstantCoding::kFinest ||
                            coding.offsetOrder < 0 || coding.valueOrder < 0 ||
                            coding.offsetOrder > ConstantCoding::kLongestOrder ||
                            coding.valueOrder > ConstantCoding::kLongestOrder))
        return "its constant coding is out of range";
    if (file.samples && file.cosines)
        return "it holds both a sample grid and a cosine series";
    if (file.samples)
        if (std::string fault = SampleFault(*file.samples, file.side); !fault.empty())
            return fault;
    if (file.cosines)
        if (std::string fault = CosineFault(*file.cosines, file.side); !fault.empty())
            return fault;
    if (file.Layered() && file.blocks.empty())
        return {};
    if (!WalkLeaves(
            file, [](int32_t, bool) {}, [](const Region&, size_t) {}))
        return "its blocks are not the leaves of its quadtree";
    const Alphabet alphabet(file.functions);
    for (const FileBlock& block : file.blocks) {
        if (block.stages.empty() || block.stages.size() > static_cast<size_t>(file.stageLimit))
            return "a block's stage count is out of range";
        for (const Piece& piece : block.stages)
            if (std::string fault = PieceFault(piece, file, alphabet); !fault.empty())
                return fault;
    }
    return {};
}

std::string WriteFormulaFile(const FormulaFile& file) {
    std::string bytes = std::string(kFormulaMagic) + FileBody(file).Bytes();
    const uint32_t crc = Crc32(bytes);
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes.push_back(static_cast<char>(crc >> shift & 0xFF));
    return bytes;
}

int64_t FileBits(const FormulaFile& file) {
    return FileBody(file).BitCount();
}

int64_t FormulaFileBytes(const FormulaFile& file) {
    return BytesOfBits(FileBits(file));
}

int64_t BytesOfBits(int64_t bits) {
    return static_cast<int64_t>(kFormulaMagic.size() + kCrcBytes) + (bits + 7) / 8;
}

double BlockCost(const FormulaFile& file, const std::vector<Piece>& stages,
                 std::optional<int64_t> predicted, const CodingModel& model) {
    SymbolCost cost(model);
    PayloadWriter(file, cost).Block(stages, Predicts(file) ? predicted : std::nullopt);
    return cost.Bits();
}

double SplitCost(const CodingModel& model, int32_t depth, bool splits) {
    return BitPrice(model[static_cast<size_t>(SplitContext(depth))], splits);
}

CodingModel FileModel(const FormulaFile& file) {
    SymbolCounter counter;
    PayloadWriter(file, counter).Write();
    return counter.Model();
}

Outcome<FormulaFile> ReadFormulaFile(std::string_view bytes) {
    if (bytes.size() < kFormulaMagic.size() ||
        bytes.substr(0, kFormulaMagic.size()) != kFormulaMagic)
        return Outcome<FormulaFile>::Refused("it is not a formula file");
    if (bytes.size() < kFormulaMagic.size() + kCrcBytes + 1)
        return Outcome<FormulaFile>::Refused("it ends before its last formula");
    const std::string_view body = bytes.substr(0, bytes.size() - kCrcBytes);
    uint32_t stored = 0;
    for (size_t k = body.size(); k < bytes.size(); ++k)
        stored = stored << 8 | static_cast<unsigned char>(bytes[k]);
    if (stored != Crc32(body))
        return Outcome<FormulaFile>::Refused("its check sum does not match: it is damaged");
    Outcome<FormulaFile> read = FileReader(body.substr(kFormulaMagic.size())).Read();
    if (!read)
        return read;
    // Any bits but the ones this program writes for the file are not its.
    const std::string canonical = WriteFormulaFile(*read.value);
    if (canonical.size() != bytes.size())
        return Outcome<FormulaFile>::Refused(canonical.size() < bytes.size()
                                                 ? "it has bits after its last formula"
                                                 : "it ends before its last formula");
    if (canonical != bytes)
        return Outcome<FormulaFile>::Refused("it is damaged");
    return read;
}

} // namespace quba
