#include "ui/folder_setting.h"

#include <QDir>
#include <QSettings>

namespace quba {

namespace {

// The store is opened at each access, so that every read sees what the last
// write left, whoever made it.
QSettings OpenStore() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, kSettingsOrganisation,
                     kSettingsApplication);
}

} // namespace

QString DefaultDataFolder() {
#ifdef Q_OS_WIN
    return QStringLiteral("C:\\");
#else
    return QDir::homePath();
#endif
}

QString ReadDataFolder() {
    return OpenStore().value(kFolderSettingKey, DefaultDataFolder()).toString();
}

void WriteDataFolder(const QString& folder) {
    QSettings store = OpenStore();
    store.setValue(kFolderSettingKey, folder);
    store.sync();
}

} // namespace quba
