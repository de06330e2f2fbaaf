#include "ui/save_formats.h"

#include <QSaveFile>

namespace quba {

std::vector<SaveFormat> SaveFormats(const char* pictureLabel, bool withDataFile) {
    std::vector<SaveFormat> formats;
    for (const ExportFormatRow& entry : kExportFormats)
        formats.push_back({entry.label, entry.format, entry.extension, entry.filter});
    formats.push_back({pictureLabel, std::nullopt, ".png", "PNG pictures (*.png)"});
    if (withDataFile)
        formats.push_back(
            {"Data file (the decoded grid)", std::nullopt, ".txt", "Data files (*.txt)", true});
    return formats;
}

std::optional<QString> WriteWholeFile(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return std::nullopt;
    return file.errorString();
}

} // namespace quba
