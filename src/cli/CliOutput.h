// Where zorva-cli writes: results to standard output, progress and errors to standard error
// (progress not at all with --quiet).
#pragma once

#include <QString>

namespace zorva::cli {

void PrintResult(const QString& text);
void PrintError(const QString& text);
// Nothing when `quiet`.
void PrintProgress(bool quiet, const QString& text);

} // namespace zorva::cli
