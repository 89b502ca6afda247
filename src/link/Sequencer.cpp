// The command sequencer and the user commands. Nothing here waits for a reply: a command sends
// its request and marks it pending; the once-a-second step counts down, retries and polls.
#include <utility>

#include <QCoreApplication>

#include "link/LinkCore.h"
#include "shell/LanguageTexts.h"
#include "shell/LogFile.h"

namespace zorva {

namespace {
const QString kNoFrame = QStringLiteral("____________NO FRAME_______________");
const QString kStepCause = QStringLiteral("wywołanie Timer1Timer: ");
const QString kTimeoutRx = QStringLiteral("TIMEOUT, RxBuffer : ");
const QString kTimeoutFrame = QStringLiteral("TIMEOUT, FRAME no.");
const QString kWrongFrame = QStringLiteral("WRONG FRAME no.");
const QString kRxBufferTail = QStringLiteral("h, RxBuffer : ");

QString Hex(std::span<const std::uint8_t> bytes)
{
    return QString::fromLatin1(BytesToHex(bytes));
}
} // namespace

LinkCore::LinkCore(LinkPort& port, LinkView& view, LinkPreview& preview, const LinkClock& clock,
                   ConfigRecord& config, NetworkRecord& network, QObject* parent)
    : QObject(parent), port_(port), view_(view), preview_(preview), clock_(clock), config_(config),
      network_(network), languageDir_(QCoreApplication::applicationDirPath())
{
    timer1_.setInterval(1000);
    connect(&timer1_, &QTimer::timeout, this, [this] { Tick(); });
    timer1_.start();
    port_.SetOpenEnded([this] { PortOpenEnded(); });
}

LinkCore::~LinkCore()
{
    port_.SetOpenEnded({});
}

QString LinkCore::Stamp() const
{
    return LogLinePrefix(clock_.Now());
}

void LinkCore::LogFileLine(const QString& text) const
{
    if (!logPath_.isEmpty()) {
        AppendLine(logPath_, text, true);
    }
}

void LinkCore::LogFileStamped(const QString& text) const
{
    if (!logPath_.isEmpty()) {
        AppendLine(logPath_, Stamp() + text, true);
    }
}

QString LinkCore::languageDir() const
{
    return languageDir_.isEmpty() ? QCoreApplication::applicationDirPath() : languageDir_;
}

// Writes a request and logs it under its command's tag; a failed write is still logged, as the
// line records what the program sent, not what reached the module.
std::uint64_t LinkCore::Send(const Bytes& frame)
{
    port_._Write_(frame.data(), static_cast<int>(frame.size()));
    view_.Memo1Add(QString::fromLatin1(CommandTag(frame[3])) + Hex(frame));
    return order_.Sent(frame);
}

void LinkCore::setPictcnt(std::uint16_t value)
{
    pictcnt_ = value;
    if (value == 0) {
        pictureFrom_ = order_.NextSequence();
    }
}

void LinkCore::Timer1Timer(const QObject* Sender)
{
    // Unsupported firmware stops the whole protocol until the port settings are opened.
    if (!fmwVersion_.isEmpty() && QString::compare(fmwVersion_, kNewestFirmware) > 0) {
        return;
    }
    // Nested steps (OpenPort inside a step, immediate steps inside a dispatch) do nothing.
    if (busy_) {
        return;
    }
    busy_ = true;

    if (!view_.PortSettingsShowing() && !port_.Enabled()) {
        openTicks_ = 0;
        OpenPort();
        tag_ = 0;
        rxcnt_ = 0;
    } else if (Sender != nullptr && port_.Enabled() && ++openTicks_ >= 2) {
        loggedFailure_.reset(); // open for a whole tick: a later closing is news
    }

    if (tag_ > 0) {
        --tag_;
        if (tag_ > 0) {
            return EndStep();
        }
    }

    if (rxcnt_ > 0) {
        --rxcnt_;
    } else {
        // The link is lost: forget the module and everything pending.
        statbuf_.clear();
        keptIdentifier_.reset();
        reportedFmwDate_.clear();
        pictcnt_ = kPictStopped;
        reset_ = false;
        readit_ = false;
        writeit_ = false;
        ShowStatus();
        OnWriteCheckLost();
        RefreshWriteCheckNote();
    }

    if (readit_) {
        ToolButton2Click();
        return EndStep();
    }
    if (writeit_) {
        ToolButton3Click();
        return EndStep();
    }

    view_.SetLinkButtonsEnabled(!statbuf_.empty());

    const QString portText =
        PortNameShown(port_.DeviceName()) + QLatin1Char(' ') +
        (port_.Enabled() ? QStringLiteral("opened") : QStringLiteral("closed"));
    if (view_.StatusBarText() != portText) {
        view_.SetStatusBarText(portText);
    }

    // The reset stays pending and is repeated every five ticks until it is acknowledged.
    if (reset_ && port_.Enabled()) {
        tag_ = kReplyTicks;
        Send(ResetFrame());
        return EndStep();
    }

    if (pictcnt_ < kPictComplete && port_.Enabled()) {
        if (Sender != nullptr) {
            view_.Memo1Add(kNoFrame);
        }
        if (lastPacket_ == pictcnt_) {
            // Nothing was accepted since the previous request for this packet.
            if (!kto_.isEmpty()) {
                const QString line = Stamp() + kStepCause + kto_;
                view_.Memo1Add(line);
                LogFileLine(line);
                kto_.clear();
            }
            const QString rxHex = Hex(ReceiveBuffer());
            view_.Memo1Add(kTimeoutRx + rxHex);
            const QString packet = QString::fromLatin1(IntToHexEven(pictcnt_));
            if (Sender != nullptr) {
                LogFileStamped(kTimeoutFrame + packet + kRxBufferTail + rxHex);
            } else {
                LogFileStamped(kWrongFrame + packet + kRxBufferTail + Hex(sbuf_));
            }
        }
        lastPacket_ = pictcnt_;
        Send(PictFrame(preview_.KamNr(), static_cast<std::uint8_t>(pictcnt_ & 0xFF),
                       preview_.PictWB()));
        return EndStep();
    }

    if (port_.Enabled()) {
        if (pollCounter_ == 0) {
            RequestNetwork();
        } else {
            Send(StanFrame());
        }
        pollCounter_ = static_cast<std::uint8_t>((pollCounter_ + 1) % 5);
    }
    EndStep();
}

void LinkCore::ImmediateStep(const QString& cause)
{
    timer1_.stop();
    kto_ = cause;
    Timer1Timer(nullptr);
    // Starting again restarts the interval: the next tick comes a full second later.
    timer1_.start();
}

void LinkCore::ToolButton2Click()
{
    if (!port_.Enabled()) {
        OpenPort();
        if (!port_.Enabled()) {
            return;
        }
    }
    config_.ClearAll();
    view_.ShowConfig();
    Send(DaneFrame());
    tag_ = kReplyTicks;
    readit_ = true;
}

void LinkCore::ToolButton3Click()
{
    if (!port_.Enabled()) {
        OpenPort();
        if (!port_.Enabled()) {
            return;
        }
    }
    NoteWriteSent(config_.WriteImage());
    Send(WriteConfigFrame(config_.WriteImage()));
    tag_ = kReplyTicks;
    writeit_ = true;
}

void LinkCore::RequestNetwork()
{
    if (!port_.Enabled()) {
        OpenPort();
        if (!port_.Enabled()) {
            return;
        }
    }
    network_.ClearAll();
    view_.ShowConfig();
    Send(RdDhcpFrame());
}

void LinkCore::ToolButton11Click()
{
    pmsg_ = Texts().txtSetClockPrompt;
}

void LinkCore::OpenPort()
{
    if (std::exchange(reset_, false)) {
        OnResetDropped();
    }
    if (!port_.Enabled()) {
        port_.Open();
        NotePortFailure();
    }
    PortOpened();
}

void LinkCore::PortOpenEnded()
{
    if (view_.PortSettingsShowing() || port_.Enabled()) {
        return;
    }
    port_.Open();
    NotePortFailure();
    // A failure waits for the next tick's open: no open follows another at once.
    if (port_.Enabled()) {
        PortOpened();
    }
}

void LinkCore::PortOpened()
{
    if (port_.Enabled()) {
        port_.DTR(dtrFlag_);
        port_.RTS(rtsFlag_);
    }
    // Bytes of an earlier connection mean nothing on the new one, nor do its requests.
    counters_.dropped += lcbuf_;
    lcbuf_ = 0;
    order_.Forget();
    keptIdentifier_.reset();
    Timer1Timer(nullptr);
}

void LinkCore::NotePortFailure()
{
    std::optional<PortFailure> now = port_.Enabled() ? std::nullopt : port_.OpenFailure();
    if (now == portFailure_) {
        return;
    }
    portFailure_ = std::move(now);
    ShowPortFailure();
    if (portFailure_ && portFailure_ != loggedFailure_) {
        loggedFailure_ = portFailure_;
        const QString line = PortFailureLine(*portFailure_);
        view_.Memo1Add(line);
        LogFileStamped(line);
    }
}

void LinkCore::NotePortLine(const QString& line)
{
    view_.Memo1Add(line);
    LogFileStamped(line);
}

void LinkCore::ShowPortFailure()
{
    view_.SetPortFailureText(portFailure_ ? PortFailureText(*portFailure_) : QString());
}

void LinkCore::RS2321Click()
{
    if (port_.Enabled()) {
        port_.Close();
        view_.ShowPortSettingsModal();
        OpenPort();
    } else {
        // An open still running is abandoned: the dialog may pick another port, and its search
        // may want this one.
        port_.Close();
        view_.ShowPortSettingsModal();
    }
}

void LinkCore::ToolButton4Click()
{
    RS2321Click();
    fmwVersion_.clear();
}

} // namespace zorva
