// The program's version as the about box shows it. The four numbers come from the top-level
// project's VERSION, so the version is written in one place only: on Linux compiled in, on
// Windows read back from the executable's version resource (ProgramVersion*.cpp).
#pragma once

#include <cstdint>

#include <QString>

namespace zorva {

struct FileVersion {
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::uint32_t release = 0;
    std::uint32_t build = 0;
};

// The version this program was built as; all zero when the version resource cannot be read.
FileVersion ProgramFileVersion();

// Each number's lowest 8 bits: major "." minor and release side by side "." build in three
// digits, so 1.0.2.0 reads "1.02.000" and build 7 ends in ".007".
QString FileVersionText(const FileVersion& version);

// The maker's line under the version.
inline const QString kMakerLine = QStringLiteral("Nurvo 2026");

// "Zorva v " + version text + " " + two carriage returns + maker's line.
QString VersionLine(const QString& versionText, const QString& makerLine = kMakerLine);

} // namespace zorva
