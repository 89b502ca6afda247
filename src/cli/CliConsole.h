// How text reaches a standard stream of zorva-cli, one file per system: UTF-8 on POSIX; on
// Windows UTF-16 through the console when the stream is a console (its code page would garble
// Polish text), UTF-8 when it is redirected.
#pragma once

#include <cstdio>

#include <QString>

namespace zorva::cli {

// Writes `text` as it is (no line end added) and flushes the stream.
void WriteText(std::FILE* stream, const QString& text);

// Before Qt Gui starts: a platform that needs no display, unless the environment chose one.
void PrepareGuiPlatform();

} // namespace zorva::cli
