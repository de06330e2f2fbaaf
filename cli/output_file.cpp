#include "cli/output_file.h"

#include "core/file_descriptor.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace quba {

namespace {

// The folder part and the last part of a name.
struct SplitName {
    std::string folder;
    std::string last;
};

SplitName Split(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return {".", path};
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

bool WriteAll(int fd, const QByteArray& bytes) {
    const char* at = bytes.constData();
    size_t left = static_cast<size_t>(bytes.size());
    while (left > 0) {
        const ssize_t done = write(fd, at, left);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return false;
        at += done;
        left -= static_cast<size_t>(done);
    }
    return true;
}

mode_t NewFileMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

bool WriteInPlace(const std::string& path, const QByteArray& bytes) {
    FileDescriptor file(open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    return file.Get() >= 0 && WriteAll(file.Get(), bytes) && file.Close();
}

// A temporary file beside the target, renamed over it once written; in place
// when the folder refuses the temporary file (a writable file in a folder
// that is not). The temporary name is short whatever the target's length.
bool ReplaceWhole(const std::string& path, const QByteArray& bytes, const struct stat* existing) {
    std::string temporary = Split(path).folder + "/.quba-XXXXXX";
    FileDescriptor file(mkostemp(temporary.data(), O_CLOEXEC));
    if (file.Get() < 0)
        return WriteInPlace(path, bytes);
    const mode_t mode = existing != nullptr ? existing->st_mode & 07777 : NewFileMode();
    const bool written = fchmod(file.Get(), mode) == 0 && WriteAll(file.Get(), bytes) &&
                         file.Close() && rename(temporary.c_str(), path.c_str()) == 0;
    if (!written)
        unlink(temporary.c_str());
    return written;
}

bool WriteFile(const std::string& path, const QByteArray& bytes) {
    struct stat target {};
    if (lstat(path.c_str(), &target) != 0)
        return errno == ENOENT && ReplaceWhole(path, bytes, nullptr);
    // A device, a pipe or the file behind a link is written through, never
    // replaced.
    if (S_ISREG(target.st_mode))
        return ReplaceWhole(path, bytes, &target);
    return WriteInPlace(path, bytes);
}

// What two names of outputs have to share to be one target.
struct Identity {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    std::string name;       // the canonical name, for a file still to be made
    bool shareable = false; // a device that may take several outputs

    bool operator==(const Identity& other) const {
        if (exists != other.exists)
            return false;
        return exists ? device == other.device && inode == other.inode : name == other.name;
    }
};

Identity IdentityOf(const std::string& path) {
    Identity identity;
    struct stat target {};
    if (stat(path.c_str(), &target) == 0) {
        identity.exists = true;
        identity.device = target.st_dev;
        identity.inode = target.st_ino;
        identity.shareable = S_ISCHR(target.st_mode);
        return identity;
    }
    const SplitName split = Split(path);
    const std::unique_ptr<char, decltype(&std::free)> folder(
        realpath(split.folder.c_str(), nullptr), &std::free);
    identity.name = (folder ? std::string(folder.get()) : split.folder) + "/" + split.last;
    return identity;
}

} // namespace

bool IsStandardOutput(const std::string& path) {
    if (path == "-")
        return true;
    struct stat target {};
    struct stat standardOutput {};
    return stat(path.c_str(), &target) == 0 && fstat(STDOUT_FILENO, &standardOutput) == 0 &&
           target.st_dev == standardOutput.st_dev && target.st_ino == standardOutput.st_ino;
}

std::string OutputProblem(const std::string& path) {
    if (path.empty())
        return "needs a file name";
    if (path == "-")
        return {};
    struct stat target {};
    if (stat(path.c_str(), &target) == 0) {
        if (S_ISDIR(target.st_mode))
            return "'" + path + "' is a folder";
        return access(path.c_str(), W_OK) == 0 ? std::string() : "cannot write to '" + path + "'";
    }
    const SplitName split = Split(path);
    struct stat folder {};
    if (stat(split.folder.c_str(), &folder) != 0 || !S_ISDIR(folder.st_mode))
        return "cannot write to '" + path + "': no folder '" + split.folder + "'";
    const long longest = pathconf(split.folder.c_str(), _PC_NAME_MAX);
    if (split.last.empty() || (longest > 0 && split.last.size() > static_cast<size_t>(longest)))
        return "cannot write to '" + path + "': the name is longer than the folder allows";
    if (access(split.folder.c_str(), W_OK | X_OK) != 0)
        return "cannot write to '" + path + "': the folder may not be written";
    return {};
}

std::string OutputClash(const std::vector<NamedOutput>& outputs) {
    for (size_t i = 0; i < outputs.size(); ++i) {
        const bool first = IsStandardOutput(outputs[i].path);
        const Identity one = IdentityOf(outputs[i].path);
        for (size_t j = i + 1; j < outputs.size(); ++j) {
            const bool second = IsStandardOutput(outputs[j].path);
            const std::string both = "--" + outputs[j].option + ": ";
            if (first && second)
                return both + "standard output already takes --" + outputs[i].option;
            if (first || second || one.shareable)
                continue;
            if (one == IdentityOf(outputs[j].path))
                return both + "'" + outputs[j].path + "' is the file --" + outputs[i].option +
                       " writes ('" + outputs[i].path + "')";
        }
    }
    return {};
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
