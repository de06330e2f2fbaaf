#include "core/file_bytes.h"

#include "core/file_descriptor.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace quba {

namespace {

constexpr size_t kPiece = size_t{1} << 20;

// Fills `into` from `from` on up to its size, or fewer bytes at the end of
// the file, and cuts it to what was read; false on a read error.
bool ReadInto(int fd, std::string& into, size_t from = 0) {
    size_t used = from;
    while (used < into.size()) {
        const ssize_t got = read(fd, into.data() + used, into.size() - used);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            break;
        used += static_cast<size_t>(got);
    }
    into.resize(used);
    return true;
}

FileBytes Failed(FileBytes::Failure failure) {
    FileBytes result;
    result.failure = failure;
    return result;
}

// The rest of a file after `read`, in pieces, so that a stream of unknown
// length costs no more memory than it delivered; joined once it has ended.
FileBytes ReadRest(int fd, uint64_t limit, std::string read) {
    uint64_t total = read.size();
    if (total > limit)
        return Failed(FileBytes::Failure::TooLarge);
    std::vector<std::string> pieces;
    pieces.push_back(std::move(read));
    for (;;) {
        std::string piece(static_cast<size_t>(std::min<uint64_t>(kPiece, limit + 1 - total)), '\0');
        if (!ReadInto(fd, piece))
            return Failed(FileBytes::Failure::CannotOpen);
        if (piece.empty())
            break;
        total += piece.size();
        if (total > limit)
            return Failed(FileBytes::Failure::TooLarge);
        pieces.push_back(std::move(piece));
    }
    if (pieces.size() == 1)
        return {std::move(pieces.front())};
    FileBytes whole;
    whole.bytes.reserve(static_cast<size_t>(total));
    for (std::string& piece : pieces) {
        whole.bytes += piece;
        piece = std::string();
    }
    return whole;
}

} // namespace

FileBytes ReadFileBytes(const std::string& path, uint64_t limit, const StartCheck& start) {
    const FileDescriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat status {};
    if (file.Get() < 0 || fstat(file.Get(), &status) != 0 || S_ISDIR(status.st_mode))
        return Failed(FileBytes::Failure::CannotOpen);
    if (S_ISREG(status.st_mode) && static_cast<uint64_t>(status.st_size) > limit)
        return Failed(FileBytes::Failure::TooLarge);
    std::string first(static_cast<size_t>(std::min<uint64_t>(kFileStart, limit + 1)), '\0');
    if (!ReadInto(file.Get(), first))
        return Failed(FileBytes::Failure::CannotOpen);
    if (first.size() > limit)
        return Failed(FileBytes::Failure::TooLarge);
    if (start && !start(first))
        return Failed(FileBytes::Failure::Unwanted);
    if (first.size() < kFileStart)
        return {std::move(first)};
    const auto size = static_cast<size_t>(status.st_size);
    if (S_ISREG(status.st_mode) && size >= first.size()) {
        // The size is known: read into place, one byte more telling whether
        // the file grew meanwhile.
        const size_t read = first.size();
        first.resize(size + 1);
        if (!ReadInto(file.Get(), first, read))
            return Failed(FileBytes::Failure::CannotOpen);
        if (first.size() <= size)
            return {std::move(first)};
    }
    return ReadRest(file.Get(), limit, std::move(first));
}

FileBytes ReadFileStart(const std::string& path, uint64_t count) {
    const FileDescriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat status {};
    if (file.Get() < 0 || fstat(file.Get(), &status) != 0 || S_ISDIR(status.st_mode))
        return Failed(FileBytes::Failure::CannotOpen);
    FileBytes result;
    result.bytes.resize(static_cast<size_t>(count));
    if (!ReadInto(file.Get(), result.bytes))
        return Failed(FileBytes::Failure::CannotOpen);
    return result;
}

} // namespace quba
