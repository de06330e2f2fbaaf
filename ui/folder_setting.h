// The one setting kept from one use of the program to the next: the folder in
// which the data-file dialog starts. It lives in the per-user settings store,
// organisation "QUBA", application "Regression", group "DIRECTORY", key "INIT".
#pragma once

#include <QString>

namespace quba {

inline constexpr const char* kSettingsOrganisation = "QUBA";
inline constexpr const char* kSettingsApplication = "Regression";
inline constexpr const char* kFolderSettingKey = "DIRECTORY/INIT";

// Where the dialog starts when nothing is kept yet: "C:\" on Windows, the
// user's home folder elsewhere.
QString DefaultDataFolder();
// The kept folder, or the default when there is none.
QString ReadDataFolder();
// Keeps `folder` for the next start.
void WriteDataFolder(const QString& folder);

} // namespace quba
