#include "cli/ReportCommand.h"

#include <cstring>

#include <QDateTime>
#include <QDir>
#include <QSysInfo>

#include "cli/CliOutput.h"
#include "cli/CliSession.h"
#include "cli/LinkCommands.h"
#include "config/ConfigHistory.h"
#include "link/LinkCore.h"
#include "link/ModuleReport.h"
#include "report/ServiceReport.h"
#include "shell/LanguageTexts.h"

namespace zorva::cli {

namespace {

// One picture of `camera`, as `picture` fetches it; a refusal or a lost link is noted in the
// picture, an interruption ends the command (*end).
ReportPicture FetchPicture(CliSession& session, int camera, WaitEnd* end)
{
    CliPreview& preview = session.preview();
    CliView& view = session.view();
    ReportPicture picture;
    picture.camera = camera;
    const auto refusal = [&] { return view.PictureRefusal(); };
    view.reports.clear();
    view.errors.clear();
    preview.picture.clear();
    preview.camera = camera;
    preview.SB_playClick();
    session.Progress(QStringLiteral("picture of camera %1").arg(QLatin1Char("ABCD"[camera])));
    *end = session.RunUntil([&] {
        return !preview.picture.isEmpty() || refusal() || !view.errors.isEmpty() ||
               !session.Connected();
    });
    session.core().setPictcnt(kPictStopped);
    // A packet asked for before the stop (the next picture starts as soon as a status reply
    // follows a complete one) carries no camera: answered after the next camera's first request,
    // it would be taken as that camera's packet. The module answers in order, so the packets
    // are in once a status request written after the stop is answered; the first status reply
    // may answer one written before it.
    // A silent or lost line has nothing in flight worth a second wait.
    if (*end == WaitEnd::kDone && session.Connected()) {
        const std::uint64_t stopped = session.StatusAnswers();
        const WaitEnd drained = session.RunUntil(
            [&] { return session.StatusAnswers() >= stopped + 2 || !session.Connected(); });
        if (drained == WaitEnd::kInterrupted) {
            *end = drained;
        }
    }
    if (const auto report = refusal()) {
        picture.missing = ModuleReportText(*report);
    } else if (!view.errors.isEmpty()) {
        picture.missing = view.errors.join(u' ');
    } else if (preview.picture.isEmpty()) {
        picture.missing = Texts().txtNoConnection;
    } else {
        picture.jpeg = preview.picture;
        picture.taken = QDateTime::currentDateTime();
    }
    return picture;
}

} // namespace

bool NeedsGui(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "report") == 0) {
            return true;
        }
    }
    return false;
}

int RunReport(const CliOptions& options)
{
    int code = kDone;
    const auto session = ConnectForReport(options, &code);
    if (code != kDone) {
        return code;
    }
    LinkCore& core = session->core();
    std::vector<ReportPicture> pictures;
    for (const int camera : ReportCameras(session->config(), core.statbuf())) {
        WaitEnd end = WaitEnd::kDone;
        pictures.push_back(FetchPicture(*session, camera, &end));
        if (end == WaitEnd::kInterrupted) {
            return ReportWaitFailed(*session, options, end);
        }
        if (!pictures.back().missing.isEmpty()) {
            PrintProgress(options.quiet,
                          Texts().txtReportPictureFailed.arg(QString(QLatin1Char("ABCD"[camera])),
                                                             pictures.back().missing));
        }
    }
    const ReportVisit visit{QDateTime::currentDateTime(), QSysInfo::machineHostName(),
                            options.technicianGiven ? options.technician : StoredTechnician(),
                            options.remarks, QStringLiteral("zorva-cli " ZORVA_VERSION)};
    const ReportLink link{core.statbuf(), core.FirmwareVersion(), core.ReportedFmwDate()};
    // The history that the session's read went into: the visit's reads and writes.
    const ConfigHistory history(DefaultHistoryFolder(), kHistoryKeepDefault);
    const ServiceReport report = BuildServiceReport(
        visit, link, session->config(), session->network(), &history, std::move(pictures));
    QString error;
    if (!WriteServiceReportPdf(report, options.files[0], &error)) {
        PrintError(error);
        return kFailed;
    }
    PrintResult(QStringLiteral("report of %1 written to %2")
                    .arg(session->DeviceName(), QDir::toNativeSeparators(options.files[0])));
    return kDone;
}

} // namespace zorva::cli
