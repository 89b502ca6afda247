#include "JpegTestData.h"

#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>

namespace zorva::test {

QImage MakeTestPattern(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int r = 255 * x / std::max(1, width - 1);
            const int g = 255 * y / std::max(1, height - 1);
            const int b = ((x / 16 + y / 16) % 2) ? 200 : 40;
            image.setPixelColor(x, y, QColor(r, g, b));
        }
    }
    return image;
}

std::vector<std::uint8_t> EncodeJpeg(const QImage& picture, JpegKind kind, int quality)
{
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);

    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    cinfo.image_width = static_cast<JDIMENSION>(rgb.width());
    cinfo.image_height = static_cast<JDIMENSION>(rgb.height());
    switch (kind) {
    case JpegKind::Grayscale:
        cinfo.input_components = 1;
        cinfo.in_color_space = JCS_GRAYSCALE;
        break;
    case JpegKind::Cmyk:
        cinfo.input_components = 4;
        cinfo.in_color_space = JCS_CMYK;
        break;
    default:
        cinfo.input_components = 3;
        cinfo.in_color_space = JCS_RGB;
        break;
    }
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    if (kind == JpegKind::Progressive) {
        jpeg_simple_progression(&cinfo);
    }
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<unsigned char> row(static_cast<std::size_t>(rgb.width()) * 4);
    for (int y = 0; y < rgb.height(); ++y) {
        const uchar* src = rgb.constScanLine(y);
        for (int x = 0; x < rgb.width(); ++x) {
            const uchar r = src[3 * x], g = src[3 * x + 1], b = src[3 * x + 2];
            switch (kind) {
            case JpegKind::Grayscale:
                row[std::size_t(x)] =
                    static_cast<unsigned char>((r * 299 + g * 587 + b * 114) / 1000);
                break;
            case JpegKind::Cmyk:
                // libjpeg marks CMYK files with an Adobe marker, and such files store the inks
                // inverted (255 = no ink): C, M, Y are then R, G, B and K is 255.
                row[std::size_t(4 * x)] = r;
                row[std::size_t(4 * x + 1)] = g;
                row[std::size_t(4 * x + 2)] = b;
                row[std::size_t(4 * x + 3)] = 255;
                break;
            default:
                row[std::size_t(3 * x)] = r;
                row[std::size_t(3 * x + 1)] = g;
                row[std::size_t(3 * x + 2)] = b;
                break;
            }
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::vector<std::uint8_t> out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

double MeanChannelDifference(const QImage& a, const QImage& b)
{
    if (a.size() != b.size() || a.isNull()) {
        return -1;
    }
    double sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QColor p = a.pixelColor(x, y);
            const QColor q = b.pixelColor(x, y);
            sum += std::abs(p.red() - q.red()) + std::abs(p.green() - q.green()) +
                   std::abs(p.blue() - q.blue());
        }
    }
    return sum / (3.0 * a.width() * a.height());
}

int MaxChannelDifference(const QImage& a, const QImage& b)
{
    if (a.size() != b.size()) {
        return -1;
    }
    int worst = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QColor p = a.pixelColor(x, y);
            const QColor q = b.pixelColor(x, y);
            worst = std::max({worst, std::abs(p.red() - q.red()), std::abs(p.green() - q.green()),
                              std::abs(p.blue() - q.blue())});
        }
    }
    return worst;
}

} // namespace zorva::test
