#include "cli/CliOutput.h"

#include <cstdio>

namespace zorva::cli {

namespace {
void Print(std::FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}
} // namespace

void PrintResult(const QString& text)
{
    Print(stdout, text);
}

void PrintError(const QString& text)
{
    Print(stderr, QStringLiteral("zorva-cli: ") + text);
}

void PrintProgress(bool quiet, const QString& text)
{
    if (!quiet) {
        Print(stderr, text);
    }
}

} // namespace zorva::cli
