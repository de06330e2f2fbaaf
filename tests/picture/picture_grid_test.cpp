// Pictures made into grids: the area averaging at whole and fractional
// factors, every kind of stored value, the orientation, the square, and the
// pictures that are refused.
#include "picture/picture_grid.h"

#include "tests/core/grids.h"

#include <QBuffer>
#include <QFile>
#include <QImageWriter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <array>
#include <chrono>

using namespace quba;

namespace {

// The grid value of a grey level of `steps` steps.
float Level(double grey, double steps) {
    return static_cast<float>(2.0 * grey / steps - 1.0);
}

// A file name as the bytes the programs take.
std::string Name(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

class PictureGridTest : public ::testing::Test {
protected:
    QString Save(const QImage& image, const char* name, const char* format = nullptr) const {
        const QString path = folder_.filePath(name);
        EXPECT_TRUE(image.save(path, format)) << name;
        return path;
    }
    QString Path(const char* name) const { return folder_.filePath(name); }
    QString Write(const char* name, const QByteArray& bytes) const {
        const QString path = folder_.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    static DataGrid Read(const QString& path, int32_t size, PictureFit fit = PictureFit::Crop) {
        Outcome<DataGrid> outcome = ReadPictureGrid(Name(path), size, fit);
        EXPECT_TRUE(outcome.value) << outcome.message;
        return outcome.value ? *outcome.value : DataGrid();
    }

private:
    QTemporaryDir folder_;
};

// A grey picture whose pixel (x, y) is 16 x + y, 8 bits a sample.
QImage Gradient(int width, int height) {
    QImage image(width, height, QImage::Format_Grayscale8);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.scanLine(y)[x] = static_cast<uchar>(16 * x + y);
    return image;
}

TEST_F(PictureGridTest, CellsAreTheMeansOfThePixelsTheyCover) {
    // Half the size: each cell the mean of a 2 x 2 block.
    const DataGrid halved = Read(Save(Gradient(8, 8), "g.png"), 4);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(halved.At(r, c), Level(16 * (2 * c + 0.5) + (2 * r + 0.5), 255)) << r << c;

    // Six pixels on four cells: a cell covers one pixel and half of the next.
    const DataGrid fractional = Read(Save(Gradient(6, 6), "f.png"), 4);
    const std::array<double, 4> mean = {(0 + 0.5) / 1.5, (0.5 * 1 + 2) / 1.5, (3 + 0.5 * 4) / 1.5,
                                        (0.5 * 4 + 5) / 1.5};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_FLOAT_EQ(fractional.At(r, c), Level(16 * mean[c] + mean[r], 255)) << r << c;

    // Twice the size: every pixel fills two by two cells.
    const DataGrid doubled = Read(Save(Gradient(2, 2), "d.png"), 4);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(doubled.At(r, c), Level(16 * (c / 2) + r / 2, 255));
}

TEST_F(PictureGridTest, GreyComesFromTheStoredValuesOfEveryKind) {
    // Colour by the luma weights; transparency over white.
    QImage colour(2, 2, QImage::Format_ARGB32);
    colour.setPixel(0, 0, qRgba(255, 0, 0, 255));
    colour.setPixel(1, 0, qRgba(0, 0, 255, 255));
    colour.setPixel(0, 1, qRgba(0, 0, 0, 128));
    colour.setPixel(1, 1, qRgba(0, 255, 0, 0));
    const DataGrid rgba = Read(Save(colour, "c.png"), 2);
    EXPECT_EQ(rgba.At(0, 0), Level(299, 1000));
    EXPECT_EQ(rgba.At(0, 1), Level(114, 1000));
    EXPECT_EQ(rgba.At(1, 0), Level(127, 255));
    EXPECT_EQ(rgba.At(1, 1), 1.0f);

    // 16 bits a sample stay 16 bits.
    QImage deep(1, 1, QImage::Format_Grayscale16);
    reinterpret_cast<quint16*>(deep.scanLine(0))[0] = 0x1234;
    EXPECT_EQ(Read(Save(deep, "deep.png"), 1).At(0, 0), Level(0x1234, 65535));

    // A palette, and the first frame of a GIF: black, white, red, blue.
    QImage indexed(2, 1, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(0, 0, 255), qRgb(255, 255, 255)});
    indexed.scanLine(0)[0] = 0;
    indexed.scanLine(0)[1] = 1;
    const DataGrid palette = Read(Save(indexed, "p.png"), 2, PictureFit::Stretch);
    EXPECT_EQ(palette.At(0, 0), Level(114, 1000));
    EXPECT_EQ(palette.At(1, 1), 1.0f);
    const QByteArray gif = QByteArray::fromHex(
        "47494638376104000400810000000000ffffffff00000000ff2c000000000400040000080f000104103060e0"
        "000004051e1c1810003b");
    const DataGrid frame = Read(Write("tiny.gif", gif), 4);
    const std::array<float, 4> levels = {-1, 1, Level(299, 1000), Level(114, 1000)};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(frame.At(r, c), levels[(r + c) % 4]) << r << c;

    // A PGM keeps a maximum value other than 255.
    const QByteArray pgm =
        QByteArray("P5\n2 1\n# levels\n1000\n") + QByteArray::fromHex("0159 03e8");
    const DataGrid levelled = Read(Write("l.pgm", pgm), 2, PictureFit::Stretch);
    EXPECT_EQ(levelled.At(0, 0), Level(345, 1000));
    EXPECT_EQ(levelled.At(0, 1), 1.0f);
}

TEST_F(PictureGridTest, ThePictureIsTurnedAsItsOrientationSays) {
    // Left half black, right half white, stored with a quarter turn.
    QImage image(64, 32, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            image.setPixel(x, y, qRgb(0, 0, 0));
    const QString path = Path("turned.jpg");
    QImageWriter writer(path, "jpeg");
    writer.setTransformation(QImageIOHandler::TransformationRotate90);
    ASSERT_TRUE(writer.write(image));
    // Upright it is 32 wide and 64 high: black above, white below.
    const DataGrid grid = Read(path, 2, PictureFit::Stretch);
    EXPECT_LT(grid.At(0, 0), -0.9f);
    EXPECT_LT(grid.At(0, 1), -0.9f);
    EXPECT_GT(grid.At(1, 0), 0.9f);
    EXPECT_GT(grid.At(1, 1), 0.9f);
}

TEST_F(PictureGridTest, APictureThatIsNotSquareIsCroppedOrStretched) {
    // Six columns of grey levels 0, 40, ..., 200 over two rows.
    QImage wide(6, 2, QImage::Format_Grayscale8);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 6; ++x)
            wide.scanLine(y)[x] = static_cast<uchar>(40 * x);
    const QString path = Save(wide, "wide.png");
    // The central square: columns 2 and 3.
    const DataGrid cropped = Read(path, 2);
    EXPECT_EQ(cropped.At(0, 0), Level(80, 255));
    EXPECT_EQ(cropped.At(1, 1), Level(120, 255));
    // Stretched: three columns a cell.
    const DataGrid stretched = Read(path, 2, PictureFit::Stretch);
    EXPECT_EQ(stretched.At(0, 0), Level(40, 255));
    EXPECT_EQ(stretched.At(1, 1), Level(160, 255));
    // An odd difference rounds the offset down: columns 1 to 4 of 6 x 4.
    QImage odd(7, 4, QImage::Format_Grayscale8);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 7; ++x)
            odd.scanLine(y)[x] = static_cast<uchar>(30 * x);
    EXPECT_EQ(Read(Save(odd, "odd.png"), 1).At(0, 0), Level(75, 255));
}

TEST_F(PictureGridTest, RefusedPicturesSayWhy) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    Gradient(64, 64).save(&buffer, "png");
    QByteArray jpeg;
    QBuffer jpegBuffer(&jpeg);
    jpegBuffer.open(QIODevice::WriteOnly);
    Gradient(64, 64).convertToFormat(QImage::Format_RGB32).save(&jpegBuffer, "jpeg");
    // Large enough for a cut at 30 % to fall into the scan data.
    QByteArray photo;
    QBuffer photoBuffer(&photo);
    photoBuffer.open(QIODevice::WriteOnly);
    Gradient(256, 256).save(&photoBuffer, "jpeg", 95);
    QByteArray bmp;
    QBuffer bmpBuffer(&bmp);
    bmpBuffer.open(QIODevice::WriteOnly);
    Gradient(64, 64).convertToFormat(QImage::Format_RGB32).save(&bmpBuffer, "bmp");
    const QByteArray gif = QByteArray::fromHex(
        "47494638376104000400810000000000ffffffff00000000ff2c000000000400040000080f000104103060e0"
        "000004051e1c1810003b");
    // A progressive colour JPEG whose frame header declares 8000 x 8000: its
    // decoder would keep every coefficient besides the image.
    QByteArray progressive;
    QBuffer progressiveBuffer(&progressive);
    progressiveBuffer.open(QIODevice::WriteOnly);
    QImageWriter progressiveWriter(&progressiveBuffer, "jpeg");
    progressiveWriter.setProgressiveScanWrite(true);
    ASSERT_TRUE(progressiveWriter.write(Gradient(16, 16).convertToFormat(QImage::Format_RGB32)));
    const qsizetype frame = progressive.indexOf("\xff\xc2");
    ASSERT_GT(frame, 0);
    progressive.replace(frame + 5, 4, QByteArray::fromHex("1f401f40"));
    // A GIF whose frame holds half its pixels, properly ended.
    const QByteArray halfGif = QByteArray::fromHex(
        "47494638376110001000810000000000ffffffff00000000ff2c000000001000100040083b00010c1010"
        "40204183050716143020004387002006181051e0c48902006424d8b06144010c290670c810404487144f"
        "86344972c040902047ca3449003b");
    // A PNG of 138 bytes declaring 60000 x 60000 pixels.
    const QByteArray bomb = QByteArray::fromHex(
        "89504e470d0a1a0a0000000d494844520000ea600000ea600800000000a5b92a9e000000514944415478daed"
        "c13101000000c2a0f54f6d0d0fa0000000000000000000000000000000000000000000000000000000000000"
        "00000000000000000000000000000000000000000000000000000000ce0cea6100019b3231ed000000004945"
        "4e44ae426082");

