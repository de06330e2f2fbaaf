#include "picture/jpeg_layout.h"

#include <algorithm>

namespace quba {

namespace {

uint32_t Byte(std::string_view bytes, size_t at) {
    return static_cast<unsigned char>(bytes[at]);
}

uint32_t Big16(std::string_view bytes, size_t at) {
    return Byte(bytes, at) << 8 | Byte(bytes, at + 1);
}

// A start-of-frame marker: C0 to CF but DHT (C4), JPG (C8) and DAC (CC).
bool IsFrame(uint32_t marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

bool IsProgressive(uint32_t marker) {
    return marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
}

void ReadFrame(std::string_view segment, uint32_t marker, JpegLayout& layout) {
    // Precision, height, width, component count, then three bytes a component.
    if (segment.size() < 6)
        return;
    layout.height = Big16(segment, 1);
    layout.width = Big16(segment, 3);
    layout.progressive = IsProgressive(marker);
    const uint32_t count = Byte(segment, 5);
    for (uint32_t i = 0; i < count && 6 + 3 * i + 2 < segment.size(); ++i) {
        const uint32_t sampling = Byte(segment, 6 + 3 * i + 1);
        layout.components.push_back({static_cast<int32_t>(std::max(1u, sampling >> 4)),
                                     static_cast<int32_t>(std::max(1u, sampling & 15))});
    }
}

// The first position after a scan's entropy-coded data: the next marker
// other than a stuffed zero or a restart marker.
size_t SkipEntropyData(std::string_view bytes, size_t at) {
    while (at + 1 < bytes.size()) {
        if (Byte(bytes, at) == 0xFF) {
            const uint32_t next = Byte(bytes, at + 1);
            if (next != 0x00 && next != 0xFF && !(next >= 0xD0 && next <= 0xD7))
                return at;
        }
        ++at;
    }
    return bytes.size();
}

int64_t RoundedUp(int64_t value, int64_t step) {
    return (value + step - 1) / step * step;
}

} // namespace

int64_t JpegLayout::CoefficientMemory() const {
    if (!progressive && scans <= 1)
        return 0;
    int32_t most = 1;
    int32_t mostVertical = 1;
    for (const Component& c : components) {
        most = std::max(most, c.horizontal);
        mostVertical = std::max(mostVertical, c.vertical);
    }
    int64_t blocks = 0;
    for (const Component& c : components) {
        // The component's blocks, rounded up to whole sampling units.
        const int64_t across = (width * c.horizontal + 8 * most - 1) / (8 * most);
        const int64_t down = (height * c.vertical + 8 * mostVertical - 1) / (8 * mostVertical);
        blocks += RoundedUp(across, c.horizontal) * RoundedUp(down, c.vertical);
    }
    return blocks * 64 * 2;
}

std::optional<JpegLayout> ReadJpegLayout(std::string_view bytes) {
    if (bytes.size() < 4 || Byte(bytes, 0) != 0xFF || Byte(bytes, 1) != 0xD8)
        return std::nullopt;
    JpegLayout layout;
    bool framed = false;
    size_t at = 2;
    while (at + 3 < bytes.size()) {
        if (Byte(bytes, at) != 0xFF) {
            ++at; // stray bytes between segments, as decoders skip them
            continue;
        }
        const uint32_t marker = Byte(bytes, at + 1);
        // Fill bytes, a stuffed zero among stray bytes, and the markers that
        // have no length: decoders pass over them looking for the next one.
        if (marker == 0xFF) {
            ++at;
            continue;
        }
        if (marker == 0x00 || marker == 0x01 || marker == 0xD8 ||
            (marker >= 0xD0 && marker <= 0xD7)) {
            at += 2;
            continue;
        }
        if (marker == 0xD9)
            break;
        const size_t length = Big16(bytes, at + 2);
        const std::string_view segment = bytes.substr(at + 4, length >= 2 ? length - 2 : 0);
        if (IsFrame(marker) && !framed) {
            ReadFrame(segment, marker, layout);
            framed = true;
        }
        at += 2 + length;
        if (marker == 0xDA) {
            ++layout.scans;
            at = SkipEntropyData(bytes, at);
        }
    }
    if (!framed)
        return std::nullopt;
    return layout;
}

} // namespace quba
