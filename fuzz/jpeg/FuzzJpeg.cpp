// Feeds arbitrary bytes to the preview's JPEG decoding path and checks what it promises:
// no readable header gives no picture; otherwise a 24-bit picture of the header's size within
// the pixel limit, and progress reports that only move forward within the picture.
#include <cstddef>
#include <cstdint>

#include "preview/JpegDecoder.h"

namespace {

void Check(bool condition)
{
    if (!condition) {
        __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    zorva::JpegLimits limits;
    // Smaller than the window's limit so that a forged header decodes quickly; the path is
    // the same.
    limits.maxPixels = 1024 * 1024;
    int lastRows = 0;
    int reportedHeight = -1;
    const zorva::JpegPicture picture = zorva::DecodeJpeg(
        std::span<const std::uint8_t>(data, size), limits,
        [&](const QImage& partial, int rows) {
            Check(rows > lastRows && rows < partial.height());
            lastRows = rows;
            reportedHeight = partial.height();
        },
        16);

    if (picture.outcome == zorva::JpegPicture::NoHeader) {
        Check(picture.image.isNull());
        Check(reportedHeight == -1);
        return 0;
    }
    Check(!picture.image.isNull());
    Check(picture.image.format() == QImage::Format_RGB888);
    Check(qint64(picture.image.width()) * picture.image.height() <= limits.maxPixels);
    Check(reportedHeight == -1 || reportedHeight == picture.image.height());
    Check((picture.outcome == zorva::JpegPicture::Decoded) == picture.message.isEmpty());
    return 0;
}
