// Writing quba-cli's outputs to any target a user can name: a file, a device
// such as /dev/null or /dev/stdout, a pipe or a FIFO.
#pragma once

#include <QByteArray>

#include <ostream>
#include <string>

namespace quba {

// Whether `path` can take an output, judged without creating or truncating
// anything: an existing target that is no folder and may be written, or a new
// name in a folder that may be written.
bool CanWriteOutput(const std::string& path);

// Writes the output of `--option` to `path`. A regular file is replaced whole
// or not at all; a target that is this process's standard output goes through
// `out`, in order with the rest of it; any other target is written straight
// through. A failed write is reported on `messages` naming the target; false
// then.
bool WriteOutput(const char* option, const std::string& path, const QByteArray& bytes,
                 std::ostream& out, std::ostream& messages);

} // namespace quba
