// Real JPEG data for the preview tests, made with libjpeg's compressor.
#pragma once

#include <cstdint>
#include <vector>

#include <QImage>

namespace zorva::test {

enum class JpegKind { Baseline, Progressive, Grayscale, Cmyk };

// A picture with a different colour in every region, so that misplaced rows show.
QImage MakeTestPattern(int width, int height);

std::vector<std::uint8_t> EncodeJpeg(const QImage& picture, JpegKind kind = JpegKind::Baseline,
                                     int quality = 95);

// Mean difference of the colour channels of two pictures of the same size (-1 when the sizes
// differ). JPEG is lossy and blurs sharp edges, so the mean says more than the worst pixel.
double MeanChannelDifference(const QImage& a, const QImage& b);

// Largest difference of any colour channel between two pictures of the same size
// (-1 when the sizes differ).
int MaxChannelDifference(const QImage& a, const QImage& b);

} // namespace zorva::test
