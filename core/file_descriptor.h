// An open POSIX file descriptor, closed when it goes out of scope.
#pragma once

#include <unistd.h>

namespace quba {

class FileDescriptor {
public:
    // Takes `fd`, which may be -1 for a failed open.
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0)
            close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    [[nodiscard]] int Get() const { return fd_; }
    // Closes now, so that a failure to flush is seen.
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return close(fd) == 0;
    }

private:
    int fd_;
};

} // namespace quba
