// Decodes a JPEG file held in memory into an RGB picture with libjpeg. Failures come back as
// a result: an unreadable header gives no picture; damaged or missing picture data gives the
// rows that decoded, the rest grey.
#pragma once

#include <cstdint>
#include <functional>
#include <span>

#include <QImage>
#include <QString>

namespace zorva {

struct JpegPicture {
    enum Outcome {
        Decoded,  // the whole picture decoded cleanly
        Partial,  // the header read, but the data was damaged or cut short
        NoHeader, // no readable JPEG header: no picture
    };
    Outcome outcome = NoHeader;
    QImage image;    // Format_RGB888; null for NoHeader
    QString message; // why the outcome is not Decoded
};

struct JpegLimits {
    // Larger pictures are refused as unreadable. A module picture is far smaller; the limit
    // keeps a forged header from asking for gigabytes.
    qint64 maxPixels = 4096 * 4096;
    long maxWorkingMemory = 128L * 1024 * 1024;
};

// Called with the picture being decoded and the number of rows decoded so far.
using JpegRowsDecoded = std::function<void(const QImage& image, int rows)>;

// `progress`, when set, is called after every `progressRows` decoded rows and must not keep a
// reference to the image (the decoder goes on writing into it).
JpegPicture DecodeJpeg(std::span<const std::uint8_t> data, const JpegLimits& limits = {},
                       const JpegRowsDecoded& progress = {}, int progressRows = 64);

} // namespace zorva
