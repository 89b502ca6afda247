#include "serial/TComm64.h"

#include <stdexcept>

#include <QMetaObject>

#include "serial/DeviceNames.h"

namespace zorva {
namespace {

constexpr int kTransferBoundMs = 2000;
constexpr int kReadIntervalMs = 250;

void CheckCount(int Count)
{
    if (Count < 0) {
        throw std::out_of_range("Range check error");
    }
}

} // namespace

TComm64::TComm64(QObject* AOwner)
    : QObject(AOwner), FDeviceName(QStringLiteral("COM2")), FBaudRate(cbr2400), FParity(paNone),
      FStopbits(sb1_0), FDatabits(da8), FMonitorEvents(TC32EventType::All()), FReadBufferSize(1024),
      FWriteBufferSize(1024)
{
}

TComm64::~TComm64()
{
    Close();
}

void TComm64::Open()
{
    // Read here, on this thread: the aliases are in the settings.
    const QString path = ResolveDeviceName(FDeviceName);
    if (opening_ && (opening_->deviceName() != FDeviceName || opening_->path() != path)) {
        opening_.reset(); // the name has changed meanwhile
    }
    if (!opening_) {
        // Closed before the device is opened again: it may not be opened twice. The reason of
        // the previous attempt stays until this one ends, so that a port that stays away is
        // reported once, not once per attempt.
        Close();
        opening_ = std::make_unique<PortOpening>(FDeviceName, path, opener_, this, "OpeningEnded");
        return;
    }
    if (!opening_->Ended()) {
        return;
    }
    OpenedDevice device = opening_->Take();
    opening_.reset();
    Open(std::move(device));
}

void TComm64::Open(OpenedDevice device)
{
    Close();
    FDeviceName = device.deviceName;
    const QString path = device.path;
    openPath_ = path;
    std::unique_ptr<serial::SerialPort> port = std::move(device.port);
    if (!port) {
        openFailure_ = std::move(device.failure);
        return;
    }
    Start(std::move(port), path);
}

void TComm64::Start(std::unique_ptr<serial::SerialPort> port, const QString& path)
{
    openFailure_.reset();
    // A failure of the queue sizes leaves the device as it was.
    port->SetQueueSizes(FReadBufferSize, FWriteBufferSize);
    port->SetReadIntervalTimeout(kReadIntervalMs);
    FHandle = std::move(port);
    // A line that the driver will not set up would talk at another speed, unheard: like a port
    // that cannot wait for events, it stays closed, so that the link tries again. The system's
    // words say why; the kind is none of the known ones.
    int refusal = 0;
    for (const auto apply : {&TComm64::ApplyBaudRate, &TComm64::ApplyParity,
                             &TComm64::ApplyStopbits, &TComm64::ApplyDatabits}) {
        (this->*apply)();
        refusal = refusal != 0 ? refusal : FHandle->LineRefusal();
    }
    if (refusal != 0) {
        openFailure_ = DeviceFailure(FDeviceName, path, refusal);
        Close();
        return;
    }
    FTC32Thread = std::make_unique<TC32Thread>(*FHandle, FMonitorEvents, [this] {
        QMetaObject::invokeMethod(this, "ThreadSignalled", Qt::QueuedConnection);
    });
    if (!FTC32Thread->Running()) {
        openFailure_ = DeviceFailure(FDeviceName, path, FTC32Thread->WaiterError());
        Close();
        return;
    }
    FTC32Thread->FOnSignal = [this](void* Sender, std::uint32_t Status) {
        DispatchSignal(Sender, Status);
    };
}

void TComm64::Close()
{
    opening_.reset();
    if (!FHandle) {
        return;
    }
    if (FTC32Thread) {
        // Wakes the thread from the device wait and from a hand-over alike, so the join below
        // never waits for this (the user-interface) thread.
        FTC32Thread->ReleaseThread();
        FTC32Thread->Terminate();
        FTC32Thread->WaitFor();
        FTC32Thread.reset();
    }
    FHandle.reset();
}

void TComm64::OpeningEnded()
{
    // A late call for an open given up since finds another one, or none.
    if (opening_ && opening_->TakeEnd()) {
        if (const auto handler = onOpenEnded_) {
            handler();
        }
    }
}

void TComm64::ThreadSignalled()
{
    if (!FTC32Thread) {
        return; // a wake-up from a thread that has been closed since
    }
    if (FTC32Thread->Deliver() == TC32Thread::Delivery::kHungUp) {
        Close();
        NoteDropped();
    }
}

int TComm64::_Write_(const std::uint8_t* Buffer, int Count)
{
    CheckCount(Count);
    return FHandle ? FHandle->Write(Buffer, Count, kTransferBoundMs) : -1;
}

int TComm64::_Read_(std::uint8_t* Buffer, int Count)
{
    CheckCount(Count);
    return FHandle ? FHandle->Read(Buffer, Count, kTransferBoundMs) : -1;
}

int TComm64::Write(const std::uint8_t* Buf, int Count)
{
    CheckCount(Count);
    return FHandle ? FHandle->Write(Buf, Count, -1) : -1;
}

int TComm64::Read(std::uint8_t* Buf, int Count)
{
    CheckCount(Count);
    return FHandle ? FHandle->Read(Buf, Count, -1) : -1;
}

serial::CommStatus TComm64::ClearCommError()
{
    return FHandle ? FHandle->ClearError() : serial::CommStatus{};
}

std::int32_t TComm64::InQueCount()
{
    return static_cast<std::int32_t>(ClearCommError().inQueue);
}

std::int32_t TComm64::OutQueCount()
{
    return static_cast<std::int32_t>(ClearCommError().outQueue);
}

void TComm64::PurgeIn()
{
    if (FHandle) {
        FHandle->Purge(serial::kPurgeRxAbort | serial::kPurgeRxClear);
    }
}

void TComm64::PurgeOut()
{
    if (FHandle) {
        FHandle->Purge(serial::kPurgeTxAbort | serial::kPurgeTxClear);
    }
}

bool TComm64::DTR(bool State)
{
    using serial::LineFunction;
    const bool done =
        FHandle && FHandle->Escape(State ? LineFunction::kSetDtr : LineFunction::kClrDtr);
    ReportRefusals();
    return done;
}

bool TComm64::RTS(bool State)
{
    using serial::LineFunction;
    const bool done =
        FHandle && FHandle->Escape(State ? LineFunction::kSetRts : LineFunction::kClrRts);
    ReportRefusals();
    return done;
}

bool TComm64::BREAK(bool State)
{
    using serial::LineFunction;
    return FHandle && FHandle->Escape(State ? LineFunction::kSetBreak : LineFunction::kClrBreak);
}

bool TComm64::GetCTS()
{
    const auto status = FHandle ? FHandle->ModemStatus() : std::nullopt;
    return status && (*status & serial::kMsCtsOn);
}

void TComm64::setBaudRate(TBaudRate value)
{
    FBaudRate = value;
    ApplyBaudRate();
}

void TComm64::setParity(TParity value)
{
    FParity = value;
    ApplyParity();
}

void TComm64::setStopbits(TStopbits value)
{
    FStopbits = value;
    ApplyStopbits();
}

void TComm64::setDatabits(TDatabits value)
{
    FDatabits = value;
    ApplyDatabits();
}

// Each applies one setting to an open device; a refusal leaves the device as it was.
void TComm64::ApplyBaudRate()
{
    if (FHandle) {
        FHandle->SetBaudRate(BaudRateValue(FBaudRate));
    }
}

void TComm64::ApplyParity()
{
    if (FHandle) {
        FHandle->SetParity(ParityCode(FParity));
    }
}

void TComm64::ApplyStopbits()
{
    if (FHandle) {
        FHandle->SetStopBits(StopbitsCode(FStopbits));
    }
}

void TComm64::ApplyDatabits()
{
    if (FHandle) {
        FHandle->SetByteSize(DatabitsValue(FDatabits));
    }
}

void TComm64::DispatchSignal(void*, std::uint32_t Flags)
{
    using namespace serial;
    // Always, whatever the flags: every event clears the line-error state.
    const CommStatus status = ClearCommError();
    ReportRefusals();
    // Handlers are copied before the call: a handler may reassign itself or close the port.
    if (Flags & kEvRxChar) {
        if (const auto handler = FOnRxCharSignal) {
            handler(this, static_cast<std::int32_t>(status.inQueue));
        }
    }
    if (Flags & kEvRxFlag) {
        if (const auto handler = FOnRxFlagSignal) {
            handler(this);
        }
    }
    if (Flags & kEvCts) {
        if (const auto handler = FOnCTSSignal) {
            const auto modem = FHandle ? FHandle->ModemStatus() : std::nullopt;
            if (modem) {
                handler(this, (*modem & kMsCtsOn) != 0);
            }
        }
    }
    if (Flags & kEvBreak) {
        if (const auto handler = FOnBreakSignal) {
            handler(this);
        }
    }
    if (Flags & kEvDsr) {
        if (const auto handler = FOnDSRSignal) {
            handler(this, !status.waitingForDsr);
        }
    }
    if (Flags & kEvErr) {
        if (const auto handler = FOnErrorSignal) {
            handler(this, static_cast<std::int32_t>(status.errors));
        }
    }
    if (Flags & kEvRing) {
        if (const auto handler = FOnRingSignal) {
            handler(this);
        }
    }
    if (Flags & kEvRlsd) {
        if (const auto handler = FOnRLSDSignal) {
            handler(this);
        }
    }
    if (Flags & kEvTxEmpty) {
        if (const auto handler = FOnTxEmptySignal) {
            handler(this);
        }
    }
}

QString TComm64::StrErrFlag(std::int32_t nrErr)
{
    switch (nrErr) {
    case 0x0001:
        return QStringLiteral("An input buffer overflow has occurred.");
    case 0x0002:
        return QStringLiteral("A character-buffer overrun has occurred. The next character is "
                              "lost.");
    case 0x0004:
        return QStringLiteral("The hardware detected a parity error.");
    case 0x0008:
        return QStringLiteral("The hardware detected a framing error.");
    case 0x0010:
        return QStringLiteral("The hardware detected a break condition.");
    case 0x0100:
        return QStringLiteral("The application tried to transmit a character, but the output "
                              "buffer was full.");
    case 0x0200:
        return QStringLiteral("Windows 95 only: A time-out occurred on a parallel device.");
    case 0x0400:
        return QStringLiteral("An I/O error occurred during communications with the device.");
    case 0x0800:
        return QStringLiteral("Windows 95 only: A parallel device is not selected.");
    case 0x1000:
        return QStringLiteral("Windows 95 only: A parallel device signaled that it is out of "
                              "paper.");
    case 0x8000:
        return QStringLiteral("The requested mode is not supported, or the hFile parameter is "
                              "invalid. If this value is specified, it is the only valid error.");
    default:
        return QStringLiteral("Unknown error");
    }
}

QString TComm64::StrStatus(std::uint32_t st)
{
    using namespace serial;
    struct Entry {
        std::uint32_t bit;
        const char* text;
    };
    static constexpr Entry order[] = {
        {kEvBreak, "Break signalled."},
        {kEvCts, "CTS signalled."},
        {kEvDsr, "DSR signalled."},
        {kEvErr, "Error signalled."},
        {kEvRing, "Ring signalled."},
        {kEvRlsd, "RLSD signalled."},
        {kEvRxChar, "Receive character signalled."},
        {kEvRxFlag, "Receive flag signalled."},
        {kEvTxEmpty, "TX empty signalled."},
    };
    QString text;
    for (const Entry& e : order) {
        if (st & e.bit) {
            text += QLatin1String(e.text);
        }
    }
    return text;
}

void ApplyPortRSDefaults(TComm64& port)
{
    port.setDeviceName(QStringLiteral("COM2"));
    port.setBaudRate(cbr115200);
    port.setParity(paNone);
    port.setStopbits(sb1_0);
    port.setDatabits(da8);
    port.setMonitorEvents({evRxChar, evTxEmpty});
    port.setReadBufferSize(1024);
    port.setWriteBufferSize(1024);
}

} // namespace zorva
