// PGM and PPM pictures (P2, P3, P5, P6) read at their full precision: the
// platform's reader scales every sample to 8 bits, which loses the levels of
// a maximum value other than 255.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quba {

struct PnmPicture {
    int32_t width = 0;
    int32_t height = 0;
    int32_t channels = 1; // 1 grey, 3 colour
    int32_t maxValue = 255;
    // Row after row, `channels` per pixel: a binary file's samples where the
    // file holds them, one or two bytes each, so that they cost no copy; a
    // text file's as read.
    std::string_view stored;
    int32_t bytesPerSample = 1;
    std::vector<uint16_t> read;

    [[nodiscard]] uint32_t Sample(size_t index) const {
        if (!read.empty())
            return read[index];
        const auto* bytes = reinterpret_cast<const unsigned char*>(stored.data());
        return bytesPerSample == 2 ? bytes[2 * index] << 8 | bytes[2 * index + 1] : bytes[index];
    }
};

struct PnmHeader {
    char kind = 0; // '2', '3', '5' or '6'
    int64_t width = 0;
    int64_t height = 0;
    int32_t maxValue = 0;
    size_t dataOffset = 0; // where the samples begin

    [[nodiscard]] int32_t Channels() const { return kind == '3' || kind == '6' ? 3 : 1; }
    [[nodiscard]] bool Binary() const { return kind == '5' || kind == '6'; }
    [[nodiscard]] int64_t BytesPerSample() const { return maxValue > 255 ? 2 : 1; }
    // What the samples take once read: nothing for a binary file, whose
    // samples are read where they are.
    [[nodiscard]] int64_t SampleMemory() const {
        return Binary() ? 0 : width * height * Channels() * int64_t{sizeof(uint16_t)};
    }
    // Whether `fileSize` bytes can hold every sample the header promises: a
    // byte or two a sample in a binary file, a digit and a blank in a text one.
    [[nodiscard]] bool FitsIn(size_t fileSize) const;
};

// The header of a grey or colour PNM, or none when `bytes` is no such file.
std::optional<PnmHeader> ReadPnmHeader(std::string_view bytes);

// The samples of a file whose header was read; `error` says why there are
// none (too few samples, a sample above the maximum value). A binary
// picture's samples stay in `bytes`, which must outlive it.
std::optional<PnmPicture> ReadPnmSamples(std::string_view bytes, const PnmHeader& header,
                                         std::string& error);

} // namespace quba
