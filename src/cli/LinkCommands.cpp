#include "cli/LinkCommands.h"

#include <cstdlib>
#include <memory>

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include "cli/CliOutput.h"
#include "cli/CliSession.h"
#include "cli/FileCommands.h"
#include "config/ConfigBlock.h"
#include "link/EventDecoder.h"
#include "link/LinkCore.h"
#include "serial/DeviceNames.h"
#include "serial/StoredPort.h"
#include "serial/network/NetworkNames.h"
#include "shell/LanguageTexts.h"
#include "shell/SettingsStore.h"

namespace zorva::cli {

namespace {

constexpr std::size_t kStatusLayout = 18;

std::unique_ptr<CliSession> MakeSession(const CliOptions& options)
{
    const QString port = options.port.isEmpty() ? StoredPortName() : options.port;
    const bool quiet = options.quiet;
    auto session =
        std::make_unique<CliSession>(port, options.timeoutSeconds * 1000,
                                     [quiet](const QString& text) { PrintProgress(quiet, text); });
    session->view().polish = options.lang == QLatin1String("pl");
    return session;
}

// Prints why a wait ended without its result; the exit code. A port that is not open at the
// end is the reason, whatever else ran out.
int WaitFailed(CliSession& session, const CliOptions& options, WaitEnd end)
{
    if (end == WaitEnd::kInterrupted) {
        PrintError(QStringLiteral("interrupted"));
        return kInterrupted;
    }
    if (!session.PortOpen()) {
        PrintError(
            QStringLiteral("port %1 lost: %2").arg(session.DeviceName(), session.PortReason()));
        return kPortNotOpened;
    }
    if (end == WaitEnd::kLinkLost) {
        PrintError(QStringLiteral("no answer from the module on %1: the link was lost (no reply "
                                  "to the requests repeated)")
                       .arg(session.DeviceName()));
    } else {
        PrintError(QStringLiteral("no answer from the module on %1: silent for %2 s")
                       .arg(session.DeviceName())
                       .arg(options.timeoutSeconds));
    }
    return kNoAnswer;
}

// Opens the port and waits for the module; kDone, or the exit code after printing why.
int Connect(CliSession& session, const CliOptions& options, bool waitForRead)
{
    QString reason;
    if (!session.Open(&reason)) {
        if (Interrupted()) {
            PrintError(QStringLiteral("interrupted"));
            return kInterrupted;
        }
        PrintError(QStringLiteral("port %1 not opened: %2").arg(session.DeviceName(), reason));
        return kPortNotOpened;
    }
    session.Progress(QStringLiteral("%1 opened, waiting for the module").arg(session.DeviceName()));
    const WaitEnd end = session.RunUntil([&] {
        return session.Unsupported() ||
               (waitForRead ? session.ConfigurationRead() : session.Connected());
    });
    if (session.Unsupported()) {
        PrintError(session.view().unsupported.replace(u'\r', u' ').simplified());
        return kFailed;
    }
    return end == WaitEnd::kDone ? kDone : WaitFailed(session, options, end);
}

// A file that the command will write goes into a folder that exists: checked before the module
// is asked for anything.
bool OutputFolderExists(const QString& file)
{
    const QFileInfo info(file);
    if (!info.absoluteDir().exists()) {
        PrintError(QStringLiteral("%1: the folder %2 does not exist")
                       .arg(file, QDir::toNativeSeparators(info.absolutePath())));
        return false;
    }
    if (info.isDir()) {
        PrintError(QStringLiteral("%1: is a folder").arg(file));
        return false;
    }
    return true;
}

QString Letters(std::uint8_t bits, const char* names)
{
    QStringList letters;
    for (int i = 0; i < 4; ++i) {
        if ((bits >> i) & 1) {
            letters << QString(QLatin1Char(names[i]));
        }
    }
    return letters.isEmpty() ? QStringLiteral("-") : letters.join(u' ');
}

// ISO 8601 with the offset from UTC written out, "+00:00" included.
QString TimeWithOffset(const QDateTime& time)
{
    const int offset = time.offsetFromUtc();
    return time.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) + (offset < 0 ? u'-' : u'+') +
           QStringLiteral("%1:%2")
               .arg(std::abs(offset) / 3600, 2, 10, QLatin1Char('0'))
               .arg(std::abs(offset) / 60 % 60, 2, 10, QLatin1Char('0'));
}

// One line of `events --json`: the time received, the code and text, the arguments typed.
QString EventJson(const DecodedEvent& event)
{
    QJsonArray arguments;
    for (qsizetype i = 0; i < event.arguments.size(); ++i) {
        if (event.kinds[i] == QLatin1String("int")) {
            arguments.append(event.arguments[i].toInt());
        } else {
            arguments.append(event.arguments[i]);
        }
    }
    const QJsonObject line{{QStringLiteral("time"), TimeWithOffset(QDateTime::currentDateTime())},
                           {QStringLiteral("code"), event.code},
                           {QStringLiteral("text"), event.text},
                           {QStringLiteral("arguments"), arguments}};
    return QString::fromUtf8(QJsonDocument(line).toJson(QJsonDocument::Compact));
}

} // namespace

