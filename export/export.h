// Programs written out as code, one printer per target, each walking the
// program through the primitive table. Constants are written with their
// exact 32-bit values, never their display names.
#pragma once

#include "codec/formula_file.h"
#include "engine/best_program.h"

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quba {

enum class ExportFormat { C, Python, Glsl, Latex };

// Every export format, for quba-cli's --export and the Export dialog.
struct ExportFormatRow {
    ExportFormat format;
    const char* name;      // quba-cli's: "c", "python", "glsl", "latex"
    const char* label;     // the Export dialog's
    const char* extension; // of the file the dialog proposes
    const char* filter;    // the file dialog's
};
inline constexpr std::array<ExportFormatRow, 4> kExportFormats = {{
    {ExportFormat::C, "c", "C", ".c", "C source (*.c)"},
    {ExportFormat::Python, "python", "Python", ".py", "Python (*.py)"},
    {ExportFormat::Glsl, "glsl", "GLSL", ".frag", "Fragment shaders (*.frag *.glsl)"},
    {ExportFormat::Latex, "latex", "LaTeX", ".tex", "LaTeX (*.tex)"},
}};

std::optional<ExportFormat> ExportFormatByName(std::string_view name);
const char* ExportFormatName(ExportFormat format);

// One program of an export and the name of its function ("C_1", "C_1_L17"),
// which each printer makes into an identifier of its target.
struct ExportItem {
    std::string name;
    BestProgram program;
};

// Each population's best program, named output name, "_" and the population
// number ("C_1"); populations that have none are left out.
std::vector<ExportItem> BestProgramItems(const std::string& outputName,
                                         std::span<const std::optional<BestProgram>> best);

// Every member of every population's front, named output name, "_", the
// population number, "_L" and the length ("C_1_L17").
std::vector<ExportItem> FrontItems(const std::string& outputName,
                                   std::span<const std::vector<BestProgram>> fronts);

// The whole file: a function per item, each after a comment header with the
// program text, population, seed, training and validation error and length.
std::string ExportText(ExportFormat format, const std::vector<ExportItem>& items);

// A formula file's formulas: a file of one block and one stage as its
// program; any other as a function for each block's stages over the block's
// own coordinates, and in C and Python also the whole grid as one function
// of a cell's row and column, which adds each block's stages in float.
std::string ExportFileText(ExportFormat format, const FormulaFile& file,
                           const std::string& outputName);

// The identifier a printer makes of a function's name.
std::string CFunctionName(const std::string& name);
std::string PythonFunctionName(const std::string& name);

// The same, one printer each.
std::string ExportC(const std::vector<ExportItem>& items);
std::string ExportPython(const std::vector<ExportItem>& items);
std::string ExportGlsl(const std::vector<ExportItem>& items);
std::string ExportLatex(const std::vector<ExportItem>& items);

} // namespace quba
