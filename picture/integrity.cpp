#include "picture/integrity.h"

#include <array>
#include <cstdint>
#include <cstdlib>

namespace quba {

namespace {

uint32_t Byte(std::string_view bytes, size_t at) {
    return static_cast<unsigned char>(bytes[at]);
}

uint32_t Little16(std::string_view bytes, size_t at) {
    return Byte(bytes, at) | Byte(bytes, at + 1) << 8;
}

uint32_t Little32(std::string_view bytes, size_t at) {
    return Little16(bytes, at) | Little16(bytes, at + 2) << 16;
}

// The end-of-image marker after the last start-of-scan marker: within
// entropy-coded data every 0xFF is followed by 0x00 or a restart marker.
bool JpegComplete(std::string_view bytes) {
    size_t scan = std::string_view::npos;
    for (size_t i = bytes.size(); i-- > 1;) {
        if (Byte(bytes, i - 1) == 0xFF && Byte(bytes, i) == 0xDA) {
            scan = i;
            break;
        }
    }
    if (scan == std::string_view::npos)
        return false;
    for (size_t i = scan + 1; i + 1 < bytes.size(); ++i)
        if (Byte(bytes, i) == 0xFF && Byte(bytes, i + 1) == 0xD9)
            return true;
    return false;
}

// Skips a chain of data sub-blocks ending with an empty one.
bool SkipSubBlocks(std::string_view bytes, size_t& at) {
    for (;;) {
        if (at >= bytes.size())
            return false;
        const uint32_t length = Byte(bytes, at++);
        if (length == 0)
            return true;
        at += length;
    }
}

size_t ColourTableSize(uint32_t flags) {
    return flags & 0x80 ? 3u * (1u << ((flags & 7) + 1)) : 0;
}

// The codes of a GIF frame's LZW data, least significant bit first, across
// its sub-blocks; -1 once the data end.
class GifCodes {
public:
    GifCodes(std::string_view bytes, size_t at) : bytes_(bytes), at_(at) {}

    int32_t Next(int32_t width) {
        while (bitCount_ < width) {
            if (left_ == 0) {
                if (at_ >= bytes_.size() || (left_ = Byte(bytes_, at_++)) == 0)
                    return -1;
            }
            if (at_ >= bytes_.size())
                return -1;
            bits_ |= Byte(bytes_, at_++) << bitCount_;
            bitCount_ += 8;
            --left_;
        }
        const auto code = static_cast<int32_t>(bits_ & ((1u << width) - 1));
        bits_ >>= width;
        bitCount_ -= width;
        return code;
    }

private:
    std::string_view bytes_;
    size_t at_;
    uint32_t left_ = 0; // bytes left in the current sub-block
    uint32_t bits_ = 0;
    int32_t bitCount_ = 0;
};

// The pixels a frame's LZW data decode to, counted without decoding them:
// a code stands for one more pixel than the code before it did. Counting
// stops at the end code, at the end of the data, at a code the table does
// not hold yet, or once `wanted` pixels are there.
int64_t GifPixelCount(std::string_view bytes, size_t at, int64_t wanted) {
    if (at >= bytes.size())
        return 0;
    const uint32_t rootBits = Byte(bytes, at);
    if (rootBits < 1 || rootBits > 11)
        return 0;
    constexpr int32_t kTableSize = 4096;
    const int32_t clear = 1 << rootBits;
    const int32_t end = clear + 1;
    std::array<int32_t, kTableSize> lengths{};
    GifCodes codes(bytes, at + 1);
    int32_t width = static_cast<int32_t>(rootBits) + 1;
    int32_t next = end + 1;
    int32_t previous = -1;
    int64_t count = 0;
    while (count < wanted) {
        const int32_t code = codes.Next(width);
        if (code < 0 || code == end)
            break;
        if (code == clear) {
            width = static_cast<int32_t>(rootBits) + 1;
            next = end + 1;
            previous = -1;
            continue;
        }
        const auto length = [&](int32_t c) { return c < clear ? 1 : lengths[c]; };
        if (previous < 0) {
            if (code >= clear)
                break;
            ++count;
            previous = code;
            continue;
        }
        if (code > next || (code == next && next >= kTableSize))
            break;
        const int32_t previousLength = length(previous);
        count += code == next ? previousLength + 1 : length(code);
        if (next < kTableSize) {
            lengths[next++] = previousLength + 1;
            if (next == (1 << width) && width < 12)
                ++width;
        }
        previous = code;
    }
    return count;
}

// The first frame, the one that is read, with all of its data and all of its
// pixels.
bool GifComplete(std::string_view bytes) {
    if (bytes.size() < 13)
        return false;
    size_t at = 13 + ColourTableSize(Byte(bytes, 10));
    while (at < bytes.size()) {
        const uint32_t introducer = Byte(bytes, at);
        if (introducer == 0x21) { // an extension: its label, then sub-blocks
            at += 2;
            if (!SkipSubBlocks(bytes, at))
                return false;
        } else if (introducer == 0x2C) { // the image descriptor
            if (at + 10 > bytes.size())
                return false;
            const int64_t pixels = int64_t{Little16(bytes, at + 5)} * Little16(bytes, at + 7);
            at += 10 + ColourTableSize(Byte(bytes, at + 9));
            const size_t data = at;
            ++at; // the LZW code size
            return SkipSubBlocks(bytes, at) && GifPixelCount(bytes, data, pixels) >= pixels;
        } else {
            return false;
        }
    }
    return false;
}

// Uncompressed rows up to the last one, or, compressed, the file size the
// header states.
bool BmpComplete(std::string_view bytes) {
    if (bytes.size() < 26)
        return false;
    const uint32_t dataOffset = Little32(bytes, 10);
    const uint32_t headerSize = Little32(bytes, 14);
    int64_t width = 0;
    int64_t height = 0;
    uint32_t bitsPerPixel = 0;
    uint32_t compression = 0;
    if (headerSize == 12) {
        width = Little16(bytes, 18);
        height = Little16(bytes, 20);
        bitsPerPixel = Little16(bytes, 24);
    } else {
        if (bytes.size() < 34)
            return false;
        width = static_cast<int32_t>(Little32(bytes, 18));
        height = static_cast<int32_t>(Little32(bytes, 22));
        bitsPerPixel = Little16(bytes, 28);
        compression = Little32(bytes, 30);
    }
    if (compression == 0 || compression == 3 || compression == 6) {
        const int64_t rowBytes = (std::llabs(width) * bitsPerPixel + 31) / 32 * 4;
        return static_cast<int64_t>(bytes.size()) >= dataOffset + rowBytes * std::llabs(height);
    }
    const uint32_t fileSize = Little32(bytes, 2);
    return fileSize == 0 || bytes.size() >= fileSize;
}

} // namespace

bool IsComplete(std::string_view bytes, std::string_view format) {
    if (format == "jpeg" || format == "jpg")
        return JpegComplete(bytes);
    if (format == "gif")
        return GifComplete(bytes);
    if (format == "bmp")
        return BmpComplete(bytes);
    return true;
}

} // namespace quba
