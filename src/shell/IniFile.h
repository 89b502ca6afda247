// A small reader for ini files: "[section]" lines, "key=value" lines, ";" comment lines.
// Section and key names compare without regard to case; blanks around names and values are
// trimmed. The file is read as 8-bit text (Windows-1250). The file is only ever read.
#pragma once

#include <QString>

namespace zorva {

// The value of `key` in `section` of the file at `path`, or `defaultValue` when the file, the
// section or the key is missing.
QString ReadIniString(const QString& path, const QString& section, const QString& key,
                      const QString& defaultValue = {});

} // namespace zorva
