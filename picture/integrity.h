// Whether a picture file holds all the data its own structure promises. The
// platform's JPEG, GIF and BMP readers fill what a cut file lacks without a
// word, so a cut file is caught here.
#pragma once

#include <string_view>

namespace quba {

// `format` is the reader's name for the file's format ("jpeg", "gif", "bmp");
// other formats are complete as far as this check goes.
bool IsComplete(std::string_view bytes, std::string_view format);

} // namespace quba
