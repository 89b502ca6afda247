// Where complete pictures are saved: one file per picture in the temporary folder, named after
// the picture's tag and a counter that runs 1..500, 0, 1, ... so that at most 501 files pile up.
#pragma once

#include <cstdint>
#include <span>

#include <QString>

namespace zorva {

constexpr int kLastPictureNumber = 500;

// The counter after one more picture: 1, 2, ..., 500, then 0.
int NextPictureNumber(int number);

// folder + "zr_p" + the tag in upper-case hexadecimal (at least two digits) + "_" + the number
// in at least three decimal digits + ".jpg". `folder` ends in a separator or is empty (then the
// name is bare and lands in the current folder).
QString PictureFileName(const QString& folder, std::uint8_t tag, int number);

// The folder for temporary files with its trailing separator; empty when there is none.
QString PictureFolder();

// Writes `bytes` to `path`, replacing a file of that name only once the new one is complete.
// Returns false and sets *error when the file cannot be written.
bool SavePictureFile(const QString& path, std::span<const std::uint8_t> bytes,
                     QString* error = nullptr);

} // namespace zorva
