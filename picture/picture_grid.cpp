#include "picture/picture_grid.h"

#include "core/decimal.h"
#include "core/file_bytes.h"
#include "picture/decoder_messages.h"
#include "picture/integrity.h"
#include "picture/jpeg_layout.h"
#include "picture/png_chunks.h"
#include "picture/pnm.h"

#include <QBuffer>
#include <QImageReader>
#include <QLoggingCategory>

#include <algorithm>
#include <set>
#include <string_view>

namespace quba {

namespace {

constexpr int32_t kStripRows = 64;
constexpr const char* kDamaged = "it is damaged or cut short";

// The luma of stored values, 0 to 1000 x `maximum`; weights as integers keep
// a grey pixel exactly grey.
double Luma(double red, double green, double blue) {
    return 299.0 * red + 587.0 * green + 114.0 * blue;
}

// Grey levels of a decoded image, a strip of rows at a time in 16 bits per
// channel, so that memory grows with the strip and not with the picture.
class ImageRows {
public:
    explicit ImageRows(const QImage& image) : image_(image) {}

    void operator()(int32_t y, double* greys) {
        if (strip_.isNull() || y < stripTop_ || y >= stripTop_ + strip_.height()) {
            stripTop_ = y;
            strip_ = image_.copy(0, y, image_.width(), std::min(kStripRows, image_.height() - y))
                         .convertToFormat(QImage::Format_RGBA64);
            if (strip_.isNull())
                throw std::bad_alloc();
        }
        const auto* pixels = reinterpret_cast<const QRgba64*>(strip_.constScanLine(y - stripTop_));
        constexpr double kMax = 65535.0;
        for (int32_t x = 0; x < image_.width(); ++x) {
            const QRgba64 p = pixels[x];
            // Over white: the colour weighted by alpha, white by the rest.
            const double numerator =
                Luma(p.red(), p.green(), p.blue()) * p.alpha() + 1000.0 * kMax * (kMax - p.alpha());
            greys[x] = numerator / (1000.0 * kMax * kMax);
        }
    }

private:
    const QImage& image_;
    QImage strip_;
    int32_t stripTop_ = 0;
};

DataGrid PnmGrid(const PnmPicture& picture, int32_t size, PictureFit fit) {
    const double maximum = picture.maxValue;
    const auto width = static_cast<size_t>(picture.width);
    return AreaAverage(
        picture.width, picture.height,
        [&](int32_t y, double* greys) {
            const size_t row = static_cast<size_t>(y) * width * picture.channels;
            for (size_t x = 0; x < width; ++x) {
                if (picture.channels == 1) {
                    greys[x] = picture.Sample(row + x) / maximum;
                    continue;
                }
                const size_t at = row + 3 * x;
                greys[x] =
                    Luma(picture.Sample(at), picture.Sample(at + 1), picture.Sample(at + 2)) /
                    (1000.0 * maximum);
            }
        },
        size, fit);
}

std::string TooLarge(int64_t width, int64_t height, int64_t limit) {
    return "it is " + std::to_string(width) + " x " + std::to_string(height) +
           " pixels, which would need more than " + std::to_string(limit >> 20) + " MiB to decode";
}

std::string NotAPicture() {
    return "it is not a picture in a format this program reads (" +
           PictureFormats().join(", ").toStdString() + ")";
}

Outcome<DataGrid> Refused(std::string message) {
    return {std::nullopt, std::move(message)};
}

Outcome<DataGrid> PnmOutcome(std::string_view bytes, const PnmHeader& header, int32_t size,
                             PictureFit fit, int64_t limit) {
    if (header.width == 0 || header.height == 0)
        return Refused("it has no pixels");
    if (header.SampleMemory() > limit)
        return Refused(TooLarge(header.width, header.height, limit));
    std::string error;
    const std::optional<PnmPicture> picture = ReadPnmSamples(bytes, header, error);
    if (!picture)
        return Refused(kDamaged);
    return {PnmGrid(*picture, size, fit), {}};
}

// Whether an animated WebP: its decoder keeps a second, composed frame.
bool IsAnimatedWebp(std::string_view bytes) {
    constexpr size_t kFlags = 20;
    return bytes.size() > kFlags && bytes.substr(12, 4) == "VP8X" && (bytes[kFlags] & 0x02) != 0;
}

// The size the decoder draws into. A GIF's frames are drawn on its logical
// screen, which may be far larger than the first frame the reader reports.
QSize DrawnSize(std::string_view bytes, const QImageReader& reader) {
    QSize size = reader.size();
    if (size.isValid() && reader.format() == "gif" && bytes.size() >= 10) {
        const auto word = [&](size_t at) {
            return static_cast<int>(static_cast<unsigned char>(bytes[at]) |
                                    static_cast<unsigned char>(bytes[at + 1]) << 8);
        };
        size = size.expandedTo(QSize(word(6), word(8)));
    }
    return size;
}

// What decoding a picture of this size costs: the image in the reader's
// format, the decoder's own buffers where they grow with the picture, and
// the strips the grey levels are taken from.
int64_t DecodingMemory(std::string_view bytes, const QImageReader& reader, QSize size) {
    const int64_t pixels = int64_t{size.width()} * size.height();
    const QImage::Format format = reader.imageFormat();
    int64_t bytesPerPixel = format == QImage::Format_Invalid
                                ? 4
                                : std::max(1, QImage::toPixelFormat(format).bitsPerPixel() / 8);
    int64_t working = 0;
    if (reader.format() == "webp") {
        bytesPerPixel = IsAnimatedWebp(bytes) ? 8 : 4;
    } else if (reader.format() == "jpeg") {
        if (const std::optional<JpegLayout> layout = ReadJpegLayout(bytes))
            working = layout->CoefficientMemory();
    }
    return pixels * bytesPerPixel + working + int64_t{kStripRows} * size.width() * 8;
}

// The decoders' own words for data that end early or break off.
bool DecoderFoundItCut(const std::vector<std::string>& lines) {
    return AnyLineSays(lines, "premature end") || AnyLineSays(lines, "bad huffman code");
}

Outcome<DataGrid> DecodedOutcome(const std::string& bytes, int32_t size, PictureFit fit,
                                 int64_t limit) {
    // Qt counts four bytes a pixel whatever the format; the estimate below
    // holds the real limit.
    QImageReader::setAllocationLimit(static_cast<int>(4 * (limit >> 20)));
    QBuffer buffer;
    buffer.setData(QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size())));
    buffer.open(QIODevice::ReadOnly);
    const DecoderMessages messages;
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(true);
    if (!reader.canRead())
        return Refused(NotAPicture());
    const QSize declared = DrawnSize(bytes, reader);
    if (declared.isValid()) {
        if (declared.isEmpty())
            return Refused("it has no pixels");
        if (DecodingMemory(bytes, reader, declared) > limit)
            return Refused(TooLarge(declared.width(), declared.height(), limit));
    } else {
        QImageReader::setAllocationLimit(static_cast<int>(limit >> 20));
    }
    const QByteArray format = reader.format();
    QImage image;
    const bool read = reader.read(&image) && !image.isNull();
    const std::vector<std::string> lines = messages.Lines();
    if (!read && AnyLineSays(lines, "allocation limit") && declared.isValid())
        return Refused(TooLarge(declared.width(), declared.height(), limit));
    if (!read || DecoderFoundItCut(lines) ||
        !IsComplete(bytes,
                    std::string_view(format.constData(), static_cast<size_t>(format.size()))))
        return Refused(kDamaged + Remark(lines));
    return {ImageGrid(image, size, fit), {}};
}

