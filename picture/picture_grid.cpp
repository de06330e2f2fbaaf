#include "picture/picture_grid.h"

#include "core/decimal.h"
#include "picture/integrity.h"
#include "picture/pnm.h"

#include <QBuffer>
#include <QFile>
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
            const uint16_t* row =
                picture.samples.data() + static_cast<size_t>(y) * width * picture.channels;
            for (size_t x = 0; x < width; ++x)
                greys[x] =
                    picture.channels == 1
                        ? row[x] / maximum
                        : Luma(row[3 * x], row[3 * x + 1], row[3 * x + 2]) / (1000.0 * maximum);
        },
        size, fit);
}

std::string TooLarge(int64_t width, int64_t height) {
    return "it is " + std::to_string(width) + " x " + std::to_string(height) +
           " pixels, which would need more than 256 MiB to decode";
}

std::string NotAPicture() {
    return "it is not a picture in a format this program reads (" +
           PictureFormats().join(", ").toStdString() + ")";
}

PictureOutcome Refused(std::string message) {
    return {std::nullopt, std::move(message)};
}

PictureOutcome PnmOutcome(std::string_view bytes, const PnmHeader& header, int32_t size,
                          PictureFit fit) {
    if (header.width == 0 || header.height == 0)
        return Refused("it has no pixels");
    // Kept as 16-bit samples, as a 64-bit colour image would hold them.
    if (header.width * header.height * 8 > kPictureMemoryLimit)
        return Refused(TooLarge(header.width, header.height));
    std::string error;
    const std::optional<PnmPicture> picture = ReadPnmSamples(bytes, header, error);
    if (!picture)
        return Refused(kDamaged);
    return {PnmGrid(*picture, size, fit), {}};
}

PictureOutcome DecodedOutcome(const QByteArray& bytes, int32_t size, PictureFit fit) {
    // The limit above which the readers refuse to allocate, in MiB.
    QImageReader::setAllocationLimit(static_cast<int>(kPictureMemoryLimit >> 20));
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(true);
    if (!reader.canRead())
        return Refused(NotAPicture());
    const QSize declared = reader.size();
    if (declared.isValid()) {
        if (declared.isEmpty())
            return Refused("it has no pixels");
        const QImage::Format format = reader.imageFormat();
        const int64_t bytesPerPixel =
            format == QImage::Format_Invalid
                ? 4
                : std::max(1, QImage::toPixelFormat(format).bitsPerPixel() / 8);
        if (int64_t{declared.width()} * declared.height() * bytesPerPixel > kPictureMemoryLimit)
            return Refused(TooLarge(declared.width(), declared.height()));
    }
    const QByteArray format = reader.format();
    QImage image;
    if (!reader.read(&image) || image.isNull())
        return Refused(kDamaged);
    if (!IsComplete(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())),
                    std::string_view(format.constData(), static_cast<size_t>(format.size()))))
        return Refused(kDamaged);
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

PictureOutcome PictureGrid(const QByteArray& bytes, int32_t size, PictureFit fit) {
    const std::string_view view(bytes.constData(), static_cast<size_t>(bytes.size()));
    try {
        if (const std::optional<PnmHeader> header = ReadPnmHeader(view))
            return PnmOutcome(view, *header, size, fit);
        return DecodedOutcome(bytes, size, fit);
    } catch (const std::bad_alloc&) {
        return Refused("there is not enough memory to decode it");
    }
}

bool HoldsPicture(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray start = file.peek(256);
    if (BeginsWithNumber(std::string_view(start.constData(), static_cast<size_t>(start.size()))))
        return false;
    if (ReadPnmHeader(std::string_view(start.constData(), static_cast<size_t>(start.size()))))
        return true;
    QImageReader reader(&file);
    reader.setDecideFormatFromContent(true);
    return reader.canRead();
}

PictureOutcome ReadPictureGrid(const QString& path, int32_t size, PictureFit fit) {
    const std::string cannotOpen = "Cannot open file " + path.toStdString();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Refused(cannotOpen);
    PictureOutcome outcome;
    // Mapped rather than read, so that a large file costs no copy.
    if (uchar* mapped = file.size() > 0 ? file.map(0, file.size()) : nullptr) {
        outcome = PictureGrid(QByteArray::fromRawData(reinterpret_cast<const char*>(mapped),
                                                      static_cast<qsizetype>(file.size())),
                              size, fit);
    } else {
        const QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            return Refused(cannotOpen);
        outcome = PictureGrid(bytes, size, fit);
    }
    if (!outcome.grid)
        outcome.message = "Cannot read the picture " + path.toStdString() + ": " + outcome.message;
    return outcome;
}

} // namespace quba
