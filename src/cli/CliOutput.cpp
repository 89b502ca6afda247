#include "cli/CliOutput.h"

#include "cli/CliConsole.h"

namespace zorva::cli {

namespace {
thread_local CapturedOutput* tCaptured = nullptr;

void Write(bool result, const QString& text)
{
    if (tCaptured == nullptr) {
        WriteText(result ? stdout : stderr, text);
    } else if (result) {
        if (!tCaptured->outAt.isValid()) {
            tCaptured->outAt = QDateTime::currentDateTime();
        }
        tCaptured->out += text;
    } else {
        tCaptured->err += text;
    }
}
} // namespace

void PrintResult(const QString& text)
{
    Write(true, text + u'\n');
}

void PrintError(const QString& text)
{
    Write(false, QStringLiteral("zorva-cli: ") + text + u'\n');
}

void PrintProgress(bool quiet, const QString& text)
{
    if (!quiet) {
        Write(false, text + u'\n');
    }
}

CaptureOutput::CaptureOutput(CapturedOutput& into) : outer_(tCaptured)
{
    tCaptured = &into;
}

CaptureOutput::~CaptureOutput()
{
    tCaptured = outer_;
}

} // namespace zorva::cli
