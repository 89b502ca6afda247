#include "JpegDecoder.h"

#include <array>
#include <memory>

#include "preview/JpegCore.h"

namespace zorva {
namespace {

struct DecoderDeleter {
    void operator()(zj_decoder* d) const { zj_destroy(d); }
};
using DecoderPtr = std::unique_ptr<zj_decoder, DecoderDeleter>;

// Undecoded rows show as mid grey, the colour libjpeg gives blocks that have no data.
constexpr int kMissingGrey = 0x80;
// Rows asked of libjpeg per call; it hands out at most a few at a time anyway.
constexpr int kRowsPerCall = 16;

JpegPicture NoHeader(const QString& message)
{
    JpegPicture result;
    result.outcome = JpegPicture::NoHeader;
    result.message = message;
    return result;
}

} // namespace

JpegPicture DecodeJpeg(std::span<const std::uint8_t> data, const JpegLimits& limits,
                       const JpegRowsDecoded& progress, int progressRows)
{
    DecoderPtr decoder(zj_create());
    if (!decoder) {
        return NoHeader(QStringLiteral("out of memory"));
    }
    int width = 0;
    int height = 0;
    if (!zj_read_header(decoder.get(), data.data(), data.size(), limits.maxWorkingMemory, &width,
                        &height)) {
        return NoHeader(QString::fromLatin1(zj_message(decoder.get())));
    }
    if (width <= 0 || height <= 0 || qint64(width) * height > limits.maxPixels) {
        return NoHeader(
            QStringLiteral("picture of %1 x %2 pixels is too large").arg(width).arg(height));
    }

    JpegPicture result;
    result.image = QImage(width, height, QImage::Format_RGB888);
    if (result.image.isNull()) {
        return NoHeader(QStringLiteral("out of memory for %1 x %2 pixels").arg(width).arg(height));
    }
    result.image.fill(QColor(kMissingGrey, kMissingGrey, kMissingGrey));

    bool ok = zj_start(decoder.get()) != 0;
    int row = 0;
    int lastReported = 0;
    while (ok && row < height) {
        std::array<unsigned char*, kRowsPerCall> rows{};
        const int want = std::min(kRowsPerCall, height - row);
        for (int i = 0; i < want; ++i) {
            rows[std::size_t(i)] = result.image.scanLine(row + i);
        }
        int got = 0;
        ok = zj_read_rows(decoder.get(), rows.data(), want, &got) != 0;
        row += got;
        if (ok && got == 0) {
            break; // libjpeg has no more rows to give
        }
        if (progress && progressRows > 0 && row - lastReported >= progressRows && row < height) {
            lastReported = row;
            progress(result.image, row);
        }
    }

    if (!ok) {
        result.outcome = JpegPicture::Partial;
        result.message = QString::fromLatin1(zj_message(decoder.get()));
    } else if (row < height) {
        result.outcome = JpegPicture::Partial;
        result.message = QStringLiteral("JPEG data ended after %1 of %2 rows").arg(row).arg(height);
    } else if (zj_warnings(decoder.get()) > 0) {
        result.outcome = JpegPicture::Partial;
        result.message =
            QStringLiteral("corrupt JPEG data (%1 warnings)").arg(zj_warnings(decoder.get()));
    } else {
        result.outcome = JpegPicture::Decoded;
    }
    return result;
}

} // namespace zorva
