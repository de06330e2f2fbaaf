#include "data/data_file.h"

#include "core/decimal.h"

#include <array>
#include <charconv>
#include <cmath>
#include <fstream>
#include <limits>
#include <system_error>
#include <vector>

namespace quba {

namespace {

constexpr const char* kSizeMessage = "Size of axis must be from 2 to 1024";
constexpr size_t kChunkSize = 64 * 1024;
// No decimal number anyone writes is longer; a longer token is refused at
// once instead of being gathered without end.
constexpr size_t kLongestToken = 4096;
// The characters after a number that decide where it ends: an exponent mark,
// its sign and its first digit.
constexpr size_t kLookahead = 3;

// White space as the C library's scanf skips it, independent of the locale.
bool IsBlank(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\v' || ch == '\f' || ch == '\r';
}

// The 32-bit float of a decimal token, or nothing when it reads as 0 (an
// underflow included; unless `zeroAllowed`) or lies beyond the 32-bit range.
std::optional<float> TokenValue(std::string_view token, bool zeroAllowed) {
    // from_chars takes no leading plus sign.
    if (!token.empty() && token.front() == '+')
        token.remove_prefix(1);
    float value = 0;
    const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), value);
    if (error != std::errc{} || end != token.data() + token.size())
        return std::nullopt;
    if ((value == 0 && !zeroAllowed) || !std::isfinite(value))
        return std::nullopt;
    return value;
}

constexpr std::string_view kNotANumber = "nan";

// The length of the line that marks a file as one this program wrote, with
// its line end; 0 when the text does not begin with it.
size_t MarkLength(std::string_view text) {
    if (text.substr(0, kWrittenGridMark.size()) != kWrittenGridMark)
        return 0;
    const std::string_view end = text.substr(kWrittenGridMark.size());
    if (end.substr(0, 1) == "\n")
        return kWrittenGridMark.size() + 1;
    if (end.substr(0, 2) == "\r\n")
        return kWrittenGridMark.size() + 2;
    return 0;
}

// Collects the first size x size values of a text that may arrive in pieces.
// Like scanf("%f\t"), a read skips white space and starts right after the
// previous number, so text glued to a number makes the next read fail.
class ValueReader {
public:
    explicit ValueReader(int32_t size)
        : size_(size), wanted_(static_cast<size_t>(size) * static_cast<size_t>(size)) {
        values_.reserve(wanted_);
    }

    // A file this program wrote: its zeros and "nan" are values.
    void TakeWrittenValues() { written_ = true; }

    // Reads values from `text` until enough are there or the text ends, and
    // returns how much of it was read; npos at a token that is refused. When
    // more text may follow (`last` false), a token that ends within
    // kLookahead characters of the end is left for the next read: what
    // follows could still continue it ("1e" and "5").
    size_t Read(std::string_view text, bool last) {
        size_t pos = 0;
        while (!Complete()) {
            while (pos < text.size() && IsBlank(text[pos]))
                ++pos;
            if (pos == text.size())
                return pos;
            if (written_ && text.substr(pos, kNotANumber.size()) == kNotANumber &&
                (text.size() - pos == kNotANumber.size() ||
                 IsBlank(text[pos + kNotANumber.size()]))) {
                values_.push_back(std::numeric_limits<float>::quiet_NaN());
                pos += kNotANumber.size();
                continue;
            }
            const size_t length = DecimalPrefixLength(text.substr(pos));
            // Near the end, what follows may still make a number of it ("-"
            // and "2.5").
            if (!last && text.size() - pos - length < kLookahead)
                return pos;
            if (length == 0 || length > kLongestToken)
                return std::string_view::npos;
            const std::optional<float> value = TokenValue(text.substr(pos, length), written_);
            if (!value)
                return std::string_view::npos;
            values_.push_back(*value);
            pos += length;
        }
        return pos;
    }

    [[nodiscard]] bool Complete() const { return values_.size() == wanted_; }

