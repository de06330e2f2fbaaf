#include "cli/output_file.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QString>

#include <sys/stat.h>
#include <unistd.h>

namespace quba {

namespace {

// A save file works through a temporary file renamed over the target, which
// must never happen to a device, a pipe, or the file behind a link.
bool ReplacesWhole(const QFileInfo& target) {
    return !target.exists() || (target.isFile() && !target.isSymLink());
}

bool WriteAll(QIODevice& device, const QByteArray& bytes) {
    return device.write(bytes) == bytes.size();
}

// Whether `path` is the file this process's standard output goes to:
// /dev/stdout, or the file that output is redirected into.
bool IsStandardOutput(const std::string& path) {
    struct stat target {};
    struct stat standardOutput {};
    return stat(path.c_str(), &target) == 0 && fstat(STDOUT_FILENO, &standardOutput) == 0 &&
           target.st_dev == standardOutput.st_dev && target.st_ino == standardOutput.st_ino;
}

bool WriteFile(const std::string& path, const QByteArray& bytes) {
    const QString name = QString::fromStdString(path);
    if (ReplacesWhole(QFileInfo(name))) {
        QSaveFile file(name);
        return file.open(QIODevice::WriteOnly) && WriteAll(file, bytes) && file.commit();
    }
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    const bool written = WriteAll(file, bytes);
    file.close();
    return written && file.error() == QFileDevice::NoError;
}

} // namespace

bool CanWriteOutput(const std::string& path) {
    if (path.empty())
        return false;
    const QFileInfo target(QString::fromStdString(path));
    if (target.exists())
        return !target.isDir() && target.isWritable();
    const QFileInfo folder(target.absolutePath());
    return folder.isDir() && folder.isWritable();
}

bool WriteOutput(const char* option, const std::string& path, const QByteArray& bytes,
                 std::ostream& out, std::ostream& messages) {
    bool written = false;
    if (IsStandardOutput(path)) {
        out.write(bytes.constData(), bytes.size());
        written = static_cast<bool>(out.flush());
    } else {
        written = WriteFile(path, bytes);
    }
    if (!written)
        messages << "--" << option << ": writing '" << path << "' failed\n";
    return written;
}

} // namespace quba
