#include "export/export.h"

#include <utility>

namespace quba {

std::optional<ExportFormat> ExportFormatByName(std::string_view name) {
    for (const ExportFormatRow& entry : kExportFormats)
        if (name == entry.name)
            return entry.format;
    return std::nullopt;
}

const char* ExportFormatName(ExportFormat format) {
    for (const ExportFormatRow& entry : kExportFormats)
        if (entry.format == format)
            return entry.name;
    return "";
}

std::vector<ExportItem> BestProgramItems(const std::string& outputName,
                                         std::span<const std::optional<BestProgram>> best) {
    std::vector<ExportItem> items;
    for (size_t i = 0; i < best.size(); ++i)
        if (best[i])
            items.push_back({outputName + "_" + std::to_string(i + 1), *best[i]});
    return items;
}

std::vector<ExportItem> FrontItems(const std::string& outputName,
                                   std::span<const std::vector<BestProgram>> fronts) {
    std::vector<ExportItem> items;
    for (size_t i = 0; i < fronts.size(); ++i)
        for (const BestProgram& member : fronts[i])
            items.push_back({outputName + "_" + std::to_string(i + 1) + "_L" +
                                 std::to_string(member.nodes.size()),
                             member});
    return items;
}

std::string ExportText(ExportFormat format, const std::vector<ExportItem>& items) {
    switch (format) {
    case ExportFormat::C:
        return ExportC(items);
    case ExportFormat::Python:
        return ExportPython(items);
    case ExportFormat::Glsl:
        return ExportGlsl(items);
    case ExportFormat::Latex:
        return ExportLatex(items);
    }
    return {};
}

} // namespace quba
