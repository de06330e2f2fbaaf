// Writing quba-cli's outputs to any target a user can name: a file, a device
// such as /dev/null or /dev/stdout, a pipe or a FIFO, or "-" for standard
// output. Names are the bytes the user gave, whatever their encoding.
#pragma once

#include <QByteArray>

#include <ostream>
#include <string>
#include <vector>

namespace quba {

// Whether `path` is "-" or names the file this process's standard output
// goes to (/dev/stdout, or the file it is redirected into).
bool IsStandardOutput(const std::string& path);

// Why `path` cannot take an output, judged without creating or truncating
// anything; empty when it can: an existing target that is no folder and may
// be written, or a new name, short enough, in a folder that may be written.
std::string OutputProblem(const std::string& path);

// One output of a run: the option that names it and the name.
struct NamedOutput {
    std::string option; // without the dashes
    std::string path;
};

// The first clash among the outputs: two naming one file (through links and
// hard links too), or two going to standard output; empty when there is none.
// Devices other than standard output (/dev/null) may take several outputs.
std::string OutputClash(const std::vector<NamedOutput>& outputs);

// Writes the output of `--option` to `path`. A regular file is replaced whole
// or not at all where its folder lets a temporary file be made beside it,
// and written in place where it does not; standard output is written through
// `out`, in order with the rest of it; any other target is written straight
// through. A failed write is reported on `messages` naming the target; false
// then.
bool WriteOutput(const char* option, const std::string& path, const QByteArray& bytes,
                 std::ostream& out, std::ostream& messages);

} // namespace quba
