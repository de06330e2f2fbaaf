#include "picture/decoder_messages.h"

#include <QLoggingCategory>
#include <QString>
#include <QtGlobal>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace quba {

namespace {

constexpr const char* kQuietRules = "qt.gui.imageio*=false";
constexpr size_t kLongestRemark = 300;
constexpr off_t kMostRead = 64 * 1024;

// Qt's warnings during a decode, written where standard error goes now.
void WriteToStandardError(QtMsgType, const QMessageLogContext&, const QString& message) {
    const QByteArray line = message.toUtf8() + '\n';
    (void)!write(STDERR_FILENO, line.constData(), static_cast<size_t>(line.size()));
}

std::string Lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

} // namespace

DecoderMessages::DecoderMessages() {
    std::fflush(stderr);
    capture_ = memfd_create("quba-decoder-messages", MFD_CLOEXEC);
    savedError_ = capture_ >= 0 ? fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3) : -1;
    if (savedError_ < 0 || dup2(capture_, STDERR_FILENO) < 0) {
        // Without a capture the readers speak on standard error as before.
        if (savedError_ >= 0)
            close(savedError_);
        if (capture_ >= 0)
            close(capture_);
        savedError_ = capture_ = -1;
        return;
    }
    QLoggingCategory::setFilterRules(QStringLiteral("qt.gui.imageio*=true"));
    previousHandler_ = qInstallMessageHandler(WriteToStandardError);
}

DecoderMessages::~DecoderMessages() {
    if (capture_ < 0)
        return;
    qInstallMessageHandler(previousHandler_);
    QLoggingCategory::setFilterRules(QString::fromLatin1(kQuietRules));
    std::fflush(stderr);
    dup2(savedError_, STDERR_FILENO);
    close(savedError_);
    close(capture_);
}

std::vector<std::string> DecoderMessages::Lines() const {
    std::vector<std::string> lines;
    if (capture_ < 0)
        return lines;
    std::fflush(stderr);
    std::string text;
    char piece[4096];
    for (off_t at = 0; at < kMostRead;) {
        const ssize_t got = pread(capture_, piece, sizeof piece, at);
        if (got <= 0)
            break;
        text.append(piece, static_cast<size_t>(got));
        at += got;
    }
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back())))
            line.pop_back();
        if (!line.empty() && std::find(lines.begin(), lines.end(), line) == lines.end())
            lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

bool AnyLineSays(const std::vector<std::string>& lines, const std::string& part) {
    const std::string wanted = Lowered(part);
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
        return Lowered(line).find(wanted) != std::string::npos;
    });
}

std::string Remark(const std::vector<std::string>& lines) {
    if (lines.empty())
        return {};
    std::string joined;
    for (const std::string& line : lines)
        joined += (joined.empty() ? "" : "; ") + line;
    if (joined.size() > kLongestRemark)
        joined = joined.substr(0, kLongestRemark) + "...";
    return " (" + joined + ")";
}

} // namespace quba