QString StoredPortName()
{
    // The window program's rule, also for COM9 and above where the platform keeps the name.
    QString name;
    return ReadStoredDeviceName(&name) ? name : DeviceNameForPort(1);
}

bool StoredLanguageIsPolish()
{
    std::uint8_t pl = 0;
    RegReadBytes(kRegKey, QStringLiteral("pl"), &pl, 1);
    return pl != 0;
}

int RunStatus(const CliOptions& options)
{
    auto session = MakeSession(options);
    if (const int code = Connect(*session, options, false); code != kDone) {
        return code;
    }
    Bytes status = session->core().statbuf();
    status.resize(std::max(status.size(), kStatusLayout), 0);
    const QString firmware = session->core().FirmwareVersion();
    const QDateTime clock(QDate(status[0] | (status[1] << 8), status[2], status[3]),
                          QTime(status[4], status[5], status[6]));
    const QString clockText = clock.isValid()
                                  ? clock.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                                  : session->view().right.trimmed();
    const std::uint8_t cameras = status[16];
    const std::uint8_t inputs = status[17];
    // A network address keeps its slashes.
    const QString path = DevicePathOf(session->DeviceName());
    const QString device =
        serial::IsNetworkName(path.toStdString()) ? path : QDir::toNativeSeparators(path);
    if (options.json) {
        QJsonObject channels;
        for (int c = 0; c < 4; ++c) {
            channels.insert(QString(QLatin1Char("ABCD"[c])),
                            QJsonObject{{QStringLiteral("present"), ((cameras >> c) & 1) != 0},
                                        {QStringLiteral("on"), ((cameras >> (c + 4)) & 1) != 0}});
        }
        QJsonObject in;
        for (int i = 0; i < 8; ++i) {
            in.insert(QStringLiteral("In") + QLatin1Char("ABCDEFGH"[i]), ((inputs >> i) & 1) != 0);
        }
        const QJsonObject result{
            {QStringLiteral("port"), session->DeviceName()}, {QStringLiteral("device"), device},
            {QStringLiteral("firmware"), firmware},          {QStringLiteral("clock"), clockText},
            {QStringLiteral("cameras"), channels},           {QStringLiteral("inputs"), in}};
        PrintResult(QString::fromUtf8(QJsonDocument(result).toJson().trimmed()));
        return kDone;
    }
    PrintResult(QStringLiteral("port:            %1").arg(session->DeviceName()));
    PrintResult(QStringLiteral("device:          %1").arg(device));
    PrintResult(QStringLiteral("firmware:        %1").arg(firmware));
    PrintResult(QStringLiteral("clock:           %1").arg(clockText));
    PrintResult(QStringLiteral("cameras present: %1").arg(Letters(cameras & 0x0F, "ABCD")));
    PrintResult(QStringLiteral("cameras on:      %1").arg(Letters(cameras >> 4, "ABCD")));
    PrintResult(QStringLiteral("inputs active:   %1 %2")
                    .arg(Letters(inputs & 0x0F, "ABCD"), Letters(inputs >> 4, "EFGH")));
    return kDone;
}