    struct Case {
        const char* what;
        QByteArray bytes;
        const char* reason;
    };
    const std::vector<Case> cases = {
        {"text", "not a picture at all", "it is not a picture in a format this program reads"},
        {"cut PNG", png.left(png.size() / 2), "it is damaged or cut short"},
        {"cut JPEG", jpeg.left(jpeg.size() * 3 / 4), "it is damaged or cut short"},
        {"cut BMP", bmp.left(bmp.size() / 2), "it is damaged or cut short"},
        {"cut GIF", gif.left(gif.size() - 6), "it is damaged or cut short"},
        {"GIF with half a frame", halfGif, "it is damaged or cut short"},
        {"JPEG cut at 30 % with an end marker", photo.left(photo.size() * 3 / 10) + "\xff\xd9",
         "it is damaged or cut short (Corrupt JPEG data: premature end of data segment)"},
        {"PPM header alone", "P6\n5792 5792\n255\n", "it is damaged or cut short"},
        {"progressive JPEG", progressive,
         "it is 8000 x 8000 pixels, which would need more than 256 MiB to decode"},
        {"empty PGM", "P5\n0 0\n255\n", "it has no pixels"},
        {"bomb", bomb, "it is 60000 x 60000 pixels, which would need more than 256 MiB to decode"},
    };
    for (const Case& c : cases) {
        const auto started = std::chrono::steady_clock::now();
        const Outcome<DataGrid> outcome = PictureGrid(c.bytes.toStdString(), 4, PictureFit::Crop);
        EXPECT_FALSE(outcome.value) << c.what;
        EXPECT_EQ(outcome.message.rfind(c.reason, 0), 0u) << c.what << ": " << outcome.message;
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(1)) << c.what;
    }
    const QString missing = Path("missing.png");
    EXPECT_EQ(ReadPictureGrid(Name(missing), 4, PictureFit::Crop).message,
              "Cannot open file " + missing.toStdString());
    EXPECT_EQ(ReadPictureGrid(Name(Write("t.png", "1 2 3")), 4, PictureFit::Crop).message,
              "Cannot read the picture " + Path("t.png").toStdString() +
                  ": it is not a picture in a format this program reads (" +
                  PictureFormats().join(", ").toStdString() + ")");
}

