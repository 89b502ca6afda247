#include "cli/CliOutput.h"

#include "cli/CliConsole.h"

namespace zorva::cli {

void PrintResult(const QString& text)
{
    WriteText(stdout, text + u'\n');
}

void PrintError(const QString& text)
{
    WriteText(stderr, QStringLiteral("zorva-cli: ") + text + u'\n');
}

void PrintProgress(bool quiet, const QString& text)
{
    if (!quiet) {
        WriteText(stderr, text + u'\n');
    }
}

} // namespace zorva::cli
