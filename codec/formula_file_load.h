// A formula file read from disk with a bounded cost, and the one line that
// sums one up; for quba-cli's --open-formula and the desktop program's
// "Open compressed formula...".
#pragma once

#include "codec/formula_file.h"
#include "core/outcome.h"

#include <cstdint>
#include <string>

namespace quba {

struct LoadedFormulaFile {
    FormulaFile file;
    int64_t bytes = 0; // the file's size
};

// The file at `path`; a message names the file and says why it cannot be
// read otherwise.
Outcome<LoadedFormulaFile> LoadFormulaFile(const std::string& path);

// One line on a file: its grid, blocks, stages and bytes.
std::string FormulaFileSummary(const FormulaFile& file, int64_t bytes);

} // namespace quba
