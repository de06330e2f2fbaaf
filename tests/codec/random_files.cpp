#include "tests/codec/random_files.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <functional>

namespace quba {

namespace {

int32_t Between(std::mt19937& random, int32_t low, int32_t high) {
    return std::uniform_int_distribution<int32_t>(low, high)(random);
}

float RandomConstant(std::mt19937& random, const ConstantCoding& coding) {
    const float value = std::uniform_real_distribution<float>(-4, 4)(random);
    if (coding.Exact())
        return value;
    return static_cast<float>(
        std::ldexp(std::round(std::ldexp(value, coding.precision)), -coding.precision));
}

Piece RandomPiece(std::mt19937& random, const FormulaFile& file) {
    Piece piece;
    std::vector<PrimitiveId> functions;
    for (int k = 0; k < kFunctionCount; ++k)
        if (file.functions[k])
            functions.push_back(kPrimitives[k].id);
    const bool flat = file.scaled && Between(random, 0, 3) == 0;
    int64_t open = flat ? 0 : 1;
    while (open > 0) {
        FileNode node;
        const bool function =
            !functions.empty() && piece.nodes.size() < 12 && Between(random, 0, 1);
        if (function) {
            node = {FileNode::Kind::Function,
                    functions[static_cast<size_t>(
                        Between(random, 0, static_cast<int32_t>(functions.size()) - 1))]};
            open += PrimitiveOf(node.function).arityMinus1;
        } else {
            node.kind =
                std::array{FileNode::Kind::X, FileNode::Kind::Y,
                           FileNode::Kind::Constant}[static_cast<size_t>(Between(random, 0, 2))];
            --open;
            if (node.kind == FileNode::Kind::Constant)
                piece.constants.push_back(RandomConstant(random, file.coding));
        }
        piece.nodes.push_back(node);
    }
    if (file.scaled)
        piece.scaling = Scaling{RandomConstant(random, file.coding),
                                flat ? 0.0f : RandomConstant(random, file.coding)};
    return piece;
}

} // namespace

namespace {

// Mostly small levels, a few at the extremes, over a scan up to 60 long.
CosineSeries RandomCosines(std::mt19937& random, int32_t side) {
    CosineSeries series;
    series.exponent = Between(random, 0, 4) == 0 ? Between(random, CosineSeries::kLowestExponent,
                                                           CosineSeries::kHighestExponent)
                                                 : Between(random, -12, 2);
    const int32_t length = Between(random, 0, std::min(side * side, 60));
    for (int32_t k = 0; k < length; ++k)
        series.levels.push_back(
            Between(random, 0, 20) == 0
                ? Between(random, -CosineSeries::kLargestLevel, CosineSeries::kLargestLevel)
                : (Between(random, 0, 2) == 0 ? Between(random, -3, 3) : 0));
    while (!series.levels.empty() && series.levels.back() == 0)
        series.levels.pop_back();
    return series;
}

SampleGrid RandomSamples(std::mt19937& random, int32_t side) {
    SampleGrid samples;
    samples.rows = Between(random, 1, side);
    samples.columns = Between(random, 1, side);
    samples.steps =
        Between(random, 0, 1) ? Between(random, 1, 8) : Between(random, 1, SampleGrid::kMostSteps);
    for (int32_t k = 0; k < samples.rows * samples.columns; ++k)
        samples.values.push_back(Between(random, 0, samples.steps));
    return samples;
}

} // namespace

FormulaFile RandomFormulaFile(std::mt19937& random) {
    FormulaFile file;
    file.side = Between(random, 2, 40);
    file.fit = Between(random, 0, 1) ? PictureFit::Stretch : PictureFit::Crop;
    for (bool& f : file.functions)
        f = Between(random, 0, 2) == 0;
    file.scaled = Between(random, 0, 1);
    file.coding.precision = Between(random, 0, 3) == 0
                                ? ConstantCoding::kExact
                                : Between(random, 0, ConstantCoding::kFinest);
    if (!file.coding.Exact()) {
        file.coding.offsetOrder = Between(random, 0, ConstantCoding::kLongestOrder);
        file.coding.valueOrder = Between(random, 0, 6);
    }
    file.minBlock = Between(random, 0, 1) ? 0 : Between(random, 2, std::min(5, file.side));
    file.stageLimit = Between(random, 1, 3);
    std::function<void(const Region&)> add = [&](const Region& region) {
        if (CanSplit(region, file.minBlock) && Between(random, 0, 2) > 0) {
            for (const Region& part : Children(region))
                add(part);
            return;
        }
        FileBlock block{region, {}};
        const int32_t stages = Between(random, 1, file.stageLimit);
        for (int32_t s = 0; s < stages; ++s)
            block.stages.push_back(RandomPiece(random, file));
        file.blocks.push_back(std::move(block));
    };
    // A quarter of the files have a cosine series under their formulas, a
    // third of the rest samples; some have the layer alone, which holds
    // none of the formulas' fields.
    if (Between(random, 0, 3) == 0)
        file.cosines = RandomCosines(random, file.side);
    else if (Between(random, 0, 1))
        file.samples = RandomSamples(random, file.side);
    if (file.Layered() && Between(random, 0, 2) == 0) {
        FormulaFile alone;
        alone.side = file.side;
        alone.fit = file.fit;
        alone.samples = std::move(file.samples);
        alone.cosines = std::move(file.cosines);
        return alone;
    }
    add({0, 0, file.side, file.side});
    return file;
}

std::string SealedFile(const std::string& bits) {
    std::string bytes = std::string(kFormulaMagic) + bits;
    const auto crc = static_cast<uint32_t>(crc32(crc32(0L, Z_NULL, 0),
                                                 reinterpret_cast<const Bytef*>(bytes.data()),
                                                 static_cast<uInt>(bytes.size())));
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes.push_back(static_cast<char>(crc >> shift & 0xFF));
    return bytes;
}

} // namespace quba
