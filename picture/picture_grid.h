// Pictures made into grids: PNG, JPEG, BMP, GIF, PBM/PGM/PPM, TIFF, WebP and
// whatever else the platform's image readers take. A picture is turned
// upright as its EXIF orientation says, composited over white, made grey with
// the luma weights 0.299, 0.587 and 0.114 on its stored values (at 16 bits
// where the file has them), and area-averaged to N x N; black is -1 and
// white +1.
#pragma once

#include "core/grid.h"
#include "core/outcome.h"
#include "data/area_average.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <string>

namespace quba {

// A picture that would need more memory than this to decode, its decoder's
// working memory included, is refused before it is decoded.
inline constexpr int64_t kPictureMemoryLimit = int64_t{256} << 20;
// A larger file is refused unread: no picture that decodes within the limit
// is stored in more bytes.
inline constexpr int64_t kLargestPictureFile = int64_t{1} << 30;

// File names are the bytes of the name as the user gave them
// (QFile::encodeName of a name a dialog chose).

// Whether the file holds a picture, told by its content, not its name: a
// text that begins with a decimal number is a data file.
bool HoldsPicture(const std::string& path);
// A file that cannot be opened gives "Cannot open file" and its name; a
// refused picture "Cannot read the picture", its name and why.
Outcome<DataGrid> ReadPictureGrid(const std::string& path, int32_t size, PictureFit fit);
// The same for the bytes of a picture file; the message says only why. A
// picture that would need more than `limit` bytes to decode is refused.
Outcome<DataGrid> PictureGrid(std::string bytes, int32_t size, PictureFit fit,
                              int64_t limit = kPictureMemoryLimit);

// The grid of a decoded image.
DataGrid ImageGrid(const QImage& image, int32_t size, PictureFit fit);

// The format names the readers of this installation take, such as "png".
QStringList PictureFormats();

// Silences the image readers' own warnings on standard error (a cut JPEG, an
// odd colour profile): a refused picture says why in its own message.
void QuietPictureReaders();

} // namespace quba