int RunRead(const CliOptions& options)
{
    if (!OutputFolderExists(options.files[0])) {
        return kFailed;
    }
    auto session = MakeSession(options);
    if (const int code = Connect(*session, options, true); code != kDone) {
        return code;
    }
    // The record as the window holds it after the read, refresh included: what Save writes.
    if (!SaveBlock(options.files[0], session->config().FileImage())) {
        PrintError(QStringLiteral("%1: could not be written").arg(options.files[0]));
        return kFailed;
    }
    PrintResult(QStringLiteral("read %1 into %2").arg(session->DeviceName(), options.files[0]));
    return kDone;
}

int RunWrite(const CliOptions& options)
{
    ConfigRecord prepared;
    if (const int code = PrepareRecord(options.files[0], options.sets, prepared); code != kDone) {
        return code;
    }
    auto session = MakeSession(options);
    // The read that connecting starts clears the record; the file goes in after it.
    if (const int code = Connect(*session, options, true); code != kDone) {
        return code;
    }
    session->config().Load(prepared.FileImage());
    session->view().ShowConfig();
    LinkCore& core = session->core();
    CliView& view = session->view();
    view.memo1.clear();
    core.ToolButton3Click();
    session->Progress(
        QStringLiteral("writing %1 to %2").arg(options.files[0], session->DeviceName()));

    bool checking = false;
    const auto refused = [&] { return view.information.contains(Texts().txtNotWritten); };
    const WaitEnd end = session->RunUntil([&] {
        if (!checking && core.writeCheck() != LinkCore::WriteCheck::None) {
            checking = true;
            session->Progress(QStringLiteral("written; the module restarts and is read back"));
        }
        return refused() || (checking && core.writeCheck() == LinkCore::WriteCheck::None) ||
               (!checking && !core.writeit());
    });
    if (refused()) {
        PrintError(QStringLiteral("write not verified: the module refused it (0xBB)"));
        return kWriteNotVerified;
    }
    if (end == WaitEnd::kInterrupted && checking) {
        PrintError(QStringLiteral("interrupted: the module acknowledged the write (0xAA); it was "
                                  "sent but not checked"));
        return kInterrupted;
    }
    if (end != WaitEnd::kDone && !checking) {
        return WaitFailed(*session, options, end);
    }
    if (!checking) {
        // The link was lost before the module acknowledged the write.
        return WaitFailed(*session, options, WaitEnd::kLinkLost);
    }
    if (end == WaitEnd::kSilent) {
        // Acknowledged, but the module stayed silent after its restart.
        PrintError(QStringLiteral("write not verified: ") + Texts().txtWriteNotVerified);
        return kWriteNotVerified;
    }
    if (view.writeCheckNote == Texts().txtWriteVerified) {
        PrintResult(QStringLiteral("wrote %1 to %2: %3")
                        .arg(options.files[0], session->DeviceName(), Texts().txtWriteVerified));
        return kDone;
    }
    // The whole list (the message box's text may be cut), or why there is none.
    const QStringList& lines = core.WriteCheckDifferences();
    PrintError(QStringLiteral("write not verified"));
    PrintError(lines.isEmpty() ? view.errors.join(u'\n')
                               : (QStringList{Texts().txtWriteDiffers} + lines).join(u'\n'));
    return kWriteNotVerified;
}

int RunClock(const CliOptions& options)
{
    auto session = MakeSession(options);
    if (const int code = Connect(*session, options, true); code != kDone) {
        return code;
    }
    const QString sent =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    // The window's question, answered yes by the view: the idle work sends the clock frame.
    session->core().ToolButton11Click();
    session->TakeMessages();
    // The module has no reply to the clock frame; a status reply to a request written after it
    // shows the new time (replies to requests written before it may still be on their way). A
    // link lost on the way is no success.
    const WaitEnd end = session->RunUntil(
        [&] { return session->StatusAnsweredAfterClock() || !session->Connected(); });
    if (end != WaitEnd::kDone || !session->Connected()) {
        return WaitFailed(*session, options, end == WaitEnd::kDone ? WaitEnd::kLinkLost : end);
    }
    PrintResult(QStringLiteral("clock set to %1; the module shows %2")
                    .arg(sent, session->view().right.simplified()));
    return kDone;
}

