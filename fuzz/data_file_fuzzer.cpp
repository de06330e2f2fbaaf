// The data-file reader on any text and any size of axis: it either gives a
// grid of that size whose values are finite and non-zero (any value in a file
// the program marked as its own), or one of its messages; an accepted grid
// written back reads as the same grid.
#include "fuzz/byte_reader.h"

#include "data/data_file.h"

#include <cmath>
#include <fstream>
#include <optional>
#include <string>
#include <unistd.h>

using namespace quba;

namespace {

// Mostly sizes around the accepted 2 to 50, sometimes any 32-bit value.
int32_t AxisSize(ByteReader& in) {
    const uint8_t selector = in.Byte();
    if (selector & 0x80)
        return static_cast<int32_t>(in.Uint32());
    return selector % 53;
}

// The file reader takes the text in 64 KiB pieces: white space in front
// moves the first tokens across the boundary of the first piece.
Outcome<DataGrid> ReadAsFile(std::string_view text, int32_t size) {
    static const std::string path = "/tmp/quba-fuzz-data-" + std::to_string(getpid()) + ".txt";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
    }
    Outcome<DataGrid> result = ReadDataFile(path, size);
    std::remove(path.c_str());
    return result;
}

void CheckGrid(const DataGrid& grid, int32_t size, bool marked) {
    FUZZ_CHECK(grid.Size() == size);
    FUZZ_CHECK(grid.Cells().size() == static_cast<size_t>(size) * static_cast<size_t>(size));
    if (!marked)
        for (float value : grid.Cells())
            FUZZ_CHECK(std::isfinite(value) && value != 0);
}

// Grids as the program compares them: a not-a-number equals a not-a-number.
bool SameGrid(const std::optional<DataGrid>& a, const std::optional<DataGrid>& b) {
    if (!a || !b)
        return a.has_value() == b.has_value();
    if (a->Size() != b->Size())
        return false;
    for (size_t k = 0; k < a->Cells().size(); ++k) {
        const float x = a->Cells()[k];
        const float y = b->Cells()[k];
        if (!(x == y || (std::isnan(x) && std::isnan(y))))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ByteReader in(data, size);
    const int32_t axis = AxisSize(in);
    const uint8_t shift = in.Byte();
    const std::string_view text = in.Rest();

    const Outcome<DataGrid> result = ParseDataText(text, axis);
    const bool marked = text.starts_with(kWrittenGridMark);
    // Blanks in front change nothing but a mark, which must come first.
    const std::string padded = std::string(64 * 1024 - shift % 64, ' ') + std::string(text);
    const Outcome<DataGrid> fromFile = ReadAsFile(padded, axis);
    const Outcome<DataGrid> expected = marked ? ParseDataText(padded, axis) : result;
    FUZZ_CHECK(SameGrid(fromFile.value, expected.value) && fromFile.message == expected.message);
    const bool validSize = axis >= DataGrid::kMinSize && axis <= DataGrid::kLargestSize;
    if (!result.value) {
        FUZZ_CHECK(!result.message.empty());
        FUZZ_CHECK(validSize ? result.message == kFormatMessage : result.message != kFormatMessage);
        return 0;
    }
    FUZZ_CHECK(validSize);
    FUZZ_CHECK(result.message.empty());
    CheckGrid(*result.value, axis, marked);

    const Outcome<DataGrid> again = ParseDataText(DataFileText(*result.value), axis);
    FUZZ_CHECK(SameGrid(again.value, result.value));
    return 0;
}
