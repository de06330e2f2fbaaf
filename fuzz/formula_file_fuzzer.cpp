// The formula-file reader on any bytes: it either refuses them with a
// message or gives a file that is writable, writes back to the same bytes
// and, where small, decodes to a grid of its size.
#include "fuzz/byte_reader.h"

#include "codec/decode.h"
#include "codec/formula_file.h"

using namespace quba;

namespace {

// The evaluations a decode may take here, to keep every input quick.
constexpr int64_t kDecodedWork = int64_t{1} << 18;

int64_t Work(const FormulaFile& file) {
    int64_t work = 0;
    for (const FileBlock& block : file.blocks)
        for (const Piece& piece : block.stages)
            work += static_cast<int64_t>(piece.nodes.size() + 1) * block.region.Cells();
    return work;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const Outcome<FormulaFile> read = ReadFormulaFile(bytes);
    if (!read) {
        FUZZ_CHECK(!read.message.empty());
        return 0;
    }
    const FormulaFile& file = *read.value;
    FUZZ_CHECK(WhyNotWritable(file).empty());
    FUZZ_CHECK(WriteFormulaFile(file) == bytes);
    if (Work(file) <= kDecodedWork) {
        FitnessEvaluators evaluators(EvaluationOptions{EvaluatorKind::Batch, 1});
        FUZZ_CHECK(DecodeFormulaFile(file, evaluators).Size() == file.side);
    }
    return 0;
}
