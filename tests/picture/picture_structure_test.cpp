// What the picture loader reads from a file's own structure before the
// decoder sees it: the chunks of a PNG that decide its pixels, the memory a
// JPEG's decoder keeps.
#include "picture/jpeg_layout.h"
#include "picture/picture_grid.h"
#include "picture/png_chunks.h"

#include <QBuffer>
#include <QImage>

#include <gtest/gtest.h>

#include <string>

using namespace quba;

namespace {

TEST(PictureStructure, OnlyThePixelChunksOfAPngReachTheDecoder) {
    QImage image(5, 3, QImage::Format_Indexed8);
    image.setColorTable({qRgb(0, 0, 0), qRgba(255, 255, 255, 128)});
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            image.scanLine(y)[x] = static_cast<uchar>((x + y) % 2);
    image.setText("Comment", QString(70000, 'a'));
    QByteArray saved;
    QBuffer buffer(&saved);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(image.save(&buffer, "png"));
    const std::string original = saved.toStdString();
    ASSERT_NE(original.find("Comment"), std::string::npos);

    std::string kept = original;
    KeepPixelChunks(kept);
    EXPECT_EQ(kept.find("Comment"), std::string::npos);
    for (const char* chunk : {"IHDR", "PLTE", "tRNS", "IDAT", "IEND"})
        EXPECT_NE(kept.find(chunk), std::string::npos) << chunk;
    EXPECT_LT(kept.size(), 1000u);
    // The palette's transparency stays: the same grid either way.
    EXPECT_EQ(PictureGrid(kept, 5, PictureFit::Stretch).value,
              PictureGrid(original, 5, PictureFit::Stretch).value);
    // A chunk that runs past the end stays for the decoder to refuse.
    std::string cut = original.substr(0, original.size() - 20);
    KeepPixelChunks(cut);
    EXPECT_FALSE(PictureGrid(cut, 5, PictureFit::Stretch).value);
    // A compressed text chunk that runs past the end is not read at all: the
    // file is cut before it, and refused as cut.
    const size_t text = original.find("Comment") - 8;
    std::string cutText = original.substr(0, text + 20);
    KeepPixelChunks(cutText);
    EXPECT_EQ(cutText.find("Comment"), std::string::npos);
    EXPECT_LE(cutText.size(), text);
    EXPECT_FALSE(PictureGrid(cutText, 5, PictureFit::Stretch).value);
}

// A JPEG holding only SOI, a frame header with the given marker and
// components, and `scans` empty scans.
std::string Jpeg(uint8_t marker, uint16_t width, uint16_t height,
                 std::initializer_list<uint8_t> samplings, int scans) {
    std::string bytes = "\xff\xd8";
    bytes += '\xff';
    bytes += static_cast<char>(marker);
    const auto length = static_cast<uint16_t>(8 + 3 * samplings.size());
    for (uint16_t value : {length})
        bytes += {static_cast<char>(value >> 8), static_cast<char>(value & 255)};
    bytes += '\x08';
    for (uint16_t value : {height, width})
        bytes += {static_cast<char>(value >> 8), static_cast<char>(value & 255)};
    bytes += static_cast<char>(samplings.size());
    char id = 1;
    for (uint8_t sampling : samplings)
        bytes += {id++, static_cast<char>(sampling), '\0'};
    for (int i = 0; i < scans; ++i)
        bytes += std::string("\xff\xda\x00\x02", 4) + "\x12\x34\xff\x00\x56";
    return bytes + "\xff\xd9";
}

TEST(PictureStructure, AJpegDecoderKeepsCoefficientsOfMultiScanFiles) {
    struct Case {
        const char* what;
        std::string bytes;
        int64_t memory;
    };
    const std::vector<Case> cases = {
        {"baseline, one scan", Jpeg(0xC0, 8000, 8000, {0x22, 0x11, 0x11}, 1), 0},
        // 1000 x 1000 luma blocks and 500 x 500 of each chroma, 128 bytes a block.
        {"progressive 4:2:0", Jpeg(0xC2, 8000, 8000, {0x22, 0x11, 0x11}, 1), 1'500'000 * 128},
        {"sequential in three scans", Jpeg(0xC0, 8000, 8000, {0x22, 0x11, 0x11}, 3),
         1'500'000 * 128},
        // Blocks round up to whole blocks and to the sampling factors.
        {"progressive grey, 9 x 17", Jpeg(0xC2, 9, 17, {0x11}, 2), 2 * 3 * 128},
        {"progressive 4:4:4", Jpeg(0xC2, 16, 16, {0x11, 0x11, 0x11}, 1), 3 * 4 * 128},
        // Fill bytes and stray bytes with a stuffed zero, which decoders pass over.
        {"progressive after stray bytes",
         "\xff\xd8" + std::string("\xff\xff\xff\x00\x32\x32", 6) +
             Jpeg(0xC2, 8000, 8000, {0x22, 0x11, 0x11}, 1).substr(2),
         1'500'000 * 128},
    };
    for (const Case& c : cases) {
        const std::optional<JpegLayout> layout = ReadJpegLayout(c.bytes);
        ASSERT_TRUE(layout) << c.what;
        EXPECT_EQ(layout->CoefficientMemory(), c.memory) << c.what;
    }
    EXPECT_FALSE(ReadJpegLayout("\xff\xd8\xff\xd9"));
    EXPECT_FALSE(ReadJpegLayout("not a JPEG"));
}

} // namespace
