// The reply parser: intake of one receive event, the frame loop and the dispatch of replies.
//
// Invariants (the fuzz target checks them):
//  - Nothing reads past a frame: a handler sees the frame's bytes as a span and reads a byte that
//    the frame lacks as absent (or 0), never beyond the span.
//  - The receive buffer never holds more than kRxBufferCapacity bytes: when an intake would
//    overflow it, the oldest bytes are dropped first.
//  - Every byte received is consumed in a dispatched frame, dropped (resynchronisation, checksum
//    error, overflow, port reopened) or still waiting in the receive buffer.
#include <algorithm>
#include <cstring>
#include <utility>

#include "link/EventDecoder.h"
#include "link/LinkCore.h"
#include "shell/LanguageTexts.h"
#include "shell/LogFile.h"

namespace zorva {

namespace {
const QString kChecksumError = QStringLiteral("Błąd sumy CRC. : ");
const QString kConfigTooShort = QStringLiteral("Rx01 : za mało daych");
const QString kCauseStatus = QStringLiteral("start podglądu (rx 03)");
const QString kCauseNetwork = QStringLiteral("start podglądu (rx05)");
const QString kWrongPacket = QStringLiteral("===========błędny nr ramki============");
const QString kPictureRestarted = QStringLiteral("===========ponowna ramka 0============");
const QString kPictureTooLarge = QStringLiteral("Za duży plik obrazu - mie można odebrać.");
const QString kCauseLoaded = QStringLiteral("start podglądu (załadowano ramkę)");
const QString kVideoOff = QStringLiteral("Kanał wideo wyłączony.");
const QString kCausePicture = QStringLiteral("po analizie ramki podglądu");
const QString kPictureNotSaved = QStringLiteral("Nie zapisano pliku obrazu.");
const QString kErrorUnknownType = QStringLiteral("ZORVA_ERROR:  nieznany typ ramki.");
const QString kErrorPacketNumber = QStringLiteral("ZORVA_ERROR:  bledny nr pakietu.");
const QString kErrorOther = QStringLiteral("ZORVA_ERROR: ");

constexpr std::uint8_t kWriteDone = 0xAA;
constexpr std::uint8_t kWriteRefused = 0xBB;
constexpr std::uint8_t kErrUnknownType = 0xBB;
constexpr std::uint8_t kErrNoMessage = 0xCC;
constexpr std::uint8_t kErrPacketNumber = 0xDD;
constexpr std::uint16_t kMaxPacket = 255;
// Event list lines kept before a new event line is added.
constexpr int kEventLinesKept = 60;
constexpr int kEventLineMax = 255;

QString Hex(std::span<const std::uint8_t> bytes)
{
    return QString::fromLatin1(BytesToHex(bytes));
}
QString HexNumber(std::uint32_t value)
{
    return QString::fromLatin1(IntToHexEven(value));
}
} // namespace

void LinkCore::PortRSRxCharSignal(QObject* /*Sender*/, int Count)
{
    // A modal dialog opened from a dispatch runs a nested event loop that may deliver another
    // receive event. Handling it there would change the buffer under the frame loop, so it is
    // remembered and handled once the outer event is done.
    if (inParser_) {
        deferredRxCount_ = std::max(deferredRxCount_, Count);
        return;
    }
    inParser_ = true;
    Intake(Count);
    while (deferredRxCount_ > 0) {
        const int count = deferredRxCount_;
        deferredRxCount_ = 0;
        Intake(count);
    }
    inParser_ = false;
}

// Reads the event's bytes in chunks of at most kIntakeChunk; each chunk is appended and run
// through the frame loop as a receive event of its own.
void LinkCore::Intake(int count)
{
    std::array<std::uint8_t, kIntakeChunk> intake{};
    int left = count;
    while (left > 0) {
        const int want = std::min(left, kIntakeChunk);
        const int got = port_._Read_(intake.data(), want);
        if (got <= 0) {
            return;
        }
        const int taken = std::min(got, want);
        AppendReceived({intake.data(), static_cast<std::size_t>(taken)});
        FrameLoop();
        if (taken < want) {
            return;
        }
        left -= taken;
    }
}

void LinkCore::AppendReceived(std::span<const std::uint8_t> bytes)
{
    counters_.received += bytes.size();
    const std::size_t needed = std::size_t{lcbuf_} + bytes.size();
    if (needed > kRxBufferCapacity) {
        const std::size_t overflow = std::min<std::size_t>(needed - kRxBufferCapacity, lcbuf_);
        DropFront(overflow);
        counters_.dropped += overflow;
    }
    std::memcpy(cbuf_.data() + lcbuf_, bytes.data(), bytes.size());
    lcbuf_ = static_cast<std::uint16_t>(lcbuf_ + bytes.size());
}

void LinkCore::DropFront(std::size_t count)
{
    count = std::min<std::size_t>(count, lcbuf_);
    std::memmove(cbuf_.data(), cbuf_.data() + count, lcbuf_ - count);
    lcbuf_ = static_cast<std::uint16_t>(lcbuf_ - count);
}

LinkCore::Flow LinkCore::FrameLoop()
{
    for (;;) {
        // Resynchronise: skip every byte that cannot start a frame, then drop them at once.
        std::size_t skip = 0;
        FrameCut cut{};
        for (;;) {
            cut = CutFrame(ReceiveBuffer().subspan(skip));
            if (cut.kind != FrameCut::Skip) {
                break;
            }
            ++skip;
        }
        if (skip > 0) {
            DropFront(skip);
            counters_.dropped += skip;
        }
        if (cut.kind == FrameCut::NeedMore) {
            return Flow::EndHandler;
        }

        sbuf_.assign(cbuf_.begin(), cbuf_.begin() + static_cast<std::ptrdiff_t>(cut.length));
        if (cut.kind == FrameCut::BadChecksum) {
            const QString line = kChecksumError + Hex(sbuf_);
            view_.Memo2Add(line);
            LogFileStamped(line);
            // One byte only: a sync pair inside the bad frame is looked at next time.
            DropFront(1);
            counters_.dropped += 1;
            return Flow::EndHandler;
        }

        DropFront(cut.length);
        counters_.consumed += cut.length;
        if (Dispatch(sbuf_) == Flow::EndHandler) {
            return Flow::EndHandler;
        }
        sbuf_.clear();
    }
}

LinkCore::Flow LinkCore::Dispatch(std::span<const std::uint8_t> frame)
{
    const std::size_t l = frame[2];
    // With L of 0 or 1 there is no reply type: the code position holds the checksum.
    if (l < 2) {
        return Flow::Continue;
    }
    const std::uint8_t type = frame[3];
    const std::span<const std::uint8_t> payload = frame.subspan(4, l - 2);

    switch (type) {
    case kRxConfig:
        if (frame.size() <= 6) {
            view_.Memo1Add(kConfigTooShort);
            break;
        }
        readit_ = false;
        config_.FillFromReply(payload);
        // Before the refresh, which may write into the record.
        CheckReadBack(payload);
        KeepRead(payload);
        view_.ShowConfig();
        RequestNetwork();
        break;

    case kRxWriteAck:
        tag_ = 0;
        if (payload.empty()) {
            break;
        }
        if (payload[0] == kWriteDone) {
            imsg_ = Texts().txtWritten + QLatin1Char('\r') + Texts().txtResetting;
            writeit_ = false;
            reset_ = true;
            OnWriteDone();
            KeepWritten();
        } else if (payload[0] == kWriteRefused) {
            imsg_ = Texts().txtNotWritten;
        }
        break;

    case kRxStatus: {
        rxcnt_ = kWatchdogRounds;
        // An echoed status request has no payload and answers nothing.
        if (!payload.empty()) {
            if (const auto asked = order_.Answered(kRxStatus)) {
                statusAnswered_ = asked->sequence;
            }
        }
        const bool wasEmpty = statbuf_.empty();
        if (StatusShownFor(payload)) {
            // The same record as last time: the strip already says it all.
            view_.RepaintStatusGrid();
        } else {
            statbuf_.assign(payload.begin(), payload.end());
            ShowStatus();
        }
        fmwDate_.clear();
        if (wasEmpty) {
            ToolButton2Click();
        }
        if (pictcnt_ == kPictComplete) {
            preview_.SB_playClick();
            ImmediateStep(kCauseStatus);
        }
        break;
    }

    case kRxResetAck:
        reset_ = false;
        OnResetDone();
        ToolButton2Click();
        break;

    case kRxNetwork:
        network_.FillFromReply(payload);
        view_.ShowConfig();
        tag_ = 0;
        if (pictcnt_ == kPictComplete) {
            preview_.SB_playClick();
            ImmediateStep(kCauseNetwork);
        }
        break;

    case kRxPicture:
        return OnPicturePacket(payload);

    case kRxError:
        OnErrorReport(payload);
        break;

    case kRxEvent:
        OnEventReport(frame);
        break;

    case kRxFirmwareDate:
        // Day, month, century, year as BCD bytes; a shorter report is ignored.
        if (payload.size() < 4) {
            break;
        }
        fmwDate_ = HexNumber(payload[2]) + HexNumber(payload[3]) + QLatin1Char('-') +
                   HexNumber(payload[1]) + QLatin1Char('-') + HexNumber(payload[0]);
        reportedFmwDate_ = fmwDate_;
        ShowStatus();
        break;

    default:
        break;
    }
    return Flow::Continue;
}

LinkCore::Flow LinkCore::OnPicturePacket(std::span<const std::uint8_t> payload)
{
    const auto askAgain = [this] {
        ImmediateStep(kCausePicture);
        return Flow::Continue;
    };
    // The packets carry no camera: a packet (or report) asked for before this picture began, of
    // the camera chosen before or of the picture before, is dropped like a stray one.
    const std::optional<RequestOrder::Request> asked = order_.Answered(kRxPicture);
    if (asked && asked->sequence < pictureFrom_) {
        view_.Memo1Add(kWrongPacket);
        return Flow::EndHandler;
    }
    if (payload.empty()) {
        return askAgain();
    }
    const std::uint8_t flags = payload[0];
    const int kind = flags >> 4;
    if (kind == 0xA) {
        view_.NoteModuleReport({ModuleReport::Kind::kNoPicture});
        // No data: the placeholder is shown and the picture starts again at the next tick.
        preview_.FormShow();
        preview_.SB_playClick();
        return Flow::EndHandler;
    }
    if (kind == 0xB) {
        view_.NoteModuleReport({ModuleReport::Kind::kVideoOff});
        emsg_ = kVideoOff;
        pictcnt_ = kPictStopped;
        return Flow::EndHandler;
    }
    if (kind != 0x0 && kind != 0xF) {
        return askAgain();
    }
    // A packet that lacks its number or its size is asked for again.
    if (payload.size() < 3) {
        return askAgain();
    }
    const std::uint8_t number = payload[1];
    const std::uint8_t size = payload[2];
    if (size != preview_.PictWB()) {
        return askAgain();
    }
    // The module takes a new picture whenever packet 0 is asked for, so when a tick repeats that
    // request while the first answer is on its way, the packets that follow belong to the
    // picture of the second packet 0: the picture starts again from it instead of being
    // assembled from two.
    const bool restarted = number == 0 && pictcnt_ > 0 && pictcnt_ < kPictComplete;
    if (restarted) {
        view_.Memo1Add(kPictureRestarted);
        preview_.SB_playClick();
        // The new picture begins with this packet's request.
        if (asked) {
            pictureFrom_ = asked->sequence;
        }
    }
    if (number == 0) {
        pictureRestarted_ = restarted;
    }
    // A wrong number ends the handler whatever the data: a stray or late packet must not
    // trigger a request of its own.
    if (number != pictcnt_) {
        view_.Memo1Add(kWrongPacket);
        return Flow::EndHandler;
    }
    // The right packet with part of its data missing is asked for again.
    const std::size_t dataLength = std::size_t{kPictureUnit} * size;
    if (payload.size() - 3 < dataLength) {
        return askAgain();
    }

    rxcnt_ = kWatchdogRounds;
    preview_.add2Stream(payload.data() + 3, static_cast<int>(dataLength));
    if (pictcnt_ >= kMaxPacket) {
        pictcnt_ = kPictStopped;
        emsg_ = kPictureTooLarge;
    } else {
        ++pictcnt_;
    }
    if (pictcnt_ != kPictStopped && kind == 0xF) {
        const bool saved = preview_.Load2pict(flags & 0x0F);
        pictcnt_ = kPictComplete;
        ImmediateStep(kCauseLoaded);
        view_.Memo1Clear();
        // After the traffic log is emptied, so that the lines stay visible.
        if (std::exchange(pictureRestarted_, false)) {
            view_.Memo1Add(kPictureRestarted);
        }
        if (!saved) {
            view_.Memo1Add(kPictureNotSaved);
        }
    }
    if (restarted && lastPacket_ == pictcnt_) {
        // The request for the next packet is already on the line.
        return Flow::Continue;
    }
    return askAgain();
}

void LinkCore::OnErrorReport(std::span<const std::uint8_t> payload)
{
    // A report without its code byte changes no message, like the code 0xCC.
    if (!payload.empty()) {
        const std::uint8_t code = payload[0];
        view_.NoteModuleReport({ModuleReport::Kind::kError, code});
        if (code == kErrUnknownType) {
            emsg_ = kErrorUnknownType;
        } else if (code == kErrPacketNumber) {
            emsg_ = kErrorPacketNumber;
        } else if (code != kErrNoMessage) {
            emsg_ = kErrorOther + HexNumber(code);
        }
        if (code == kErrPacketNumber && pictcnt_ != kPictStopped) {
            preview_.SB_playClick();
        }
    }
    ImmediateStep(emsg_);
}

void LinkCore::OnEventReport(std::span<const std::uint8_t> frame)
{
    // Counted once, so that a list that does not shrink cannot hold the parser in a loop.
    const int excess = view_.Memo2LineCount() - kEventLinesKept;
    for (int i = 0; i < excess; ++i) {
        view_.Memo2DeleteFirstLine();
    }
    const QString line = DecodeEventFrame(frame).left(kEventLineMax);
    view_.NoteEventFrame(frame);
    view_.Memo2Add(line);
    LogFileLine(line);
}

QString LinkCore::EventLanguageFile() const
{
    return languageDir() +
           (view_.Polski1Checked() ? QStringLiteral("/zr_pl.ini") : QStringLiteral("/zr_en.ini"));
}

QString LinkCore::DecodeEventFrame(std::span<const std::uint8_t> frame) const
{
    return Stamp() + DecodeEventText(frame, EventLanguageFile());
}

} // namespace zorva
