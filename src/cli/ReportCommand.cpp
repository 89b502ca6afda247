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

// One picture of `camera`, as `picture` fetches it, but a wrong packet number (0xDD) starts the
// picture again as the window does. A refusal is noted in the picture; a lost link, silence or
// an interruption ends the wait without one (*end).
ReportPicture FetchPicture(CliSession& session, int camera, WaitEnd* end)
{
    CliPreview& preview = session.preview();
    CliView& view = session.view();
    LinkCore& core = session.core();
    ReportPicture picture;
    picture.camera = camera;
    const auto refusal = [&] { return view.PictureRefusal(true); };
    view.reports.clear();
    view.errors.clear();
    preview.picture.clear();
    preview.camera = camera;
    // Packets of the camera before, still on the line, are not taken into this picture.
    preview.SB_playClick();
    session.Progress(QStringLiteral("picture of camera %1").arg(QLatin1Char("ABCD"[camera])));
    *end = session.RunUntil([&] {
        return !preview.picture.isEmpty() || refusal() || core.pictcnt() == kPictStopped ||
               !session.Connected();
    });
    core.setPictcnt(kPictStopped);
    if (*end == WaitEnd::kDone && !session.Connected()) {
        *end = WaitEnd::kLinkLost;
    }
    if (const auto report = refusal()) {
        picture.missing = ModuleReportText(*report);
    } else if (!preview.picture.isEmpty()) {
        picture.jpeg = preview.picture;
        picture.taken = QDateTime::currentDateTime();
    } else {
        // The link core gave the picture up (too many packets): its message says why.
        picture.missing = view.errors.isEmpty() ? Texts().txtReportNoPicture : view.errors.last();
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
    // The module as found: what it said before the pictures were asked for.
    const Bytes status = core.statbuf();
    const QString firmware = core.FirmwareVersion();
    const QString firmwareDate = core.ReportedFmwDate();
    ConfigRecord module;
    module.Load(core.LatestRead().value_or(session->config().FileImage()));
    const NetworkRecord network = session->network();

    std::vector<ReportPicture> pictures;
    for (const int camera : ReportCameras(module, status)) {
        WaitEnd end = WaitEnd::kDone;
        pictures.push_back(FetchPicture(*session, camera, &end));
        // A report written now would show a module that may no longer be as it says.
        if (end != WaitEnd::kDone) {
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
    const ReportLink link{status, firmware, firmwareDate};
    // The history that the session's read went into: the visit's reads and writes.
    const ConfigHistory history(DefaultHistoryFolder(), kHistoryKeepDefault);
    const ServiceReport report =
        BuildServiceReport(visit, link, module, network, &history, std::move(pictures));
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
