// Reading a whole input file with a cap on its size, through ordinary
// buffered reads of the name's own bytes: a file that never ends (a device, a
// pipe) costs no more than the cap, and one that is cut short while it is
// read gives fewer bytes instead of stopping the program.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace quba {

struct FileBytes {
    enum class Failure { None, CannotOpen, TooLarge, Unwanted };
    std::string bytes;
    Failure failure = Failure::None;

    [[nodiscard]] bool Read() const { return failure == Failure::None; }
};

// How much of a file is looked at before the rest is read.
inline constexpr uint64_t kFileStart = 64 * 1024;

// Judges the start of a file (its first kFileStart bytes, or all of a
// shorter file); false stops the read as Unwanted.
using StartCheck = std::function<bool(std::string_view start)>;

// The bytes of the file at `path` (the bytes of its name as the user gave
// them), refused as TooLarge as soon as more than `limit` bytes would be
// read. Running out of memory throws std::bad_alloc.
FileBytes ReadFileBytes(const std::string& path, uint64_t limit, const StartCheck& start = {});
// At most the first `count` bytes of the file; never TooLarge.
FileBytes ReadFileStart(const std::string& path, uint64_t count);

} // namespace quba