TEST_F(PictureGridTest, LargeGreyPicturesWithinTheLimitAreRead) {
    // 8300 x 8300 at a byte a pixel fits in 256 MiB, although the readers'
    // own limit counts four bytes a pixel.
    QImage large(8300, 8300, QImage::Format_Grayscale8);
    large.fill(51);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(large.save(&buffer, "png", 0));
    const Outcome<DataGrid> outcome = PictureGrid(png.toStdString(), 3, PictureFit::Crop);
    ASSERT_TRUE(outcome.value) << outcome.message;
    EXPECT_EQ(outcome.value->At(1, 2), Level(51, 255));
}

TEST_F(PictureGridTest, PicturesAreToldFromDataFilesByTheirContent) {
    EXPECT_TRUE(HoldsPicture(Name(Save(Gradient(4, 4), "named.txt", "png"))));
    EXPECT_TRUE(HoldsPicture(Name(Write("levels.pgm", "P2 1 1 9 4\n"))));
    EXPECT_FALSE(HoldsPicture(Name(Write("numbers.png", "  0.5\t-1\n1\t.5\n"))));
    EXPECT_FALSE(HoldsPicture(Name(Write("words.png", "no picture"))));
    EXPECT_FALSE(HoldsPicture(Name(Path("missing"))));
    for (const char* format : {"png", "jpeg", "bmp", "gif", "pgm", "tiff", "webp"})
        EXPECT_TRUE(PictureFormats().contains(format)) << format;
}

} // namespace
