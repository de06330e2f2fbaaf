// What the desktop program's Save buttons write formulas as: code in every
// export format, a picture, and where a decoded grid is at hand the grid as
// a data file; and how they write a file.
#pragma once

#include "export/export.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace quba {

struct SaveFormat {
    const char* label;
    std::optional<ExportFormat> format; // none for a picture or a data file
    const char* extension;
    const char* filter;
    bool dataFile = false;
};

// The code formats in export-table order, then the picture, then the data
// file when asked for.
std::vector<SaveFormat> SaveFormats(const char* pictureLabel, bool withDataFile);

// Writes `bytes` to `path`, replacing the file only once all of it is
// written; the reason when that fails.
std::optional<QString> WriteWholeFile(const QString& path, const QByteArray& bytes);

} // namespace quba
