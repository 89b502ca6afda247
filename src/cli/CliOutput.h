// Where zorva-cli writes: results to standard output, progress and errors to standard error
// (progress not at all with --quiet), or, for a command that the fleet runs on a thread of its
// own, into what the fleet reads of it.
#pragma once

#include <QDateTime>
#include <QString>

namespace zorva::cli {

void PrintResult(const QString& text);
void PrintError(const QString& text);
// Nothing when `quiet`.
void PrintProgress(bool quiet, const QString& text);

// What a command said: its standard output and error.
struct CapturedOutput {
    QString out, err;
    QDateTime outAt; // when its first result was printed
};

// While it lives, what this thread prints goes into `into` instead.
class CaptureOutput {
public:
    explicit CaptureOutput(CapturedOutput& into);
    ~CaptureOutput();
    CaptureOutput(const CaptureOutput&) = delete;
    CaptureOutput& operator=(const CaptureOutput&) = delete;

private:
    CapturedOutput* outer_;
};

} // namespace zorva::cli
