#include "cli/PortAuto.h"

#include <QDir>
#include <QEventLoop>
#include <QTimer>

#include "cli/CliOutput.h"
#include "cli/CliSession.h"
#include "link/StatusProbe.h"
#include "serial/ports/PortList.h"
#include "serial/ports/PortSearch.h"
#include "shell/LanguageTexts.h"

namespace zorva::cli {

namespace {

constexpr int kCheckMs = 10;

// The ports the dialog lists, in its order.
QStringList Candidates()
{
    const QString named = qEnvironmentVariable(kPortCandidatesVariable);
    if (!named.isEmpty()) {
        return named.split(QDir::listSeparator(), Qt::SkipEmptyParts);
    }
    QStringList names;
    for (const PortEntry& entry : OrderPortList(PlatformPorts())) {
        names.append(entry.name);
    }
    return names;
}

} // namespace

bool IsAutoPort(const QString& port)
{
    return port.compare(QLatin1String("auto"), Qt::CaseInsensitive) == 0;
}

int FindModulePort(CliOptions& options)
{
    PortSearch search(StatusProbe());
    QObject::connect(&search, &PortSearch::Trying, [&options](const QString& candidate) {
        PrintProgress(options.quiet, Texts().txtSearchingOn.arg(candidate));
    });
    QEventLoop loop;
    QObject::connect(&search, &PortSearch::Finished, &loop, &QEventLoop::quit);
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &search, [&search] {
        if (Interrupted()) {
            search.Cancel();
        }
    });
    check.start(kCheckMs);
    // The session's line: the port component's defaults, DTR and RTS on as the link core has them.
    PortLine line;
    line.dtr = true;
    line.rts = true;
    search.Start(Candidates(), line);
    loop.exec();

    const PortSearchResult& result = search.Result();
    if (result.cancelled) {
        PrintError(QStringLiteral("interrupted"));
        return kInterrupted;
    }
    if (result.found.isEmpty()) {
        PrintError(Texts().txtNoModuleFound);
        if (!result.passedOver.empty()) {
            PrintProgress(false, Texts().txtPortsPassedOver);
        }
        for (const PortFailure& failure : result.passedOver) {
            PrintProgress(false, PortFailureLine(failure));
        }
        return kNoAnswer;
    }
    PrintProgress(false, Texts().txtModuleFoundOn.arg(result.found));
    options.port = result.found;
    return kDone;
}

} // namespace zorva::cli
