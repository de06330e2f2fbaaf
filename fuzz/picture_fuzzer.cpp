// The picture loader on any bytes as a picture file, at any grid size: it
// never crashes and never hangs; it gives a grid of that size whose values
// are grey levels in [-1, 1], or a message saying why there is none.
#include "fuzz/byte_reader.h"

#include "picture/picture_grid.h"

#include <QCoreApplication>

#include <cmath>

using namespace quba;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The image readers' plugins are found through the application object.
    static int argc = 1;
    static char name[] = "picture_fuzzer";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
    static const bool quiet = (QuietPictureReaders(), true);
    (void)quiet;

    ByteReader in(data, size);
    const int32_t side = 1 + in.Byte() % 64;
    const PictureFit fit = in.Byte() % 2 == 0 ? PictureFit::Crop : PictureFit::Stretch;
    const std::string_view rest = in.Rest();
    // A smaller limit than the programs' keeps each input quick under the
    // sanitizers; the refusals are the same rule.
    constexpr int64_t kFuzzLimit = int64_t{16} << 20;
    const Outcome<DataGrid> outcome = PictureGrid(std::string(rest), side, fit, kFuzzLimit);
    if (!outcome.value) {
        FUZZ_CHECK(!outcome.message.empty());
        return 0;
    }
    FUZZ_CHECK(outcome.value->Size() == side);
    for (float value : outcome.value->Cells())
        FUZZ_CHECK(std::isfinite(value) && value >= -1.0f && value <= 1.0f);
    return 0;
}
