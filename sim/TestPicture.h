// Generated test pictures: a 320 x 240 colour picture showing the camera letter, a running
// counter and the module's clock, encoded as a real JPEG with libjpeg. Its comment (a COM
// segment near the start, in packet 0) says the same: "ZORVA camera A picture 7", so that a
// test can tell whose picture it holds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zorva::sim {

constexpr int kTestPictureWidth = 320;
constexpr int kTestPictureHeight = 240;

// camera 0..3 for A..D; clockText as the module shows it, for example "2011-03-15 14:05:09".
std::vector<std::uint8_t> MakeTestPicture(int camera, unsigned counter,
                                          const std::string& clockText);

// Encodes interleaved RGB pixels (width * height * 3 bytes), with a comment when one is given;
// empty on failure.
std::vector<std::uint8_t> EncodeJpeg(const std::vector<std::uint8_t>& rgb, int width, int height,
                                     int quality, const std::string& comment = {});

} // namespace zorva::sim