int RunPicture(const CliOptions& options)
{
    if (!OutputFolderExists(options.files[0])) {
        return kFailed;
    }
    auto session = MakeSession(options);
    if (const int code = Connect(*session, options, true); code != kDone) {
        return code;
    }
    CliPreview& preview = session->preview();
    CliView& view = session->view();
    const auto refusal = [&] { return view.PictureRefusal(); };
    view.reports.clear();
    view.errors.clear();
    preview.camera = options.camera;
    preview.SB_playClick();
    QElapsedTimer sinceProgress;
    sinceProgress.start();
    const WaitEnd end = session->RunUntil([&] {
        if (sinceProgress.elapsed() >= 1000) {
            sinceProgress.restart();
            session->Progress(QStringLiteral("picture: %1 packets").arg(preview.packets));
        }
        return !preview.picture.isEmpty() || refusal() || !view.errors.isEmpty() ||
               !session->Connected();
    });
    session->core().setPictcnt(kPictStopped);
    const QChar camera = QLatin1Char("ABCD"[options.camera]);
    if (const auto report = refusal()) {
        PrintError(
            QStringLiteral("picture of camera %1: %2").arg(camera).arg(ModuleReportText(*report)));
        return kFailed;
    }
    if (!view.errors.isEmpty()) {
        PrintError(view.errors.join(u' '));
        return kFailed;
    }
    if (end != WaitEnd::kDone || preview.picture.isEmpty()) {
        return WaitFailed(*session, options, end == WaitEnd::kDone ? WaitEnd::kLinkLost : end);
    }
    QSaveFile file(options.files[0]);
    if (!file.open(QIODevice::WriteOnly) || file.write(preview.picture) != preview.picture.size() ||
        !file.commit()) {
        PrintError(QStringLiteral("%1: could not be written").arg(options.files[0]));
        return kFailed;
    }
    PrintResult(QStringLiteral("picture of camera %1: %2 (%3 bytes)")
                    .arg(camera)
                    .arg(options.files[0])
                    .arg(preview.picture.size()));
    return kDone;
}

int RunEvents(const CliOptions& options)
{
    auto session = MakeSession(options);
    const QString checksumError = QStringLiteral("Błąd sumy CRC. : ");
    session->view().onEventLine = [&](const QString& line) {
        if (line.startsWith(checksumError)) {
            PrintProgress(options.quiet, line);
        } else if (!options.json) {
            PrintResult(line);
        }
    };
    if (options.json) {
        session->view().onEventFrame = [&](std::span<const std::uint8_t> frame) {
            PrintResult(EventJson(DecodeEvent(frame, session->core().EventLanguageFile())));
        };
    }
    if (const int code = Connect(*session, options, false); code != kDone) {
        return code;
    }
    session->Progress(QStringLiteral("waiting for event reports; Ctrl+C ends"));
    // Only an interruption ends it; a module that falls silent is reported and waited for.
    for (bool connected = true;;) {
        const WaitEnd end =
            session->RunUntil([&] { return session->Connected() != connected; }, true);
        if (end == WaitEnd::kInterrupted) {
            return WaitFailed(*session, options, end);
        }
        connected = session->Connected();
        session->Progress(connected ? QStringLiteral("the module answers again")
                                    : QStringLiteral("no answer from the module"));
    }
}

} // namespace zorva::cli

namespace zorva::cli {

// For the report command (ReportCommand.cpp): the steps every command above takes.
std::unique_ptr<CliSession> ConnectForReport(const CliOptions& options, int* code)
{
    auto session = MakeSession(options);
    *code = OutputFolderExists(options.files[0]) ? Connect(*session, options, true) : kFailed;
    return session;
}

int ReportWaitFailed(CliSession& session, const CliOptions& options, WaitEnd end)
{
    return WaitFailed(session, options, end);
}

} // namespace zorva::cli
