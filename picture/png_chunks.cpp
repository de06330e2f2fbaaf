#include "picture/png_chunks.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace quba {

namespace {

constexpr std::string_view kSignature("\x89PNG\r\n\x1a\n", 8);
// Length, type and CRC around a chunk's data.
constexpr size_t kChunkFrame = 12;

bool DecidesPixels(std::string_view type) {
    constexpr std::array<std::string_view, 5> kept = {"IHDR", "PLTE", "tRNS", "IDAT", "IEND"};
    for (std::string_view name : kept)
        if (type == name)
            return true;
    return false;
}

uint64_t Big32(const std::string& bytes, size_t at) {
    uint64_t value = 0;
    for (size_t i = 0; i < 4; ++i)
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

} // namespace

bool IsPng(const std::string& bytes) {
    return std::string_view(bytes).substr(0, kSignature.size()) == kSignature;
}

void KeepPixelChunks(std::string& bytes) {
    if (!IsPng(bytes))
        return;
    size_t read = kSignature.size();
    size_t written = read;
    while (read + kChunkFrame <= bytes.size()) {
        const uint64_t total = Big32(bytes, read) + kChunkFrame;
        if (total > bytes.size() - read) {
            // A cut chunk: the decoder refuses the file either way, but one
            // that decides no pixel (a compressed text, say) it need not
            // read first.
            if (!DecidesPixels(std::string_view(bytes).substr(read + 4, 4)))
                bytes.resize(read);
            break;
        }
        const auto length = static_cast<size_t>(total);
        if (DecidesPixels(std::string_view(bytes).substr(read + 4, 4))) {
            std::char_traits<char>::move(&bytes[written], &bytes[read], length);
            written += length;
        }
        read += length;
    }
    // The rest, cut short or not, stays for the decoder to judge.
    bytes.erase(written, std::min(read, bytes.size()) - written);
}

} // namespace quba
