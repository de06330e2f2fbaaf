// The export tests' helpers: a folder of their own, files, the outside tools
// run in it, and random programs made into export items.
#pragma once

#include "export/export.h"
#include "tests/engine/test_support.h"

#include <filesystem>
#include <string>
#include <vector>

namespace quba {

class ToolFolder {
public:
    ToolFolder();
    ~ToolFolder();
    ToolFolder(const ToolFolder&) = delete;
    ToolFolder& operator=(const ToolFolder&) = delete;

    [[nodiscard]] std::filesystem::path Path(const std::string& name) const { return path_ / name; }
    void Write(const std::string& name, const std::string& text) const;

private:
    std::filesystem::path path_;
};

struct ToolResult {
    int status = -1;
    std::string output; // standard output and standard error
};
// Runs a tool (its path from the build) with the arguments, each passed as it is.
ToolResult RunTool(const std::string& tool, const std::vector<std::string>& arguments);

// `count` random programs of the problem as items named F_1, F_2, ...
std::vector<ExportItem> RandomItems(const ScopedProblem& scope, int count, int32_t maxLength,
                                    unsigned seed);

// A problem of every function whose constants lie in [1e19, 3e19], and
// programs that meet each protected rule at its edge: zero divisors, a
// not-a-number divisor or comparison, magnitudes beyond the integer range,
// trigonometry beyond 2^52, a taken branch beyond the float range.
ProblemValues EdgeValues();
std::vector<ExportItem> EdgeItems(const ScopedProblem& scope);

// The 32 bits of a float, and the float of 32 bits.
uint32_t BitsOf(float value);
float FloatOfBits(uint32_t bits);

} // namespace quba
