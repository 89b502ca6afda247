#include "cli/LinkCommands.h"

#include <memory>

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include "cli/CliOutput.h"
#include "cli/CliSession.h"
#include "cli/FileCommands.h"
#include "config/ConfigBlock.h"
#include "link/LinkCore.h"
#include "serial/StoredPort.h"
#include "shell/LanguageTexts.h"
#include "shell/SettingsStore.h"

namespace zorva::cli {

namespace {

constexpr std::size_t kStatusLayout = 18;
// The module's restart and the read after it take longer than one conversation.
constexpr int kWriteRounds = 3;

int TimeoutMs(const CliOptions& options)
{
    return options.timeoutSeconds * 1000;
}

std::unique_ptr<CliSession> MakeSession(const CliOptions& options)
{
    const QString port = options.port.isEmpty() ? StoredPortName() : options.port;
    const bool quiet = options.quiet;
    auto session = std::make_unique<CliSession>(
        port, [quiet](const QString& text) { PrintProgress(quiet, text); });
    session->view().polish = options.lang == QLatin1String("pl");
    return session;
}

QString NoAnswer(CliSession& session, const CliOptions& options)
{
    return QStringLiteral("no answer from the module on %1 within %2 s")
        .arg(session.DeviceName())
        .arg(options.timeoutSeconds);
}

// Opens the port and waits for the module; kDone, or the exit code after printing why.
int Connect(CliSession& session, const CliOptions& options, bool waitForRead)
{
    QString reason;
    if (!session.Open(&reason)) {
        PrintError(QStringLiteral("port %1 not opened: %2").arg(session.DeviceName(), reason));
        return kPortNotOpened;
    }
    session.Progress(QStringLiteral("%1 opened, waiting for the module").arg(session.DeviceName()));
    const bool answered = session.RunUntil(
        [&] {
            return session.Unsupported() ||
                   (waitForRead ? session.ConfigurationRead() : session.Connected());
        },
        TimeoutMs(options));
    if (session.Unsupported()) {
        PrintError(session.view().unsupported.replace(u'\r', u' ').simplified());
        return kFailed;
    }
    if (!answered) {
        PrintError(CliSession::Interrupted() ? QStringLiteral("interrupted")
                                             : NoAnswer(session, options));
        return kNoAnswer;
    }
    return kDone;
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
        const QJsonObject result{{QStringLiteral("port"), session->DeviceName()},
                                 {QStringLiteral("firmware"), firmware},
                                 {QStringLiteral("clock"), clockText},
                                 {QStringLiteral("cameras"), channels},
                                 {QStringLiteral("inputs"), in}};
        PrintResult(QString::fromUtf8(QJsonDocument(result).toJson().trimmed()));
        return kDone;
    }
    PrintResult(QStringLiteral("port:            %1").arg(session->DeviceName()));
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
    bool announcedRestart = false;
    const auto refused = [&] { return view.information.contains(Texts().txtNotWritten); };
    const bool ended = session->RunUntil(
        [&] {
            if (core.writeCheck() != LinkCore::WriteCheck::None) {
                checking = true;
                if (!announcedRestart) {
                    announcedRestart = true;
                    session->Progress(
                        QStringLiteral("written; the module restarts and is read back"));
                }
            }
            return refused() || (checking && core.writeCheck() == LinkCore::WriteCheck::None) ||
                   (!checking && !core.writeit());
        },
        TimeoutMs(options) * kWriteRounds);
    if (refused()) {
        PrintError(QStringLiteral("write not verified: the module refused it (0xBB)"));
        return kWriteNotVerified;
    }
    if (!checking) {
        PrintError(CliSession::Interrupted() ? QStringLiteral("interrupted")
                                             : NoAnswer(*session, options));
        return kNoAnswer;
    }
    if (!ended) {
        // Acknowledged, but the module is not back within the time-out.
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
    PrintResult(lines.isEmpty() ? view.errors.join(u'\n')
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
    // The module has no reply to the clock frame; its next status replies show the new time.
    const int replies = session->view().statusReplies;
    if (!session->RunUntil([&] { return session->view().statusReplies >= replies + 2; },
                           TimeoutMs(options))) {
        PrintError(NoAnswer(*session, options));
        return kNoAnswer;
    }
    PrintResult(QStringLiteral("clock set to %1; the module shows %2")
                    .arg(sent, session->view().right.simplified()));
    return kDone;
}

int RunPicture(const CliOptions& options)
{
    auto session = MakeSession(options);
    if (const int code = Connect(*session, options, true); code != kDone) {
        return code;
    }
    CliPreview& preview = session->preview();
    preview.camera = options.camera;
    preview.SB_playClick();
    QElapsedTimer sinceProgress;
    sinceProgress.start();
    const bool done = session->RunUntil(
        [&] {
            if (sinceProgress.elapsed() >= 1000) {
                sinceProgress.restart();
                session->Progress(QStringLiteral("picture: %1 packets").arg(preview.packets));
            }
            return !preview.picture.isEmpty() || !session->view().errors.isEmpty() ||
                   !session->Connected();
        },
        TimeoutMs(options));
    session->core().setPictcnt(kPictStopped);
    if (!session->view().errors.isEmpty()) {
        PrintError(session->view().errors.join(u' '));
        return kFailed;
    }
    if (!done || preview.picture.isEmpty()) {
        PrintError(NoAnswer(*session, options));
        return kNoAnswer;
    }
    QSaveFile file(options.files[0]);
    if (!file.open(QIODevice::WriteOnly) || file.write(preview.picture) != preview.picture.size() ||
        !file.commit()) {
        PrintError(QStringLiteral("%1: could not be written").arg(options.files[0]));
        return kFailed;
    }
    PrintResult(QStringLiteral("picture of camera %1: %2 (%3 bytes)")
                    .arg(QLatin1Char("ABCD"[options.camera]))
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
        } else {
            PrintResult(line);
        }
    };
    if (const int code = Connect(*session, options, false); code != kDone) {
        return code;
    }
    session->Progress(QStringLiteral("waiting for event reports; Ctrl+C ends"));
    bool connected = true;
    while (!CliSession::Interrupted()) {
        session->RunUntil([&] { return session->Connected() != connected; }, 1000);
        if (session->Connected() != connected) {
            connected = session->Connected();
            session->Progress(connected ? QStringLiteral("the module answers again")
                                        : QStringLiteral("no answer from the module"));
        }
    }
    return kDone;
}

} // namespace zorva::cli
