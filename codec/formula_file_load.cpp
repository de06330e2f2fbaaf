#include "codec/formula_file_load.h"

#include "core/file_bytes.h"

#include <algorithm>

namespace quba {

namespace {

// No formula file of a grid comes near this: a larger one is refused unread.
constexpr uint64_t kLargestFormulaFile = uint64_t{64} << 20;

} // namespace

Outcome<LoadedFormulaFile> LoadFormulaFile(const std::string& path) {
    const FileBytes read = ReadFileBytes(path, kLargestFormulaFile);
    if (!read.Read())
        return {std::nullopt, read.failure == FileBytes::Failure::TooLarge
                                  ? "'" + path + "' is larger than any formula file"
                                  : "Cannot open file " + path};
    Outcome<FormulaFile> file = ReadFormulaFile(read.bytes);
    if (!file)
        return {std::nullopt, "cannot read the formula file '" + path + "': " + file.message};
    return {LoadedFormulaFile{std::move(*file.value), static_cast<int64_t>(read.bytes.size())}, {}};
}

std::string FormulaFileSummary(const FormulaFile& file, int64_t bytes) {
    size_t stages = 0;
    for (const FileBlock& block : file.blocks)
        stages = std::max(stages, block.stages.size());
    const auto plural = [](size_t n, const char* word) {
        return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
    };
    std::string parts;
    if (file.samples)
        parts += std::to_string(file.samples->rows) + " x " +
                 std::to_string(file.samples->columns) + " samples of " +
                 std::to_string(file.samples->steps + 1) + " levels, ";
    if (file.cosines)
        parts += plural(static_cast<size_t>(file.cosines->Terms()), "cosine term") + ", ";
    if (!file.blocks.empty() || !file.Layered())
        parts += plural(file.blocks.size(), "block") + ", " + (stages > 1 ? "up to " : "") +
                 plural(stages, "stage") + ", ";
    return "formula file: " + std::to_string(file.side) + " x " + std::to_string(file.side) +
           " grid, " + parts + plural(static_cast<size_t>(bytes), "byte");
}

} // namespace quba
