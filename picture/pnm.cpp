#include "picture/pnm.h"

#include <cctype>

namespace quba {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Skips blanks and "#" comments, which run to the end of their line.
void SkipSeparators(std::string_view bytes, size_t& at) {
    while (at < bytes.size()) {
        if (IsBlank(bytes[at])) {
            ++at;
        } else if (bytes[at] == '#') {
            while (at < bytes.size() && bytes[at] != '\n' && bytes[at] != '\r')
                ++at;
        } else {
            return;
        }
    }
}

// A decimal number of at most 10 digits; none when there is no digit.
std::optional<int64_t> ReadNumber(std::string_view bytes, size_t& at) {
    SkipSeparators(bytes, at);
    int64_t value = 0;
    int digits = 0;
    while (at < bytes.size() && std::isdigit(static_cast<unsigned char>(bytes[at])) &&
           digits < 10) {
        value = value * 10 + (bytes[at] - '0');
        ++at;
        ++digits;
    }
    if (digits == 0 || (at < bytes.size() && std::isdigit(static_cast<unsigned char>(bytes[at]))))
        return std::nullopt;
    return value;
}

} // namespace

std::optional<PnmHeader> ReadPnmHeader(std::string_view bytes) {
    if (bytes.size() < 3 || bytes[0] != 'P')
        return std::nullopt;
    PnmHeader header;
    header.kind = bytes[1];
    if (header.kind != '2' && header.kind != '3' && header.kind != '5' && header.kind != '6')
        return std::nullopt;
    if (!IsBlank(bytes[2]) && bytes[2] != '#')
        return std::nullopt;
    size_t at = 2;
    const auto width = ReadNumber(bytes, at);
    const auto height = ReadNumber(bytes, at);
    const auto maxValue = ReadNumber(bytes, at);
    if (!width || !height || !maxValue || *maxValue < 1 || *maxValue > 65535)
        return std::nullopt;
    header.width = *width;
    header.height = *height;
    header.maxValue = static_cast<int32_t>(*maxValue);
    // One blank ends the header; a binary file's samples may start with any byte.
    if (at >= bytes.size() || !IsBlank(bytes[at]))
        return std::nullopt;
    header.dataOffset = at + 1;
    return header;
}

bool PnmHeader::FitsIn(size_t fileSize) const {
    if (dataOffset > fileSize)
        return false;
    const auto available = static_cast<int64_t>(fileSize - dataOffset);
    const int64_t count = width * height * Channels();
    return Binary() ? available / BytesPerSample() >= count : available >= 2 * count - 1;
}

std::optional<PnmPicture> ReadPnmSamples(std::string_view bytes, const PnmHeader& header,
                                         std::string& error) {
    PnmPicture picture;
    picture.width = static_cast<int32_t>(header.width);
    picture.height = static_cast<int32_t>(header.height);
    picture.channels = header.Channels();
    picture.maxValue = header.maxValue;
    picture.bytesPerSample = static_cast<int32_t>(header.BytesPerSample());
    const size_t count = static_cast<size_t>(header.width) * static_cast<size_t>(header.height) *
                         static_cast<size_t>(picture.channels);
    if (!header.FitsIn(bytes.size())) {
        error = "the picture's data end early";
        return std::nullopt;
    }
    if (header.Binary()) {
        picture.stored = bytes.substr(header.dataOffset, count * picture.bytesPerSample);
    } else {
        picture.read.resize(count);
        size_t at = header.dataOffset;
        for (size_t i = 0; i < count; ++i) {
            const auto value = ReadNumber(bytes, at);
            if (!value) {
                error = "the picture's data end early";
                return std::nullopt;
            }
            if (*value > header.maxValue) {
                error = "a sample is above the maximum value";
                return std::nullopt;
            }
            picture.read[i] = static_cast<uint16_t>(*value);
        }
    }
    for (size_t i = 0; i < count && header.Binary(); ++i) {
        if (picture.Sample(i) > static_cast<uint32_t>(header.maxValue)) {
            error = "a sample is above the maximum value";
            return std::nullopt;
        }
    }
    return picture;
}

} // namespace quba
