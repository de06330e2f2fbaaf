// The formula file: any writable file reads back as itself, bit for bit, and
// a damaged or hostile one is refused with a message, quickly.
#include "codec/bit_io.h"
#include "codec/formula_file.h"
#include "codec/symbol_coding.h"
#include "tests/codec/random_files.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

using namespace quba;

namespace {

TEST(BitIo, ExpGolombCodesReadBackAndTakeTheBitsTheySay) {
    std::mt19937 random(5);
    BitWriter out;
    std::vector<std::pair<int64_t, int32_t>> written;
    for (int k = 0; k < 2000; ++k) {
        const int32_t order = static_cast<int32_t>(random() % 16);
        const int64_t value = (static_cast<int64_t>(random() % 100000) - 50000) >> (random() % 16);
        const int64_t before = out.BitCount();
        out.PutSigned(value, order);
        EXPECT_EQ(out.BitCount() - before, SignedBits(value, order));
        written.emplace_back(value, order);
    }
    const std::string bytes = out.Bytes();
    BitReader in(bytes);
    for (const auto& [value, order] : written)
        ASSERT_EQ(in.GetSigned(order), value);
    EXPECT_FALSE(in.Overrun());
    EXPECT_LT(in.Left(), 8);
    in.Get(9);
    EXPECT_TRUE(in.Overrun());
}

TEST(FormulaFile, EveryWritableFileReadsBackAsItselfAndWritesTheSameBytes) {
    std::mt19937 random(11);
    for (int trial = 0; trial < 400; ++trial) {
        const FormulaFile file = RandomFormulaFile(random);
        ASSERT_EQ(WhyNotWritable(file), "") << trial;
        const std::string bytes = WriteFormulaFile(file);
        EXPECT_EQ(static_cast<int64_t>(bytes.size()),
                  static_cast<int64_t>(kFormulaMagic.size()) + (FileBits(file) + 7) / 8 + 4);
        const Outcome<FormulaFile> read = ReadFormulaFile(bytes);
        ASSERT_TRUE(read) << trial << ": " << read.message;
        EXPECT_EQ(*read.value, file) << trial;
        EXPECT_EQ(WriteFormulaFile(*read.value), bytes) << trial;
    }
}

TEST(FormulaFile, WhatCannotBeWrittenSaysWhy) {
    std::mt19937 random(3);
    FormulaFile file;
    do
        file = RandomFormulaFile(random);
    while (!file.scaled || file.coding.Exact() || file.blocks.size() < 2);
    const std::vector<std::pair<std::function<void(FormulaFile&)>, std::string>> faults = {
        {[](FormulaFile& f) { f.side = 1025; }, "its grid size is out of range"},
        {[](FormulaFile& f) { f.blocks.pop_back(); },
         "its blocks are not the leaves of its quadtree"},
        {[](FormulaFile& f) { f.blocks[0].stages.clear(); },
         "a block's stage count is out of range"},
        {[](FormulaFile& f) { f.blocks[0].stages[0].scaling.reset(); },
         "a formula has no linear scaling"},
        {[](FormulaFile& f) {
             f.blocks[0].stages[0].scaling->offset = std::ldexp(1.0f, -f.coding.precision - 1);
         },
         "a constant is not a multiple of the file's quantum"},
        {[](FormulaFile& f) {
             f.blocks[0].stages[0].nodes = {{FileNode::Kind::X}, {FileNode::Kind::Y}};
             f.blocks[0].stages[0].constants.clear();
         },
         "a program has nodes after its end"},
    };
    for (const auto& [fault, why] : faults) {
        FormulaFile damaged = file;
        fault(damaged);
        EXPECT_EQ(WhyNotWritable(damaged), why);
    }
}

TEST(FormulaFile, EveryCutAndEveryFlippedByteIsRefused) {
    std::mt19937 random(17);
    const std::string bytes = WriteFormulaFile(RandomFormulaFile(random));
    for (size_t length = 0; length < bytes.size(); ++length)
        EXPECT_FALSE(ReadFormulaFile(bytes.substr(0, length))) << length;
    for (size_t at = 0; at < bytes.size(); ++at) {
        std::string flipped = bytes;
        flipped[at] = static_cast<char>(flipped[at] ^ (1 << (at % 8)));
        const Outcome<FormulaFile> read = ReadFormulaFile(flipped);
        EXPECT_FALSE(read) << at;
        EXPECT_FALSE(read.message.empty());
    }
}

// The fields of a file as bits: version 1, side - 1, crop, the flags given,
// no tiles, one stage, the precision.
void Fields(BitWriter& out, int32_t side, bool scaled, int32_t precision, uint64_t mask) {
    out.Put(1, 4);
    out.Put(static_cast<uint64_t>(side - 1), 10);
    out.PutBit(false);
    out.PutBit(scaled);
    out.PutBit(false);
    out.PutExpGolomb(0, 0);
    out.Put(static_cast<uint64_t>(precision), 5);
    if (precision != ConstantCoding::kExact)
        out.Put(0, 8);
    out.PutBit(mask != 0);
    if (mask != 0)
        out.Put(mask, 12);
}

constexpr uint64_t kSinOnly = 1 << (11 - 4); // sin is the fifth function

// The fields, then symbols coded as a file codes them.
std::string Coded(int32_t side, int32_t precision, uint64_t mask,
                  const std::function<void(SymbolSink&)>& symbols) {
    BitWriter out;
    Fields(out, side, false, precision, mask);
    SymbolEncoder encoder(out);
    symbols(encoder);
    encoder.Finish();
    return out.Bytes();
}

// A program of `chain` sin nodes and X, in a file whose only function is sin.
std::string SinChain(int32_t side, int64_t chain) {
    return Coded(side, ConstantCoding::kExact, kSinOnly, [&](SymbolSink& sink) {
        for (int64_t k = 0; k < chain; ++k)
            PutNodeCode(sink, 0, 2);
        PutNodeCode(sink, 1, 2); // X
    });
}

// A 2 x 2 grid of a cosine series alone, step 1, then its levels as
// written, whatever they are, and bits after them.
std::string CosineFile(const std::vector<int32_t>& levels) {
    BitWriter out;
    out.Put(3, 4);
    out.Put(1, 10);
    out.Put(0, 2);
    out.Put(32, 6);
    if (levels.empty())
        return SealedFile(out.Bytes());
    SymbolEncoder encoder(out);
    PutCosines(encoder, CosineSeries{0, levels});
    encoder.Finish();
    return SealedFile(out.Bytes() + std::string(4, '\0'));
}

TEST(FormulaFile, HostileFilesAreRefusedWithTheirReason) {
    BitWriter version;
    version.Put(4, 4);
    // A grid of 8 x 8 cells with samples alone: rows, columns and steps.
    const auto sampled = [](uint64_t rows, uint64_t columns, uint64_t steps) {
        BitWriter out;
        out.Put(2, 4);
        out.Put(7, 10);
        out.Put(0, 2);
        out.PutExpGolomb(rows - 1, 0);
        out.PutExpGolomb(columns - 1, 0);
        out.PutExpGolomb(steps - 1, 0);
        return out;
    };
    // The first of 4 x 4 samples is 2 predicted + 3 > 4; bits follow it.
    BitWriter wrongSample = sampled(4, 4, 4);
    SymbolEncoder sampleEncoder(wrongSample);
    for (int k = 0; k < 16; ++k)
        PutNumber(sampleEncoder, ValueKind::SampleFlat, 3, 0);
    sampleEncoder.Finish();
    BitWriter tiny;
    Fields(tiny, 1, false, ConstantCoding::kExact, 0);
    BitWriter precision;
    Fields(precision, 8, false, 25, 0);
    // The set's flag, then no function in it.
    BitWriter flagged;
    Fields(flagged, 8, false, ConstantCoding::kExact, 0);
    std::string flaggedBits = flagged.Bytes();
    flaggedBits.back() = static_cast<char>(flaggedBits.back() | 1);
    flaggedBits += std::string(2, '\0');
    BitWriter stages;
    stages.Put(1, 4);
    stages.Put(7, 10);
    stages.Put(0, 3);
    stages.PutExpGolomb(8, 0);
    // + and sin: codes 0 to 4 are +, sin, X, Y and a constant.
    const std::string unknown = Coded(8, ConstantCoding::kExact, kSinOnly | 1 << 11,
                                      [](SymbolSink& sink) { PutNodeCode(sink, 5, 3); });
    const std::string huge = Coded(8, 0, 0, [](SymbolSink& sink) {
        PutNodeCode(sink, 2, 2); // a constant
        PutNumber(sink, ValueKind::Constant, int64_t{1} << 55, 0);
    });
    const std::string x =
        Coded(8, ConstantCoding::kExact, 0, [](SymbolSink& sink) { PutNodeCode(sink, 0, 2); });

    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "it is not a formula file"},
        {"GIF89a", "it is not a formula file"},
        {"QF\x10", "it ends before its last formula"},
        {SealedFile(version.Bytes()),
         "it is of format version 4, and this program reads versions 1 to 3"},
        {CosineFile({}), "it ends before its last formula"},
        {CosineFile({0, 0, 0, 0, 1}), "a cosine term is out of range"},
        {CosineFile({CosineSeries::kLargestLevel + 2}), "a cosine term is out of range"},
        {SealedFile(sampled(9, 1, 4).Bytes()), "its sample grid is larger than its grid"},
        {SealedFile(sampled(1, 9, 4).Bytes()), "its sample grid is larger than its grid"},
        {SealedFile(sampled(2, 2, 256).Bytes()), "its samples have more than 256 grey levels"},
        {SealedFile(sampled(2, 2, 4).Bytes()), "it ends before its last formula"},
        {SealedFile(wrongSample.Bytes()), "a sample is out of range"},
        {SealedFile(tiny.Bytes()), "its grid has fewer than 2 cells a side"},
        {SealedFile(precision.Bytes()), "its constants' precision is unknown"},
        {SealedFile(stages.Bytes()), "it has more than 8 stages"},
        {SealedFile(flaggedBits), "its function set is empty"},
        {SealedFile(unknown), "a program has an unknown node code"},
        {SealedFile(huge), "a constant is out of range"},
        {SealedFile(x + std::string(2, '\0')), "it has bits after its last formula"},
        {SealedFile(SinChain(8, kLongestPiece)), "a program is longer than 1048576 nodes"},
        {SealedFile(SinChain(1024, 4096)),
         "it would take more than 4294967296 evaluations to decode"},
    };
    for (const auto& [bytes, why] : cases) {
        const Outcome<FormulaFile> read = ReadFormulaFile(bytes);
        EXPECT_FALSE(read) << why;
        EXPECT_EQ(read.message, why);
    }
    // The program X alone, and the longest program a piece may hold, are read.
    EXPECT_TRUE(ReadFormulaFile(SealedFile(x)));
    EXPECT_TRUE(ReadFormulaFile(SealedFile(SinChain(8, kLongestPiece - 1))));
}

} // namespace