    [[nodiscard]] DataGrid Grid() const {
        DataGrid grid(size_);
        for (int32_t r = 0; r < size_; ++r)
            for (int32_t c = 0; c < size_; ++c)
                grid.At(r, c) = values_[static_cast<size_t>(r) * static_cast<size_t>(size_) +
                                        static_cast<size_t>(c)];
        return grid;
    }

private:
    int32_t size_;
    size_t wanted_;
    bool written_ = false;
    std::vector<float> values_;
};

Outcome<DataGrid> Refused(const std::string& message) {
    return {std::nullopt, message};
}

bool ValidSize(int32_t size) {
    return size >= DataGrid::kMinSize && size <= DataGrid::kLargestSize;
}

enum class StreamVerdict { Accepted, Refused, TooLarge };

// Feeds the file to the reader piece by piece, so that only as much of it is
// read as the grid needs; each byte is read once, and what a read leaves (a
// number that may continue) waits for the next piece.
StreamVerdict ReadStream(std::istream& in, ValueReader& reader) {
    std::array<char, kChunkSize> chunk{};
    std::string pending;
    uint64_t total = 0;
    while (!reader.Complete()) {
        in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        const auto got = static_cast<size_t>(in.gcount());
        if (got == 0)
            break;
        total += got;
        if (total > kLargestDataFile)
            return StreamVerdict::TooLarge;
        pending.append(chunk.data(), got);
        if (total == got) {
            const size_t mark = MarkLength(pending);
            if (mark > 0) {
                reader.TakeWrittenValues();
                pending.erase(0, mark);
            }
        }
        const size_t read = reader.Read(pending, false);
        if (read == std::string_view::npos)
            return StreamVerdict::Refused;
        pending.erase(0, read);
        // What a complete grid leaves is never read; a number that may still
        // continue is at most this long.
        if (!reader.Complete() && pending.size() > kLongestToken + kLookahead)
            return StreamVerdict::Refused;
    }
    return reader.Read(pending, true) == std::string_view::npos ? StreamVerdict::Refused
                                                                : StreamVerdict::Accepted;
}

void AppendValue(std::string& text, float value) {
    // Whatever its sign bit, a not-a-number (a failed cell of an output) is "nan".
    if (std::isnan(value)) {
        text += "nan";
        return;
    }
    // Shortest form that reads back as the same float: "0.1", "-3.5", "1e-05".
    std::array<char, 32> buffer{};
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    (void)error; // 32 characters hold any float
    text.append(buffer.data(), end);
}

} // namespace

Outcome<DataGrid> ParseDataText(std::string_view text, int32_t size) {
    if (!ValidSize(size))
        return Refused(kSizeMessage);
    ValueReader reader(size);
    const size_t mark = MarkLength(text);
    if (mark > 0)
        reader.TakeWrittenValues();
    if (reader.Read(text.substr(mark), true) == std::string_view::npos || !reader.Complete())
        return Refused(kFormatMessage);
    return {reader.Grid(), {}};
}

Outcome<DataGrid> ReadDataFile(const std::string& path, int32_t size) {
    if (!ValidSize(size))
        return Refused(kSizeMessage);
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return Refused("Cannot open file " + path);
    ValueReader reader(size);
    const StreamVerdict verdict = ReadStream(in, reader);
    // A folder opens on some systems but cannot be read.
    if (in.bad())
        return Refused("Cannot open file " + path);
    if (verdict == StreamVerdict::TooLarge)
        return Refused("Cannot read file " + path + ": its numbers do not end within " +
                       std::to_string(kLargestDataFile >> 20) + " MiB");
    if (verdict == StreamVerdict::Refused || !reader.Complete())
        return Refused(kFormatMessage);
    return {reader.Grid(), {}};
}

std::string DataFileText(const DataGrid& grid) {
    std::string text = std::string(kWrittenGridMark) + "\n";
    for (int32_t r = 0; r < grid.Size(); ++r) {
        for (int32_t c = 0; c < grid.Size(); ++c) {
            if (c > 0)
                text += '\t';
            AppendValue(text, grid.At(r, c));
        }
        text += '\n';
    }
    return text;
}

} // namespace quba
