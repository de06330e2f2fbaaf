// What a JPEG's markers say about the memory its decoder needs: a
// progressive or multi-scan file keeps every coefficient of the picture,
// two bytes each, on top of the decoded image.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace quba {

struct JpegLayout {
    struct Component {
        int32_t horizontal = 1; // sampling factors
        int32_t vertical = 1;
    };
    int64_t width = 0;
    int64_t height = 0;
    bool progressive = false;
    int32_t scans = 0; // start-of-scan markers before the end of the image
    std::vector<Component> components;

    // The bytes of the coefficient buffers the decoder keeps; 0 for a
    // single-scan sequential file, which is decoded a row of blocks at a time.
    [[nodiscard]] int64_t CoefficientMemory() const;
};

// The layout of the first frame, walking the markers and the scans'
// entropy-coded data; none when `bytes` hold no JPEG frame header.
std::optional<JpegLayout> ReadJpegLayout(std::string_view bytes);

} // namespace quba
