// A configuration file's contents: exactly the 2048 bytes of the configuration record, read and
// written as one block. No dialogs here; the window's file commands and the command-line
// program both use it.
#pragma once

#include <QString>

#include "config/ConfigRecord.h"

namespace zorva {

// Reads the first 2048 bytes of the file into `buffer`. The file is opened for reading only.
// A file that cannot be opened or read, or is shorter than 2048 bytes, gives false and leaves
// `buffer` as it was; a longer file gives its first 2048 bytes. Reports nothing.
bool LoadBlock(const QString& fileName, ConfigRecord::Image& buffer);

// Writes the 2048 bytes as the whole file. The new content replaces the old one only once it
// has been written completely, so a failed write leaves an existing file as it was. Where the
// new content cannot be put in place that way (a folder the user may not write), an existing
// file is written in place.
// Reports nothing; false on any failure.
bool SaveBlock(const QString& fileName, const ConfigRecord::Image& buffer);

// The in-place step of SaveBlock alone: overwrites the first 2048 bytes of an existing file
// (never truncating it first), then sets its size to 2048. False on any failure, and when no
// file exists at the path.
bool WriteBlockInPlace(const QString& fileName, const ConfigRecord::Image& buffer);

} // namespace zorva