// Whether the text begins, after blanks, with a decimal number.
bool BeginsWithNumber(std::string_view bytes) {
    size_t at = 0;
    while (at < bytes.size() &&
           std::string_view(" \t\r\n\v\f").find(bytes[at]) != std::string_view::npos)
        ++at;
    return DecimalPrefixLength(bytes.substr(at)) > 0;
}

// Whether the start of a file is that of a picture in a format read here.
bool LooksLikePicture(std::string_view start) {
    if (ReadPnmHeader(start))
        return true;
    QBuffer buffer;
    buffer.setData(start.data(), static_cast<qsizetype>(start.size()));
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    return reader.canRead();
}

} // namespace

DataGrid ImageGrid(const QImage& image, int32_t size, PictureFit fit) {
    ImageRows rows(image);
    return AreaAverage(image.width(), image.height(), std::ref(rows), size, fit);
}

void QuietPictureReaders() {
    QLoggingCategory::setFilterRules(QStringLiteral("qt.gui.imageio*=false"));
}

QStringList PictureFormats() {
    std::set<QString> names;
    for (const QByteArray& format : QImageReader::supportedImageFormats())
        names.insert(QString::fromLatin1(format));
    return {names.begin(), names.end()};
}

Outcome<DataGrid> PictureGrid(std::string bytes, int32_t size, PictureFit fit, int64_t limit) {
    try {
        if (const std::optional<PnmHeader> header = ReadPnmHeader(bytes))
            return PnmOutcome(bytes, *header, size, fit, limit);
        KeepPixelChunks(bytes);
        return DecodedOutcome(bytes, size, fit, limit);
    } catch (const std::bad_alloc&) {
        return Refused("there is not enough memory to decode it");
    }
}

bool HoldsPicture(const std::string& path) {
    const FileBytes start = ReadFileStart(path, kFileStart);
    return start.Read() && !BeginsWithNumber(start.bytes) && LooksLikePicture(start.bytes);
}

Outcome<DataGrid> ReadPictureGrid(const std::string& path, int32_t size, PictureFit fit) {
    const std::string refused = "Cannot read the picture " + path + ": ";
    FileBytes file;
    try {
        file = ReadFileBytes(path, kLargestPictureFile, LooksLikePicture);
    } catch (const std::bad_alloc&) {
        return Refused(refused + "there is not enough memory to read it");
    }
    if (file.failure == FileBytes::Failure::CannotOpen)
        return Refused("Cannot open file " + path);
    if (file.failure == FileBytes::Failure::Unwanted)
        return Refused(refused + NotAPicture());
    if (file.failure == FileBytes::Failure::TooLarge)
        return Refused(refused + "the file is larger than 1 GiB, more than any picture this "
                                 "program decodes can take");
    Outcome<DataGrid> outcome = PictureGrid(std::move(file.bytes), size, fit);
    if (!outcome.value)
        outcome.message = refused + outcome.message;
    return outcome;
}

} // namespace quba
