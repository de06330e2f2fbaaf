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
    std::vector<uint16_t> samples; // row after row, `channels` per pixel
};

struct PnmHeader {
    char kind = 0; // '2', '3', '5' or '6'
    int64_t width = 0;
    int64_t height = 0;
    int32_t maxValue = 0;
    size_t dataOffset = 0; // where the samples begin
};

// The header of a grey or colour PNM, or none when `bytes` is no such file.
std::optional<PnmHeader> ReadPnmHeader(std::string_view bytes);

// The samples of a file whose header was read; `error` says why there are
// none (too few samples, a sample above the maximum value).
std::optional<PnmPicture> ReadPnmSamples(std::string_view bytes, const PnmHeader& header,
                                         std::string& error);

} // namespace quba
