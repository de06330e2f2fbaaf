// What the image readers and the libraries under them say while a picture is
// decoded: Qt's own warnings and the lines libpng and libtiff print on
// standard error. They are caught for the length of one decode, so that a
// refused picture can say them in its one message and nothing else reaches
// the terminal.
#pragma once

#include <QtGlobal>

#include <string>
#include <vector>

namespace quba {

// Redirects standard error into a file in memory and the readers' Qt warnings
// there too, until destroyed. One at a time: the redirection is the
// process's.
class DecoderMessages {
public:
    DecoderMessages();
    ~DecoderMessages();
    DecoderMessages(const DecoderMessages&) = delete;
    DecoderMessages& operator=(const DecoderMessages&) = delete;

    // The distinct lines said so far, in order (from the first 64 KiB).
    [[nodiscard]] std::vector<std::string> Lines() const;

private:
    int savedError_ = -1;
    int capture_ = -1;
    QtMessageHandler previousHandler_ = nullptr;
};

// Whether any line contains `part`, ignoring case.
bool AnyLineSays(const std::vector<std::string>& lines, const std::string& part);

// The lines as one parenthesised remark for a message, " (a; b)", at most
// about 300 characters; empty without lines.
std::string Remark(const std::vector<std::string>& lines);

} // namespace quba
