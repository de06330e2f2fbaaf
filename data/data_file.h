// Reading data files and the text they are written as: n x n decimal numbers, row after row.
#pragma once

#include "core/grid.h"
#include "core/outcome.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quba {

inline constexpr const char* kFormatMessage =
    "Illegal file format!\n"
    "Maybe the number of the data is not enough,\n"
    "or the data are not separated by tab and return properly!!";

// The most of a data file that is read: 64 bytes for every value of the
// largest grid, more than any file the program writes needs.
inline constexpr uint64_t kLargestDataFile = uint64_t{64} << 20;

// The first size x size numbers of the text as a grid of that size. Refused
// with kFormatMessage: too few numbers, a token that is no decimal number or
// longer than 4096 characters, a value that reads as 0, or one that is not a
// finite 32-bit float.
Outcome<DataGrid> ParseDataText(std::string_view text, int32_t size);
// The same for a file, read only as far as the grid needs; a file that
// cannot be opened gives "Cannot open file" and its name, and one whose
// numbers do not end within kLargestDataFile bytes is refused saying so.
Outcome<DataGrid> ReadDataFile(const std::string& path, int32_t size);

// The first line of every grid this program writes. A file that begins with
// it may hold zeros and "nan" (a failed cell of a program's output), so that
// it reads back as the grid it was written from; any other file keeps the
// rule that refuses them.
inline constexpr std::string_view kWrittenGridMark = "QUBA grid";

// The mark's line, then one row a line, values separated by tabs, each
// written so that it reads back as the same 32-bit float.
std::string DataFileText(const DataGrid& grid);

} // namespace quba
