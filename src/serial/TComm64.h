// The serial port component: owns one serial device, applies its line settings, transfers bytes
// with a bounded wait and reports line events to the user-interface thread.
//
// Everything here (operations, setters, handlers) runs on the user-interface thread. While the
// device is open an event thread (TC32Thread) waits for line events and hands each one over;
// DispatchSignal then calls the assigned handlers in a fixed order. When the device goes away
// (a USB adapter pulled out, the other end of a pseudo-terminal closed) the component closes
// itself, so that Enabled turns false and a later Open finds the device once it is back.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include <QObject>
#include <QString>

#include "serial/CommTypes.h"
#include "serial/PortOpener.h"
#include "serial/TC32Thread.h"
#include "serial/platform/SerialPlatform.h"
#include "shell/PortFailure.h"

namespace zorva {

class TComm64 : public QObject {
    Q_OBJECT

public:
    explicit TComm64(QObject* AOwner = nullptr);
    ~TComm64() override;

    bool Enabled() const { return FHandle != nullptr; }
    // Opens DeviceName, whatever kind of name it is, off this thread (PortOpener.h): the first
    // Open starts the open (closing the device first when open), and while that runs (Opening)
    // a repeated Open leaves it alone; the first Open after it has ended (OpenEnded) takes the
    // device, or keeps why it could not be opened. The port stays closed, silently, when the
    // driver refuses the line settings or the device cannot report line events. So the
    // once-a-second reopen of the link never waits for a device or a server, and the handler
    // of setOnOpenEnded lets it take the result at once.
    void Open();
    // Takes a device opened by name (closing first when open) as Open would take it; DeviceName
    // becomes its name.
    void Open(OpenedDevice device);
    // Closes the device; an open still running is abandoned (what it brings is closed).
    void Close();
    bool Opening() const { return opening_ != nullptr; }
    bool OpenEnded() const { return opening_ && opening_->Ended(); }
    // Called on this thread when an open has ended (the next Open takes its result).
    void setOnOpenEnded(std::function<void()> handler) { onOpenEnded_ = std::move(handler); }
    // How ports are opened: OpenPortNamed unless a test says otherwise.
    void setOpener(PortOpenFunction opener) { opener_ = std::move(opener); }
    // Told each setting that the server of a network port refused, once, in the current
    // language ("rfc2217://...: the port server refused a setting: DTR on").
    void setOnPortNote(std::function<void(const QString&)> handler)
    {
        onPortNote_ = std::move(handler);
    }
    // Why the latest Open failed; nothing once an Open has succeeded (or before any).
    const std::optional<PortFailure>& OpenFailure() const { return openFailure_; }

    // Transfers bounded by 2000 ms in all; result: bytes transferred, or -1.
    // A negative Count throws std::out_of_range("Range check error") before any transfer.
    int _Write_(const std::uint8_t* Buffer, int Count);
    int _Read_(std::uint8_t* Buffer, int Count);
    // The same without the 2000 ms bound: a read waits for its first byte as long as it takes.
    int Write(const std::uint8_t* Buf, int Count);
    int Read(std::uint8_t* Buf, int Count);

    // Each queries and clears the line-error state.
    std::int32_t InQueCount();
    std::int32_t OutQueCount();
    void PurgeIn();
    void PurgeOut();
    // Output lines: false when the device refuses (or is closed).
    bool DTR(bool State);
    bool RTS(bool State);
    bool BREAK(bool State);
    bool GetCTS();

    static QString StrErrFlag(std::int32_t nrErr);
    static QString StrStatus(std::uint32_t st);

    // The event thread's signal, run on the user-interface thread: clears the line errors and
    // calls each assigned handler whose event is in Flags.
    void DispatchSignal(void* Thread, std::uint32_t Flags);

    // Properties. DeviceName, MonitorEvents and the buffer sizes take effect at the next Open;
    // the line settings apply to an open device at once.
    QString DeviceName() const { return FDeviceName; }
    void setDeviceName(const QString& value) { FDeviceName = value; }
    TBaudRate BaudRate() const { return FBaudRate; }
    void setBaudRate(TBaudRate value);
    TParity Parity() const { return FParity; }
    void setParity(TParity value);
    TStopbits Stopbits() const { return FStopbits; }
    void setStopbits(TStopbits value);
    TDatabits Databits() const { return FDatabits; }
    void setDatabits(TDatabits value);
    TC32EventType MonitorEvents() const { return FMonitorEvents; }
    void setMonitorEvents(TC32EventType value) { FMonitorEvents = value; }
    std::int32_t ReadBufferSize() const { return FReadBufferSize; }
    void setReadBufferSize(std::int32_t value) { FReadBufferSize = value; }
    std::int32_t WriteBufferSize() const { return FWriteBufferSize; }
    void setWriteBufferSize(std::int32_t value) { FWriteBufferSize = value; }

    TNotifyEvent OnBreakSignal() const { return FOnBreakSignal; }
    void setOnBreakSignal(TNotifyEvent handler) { FOnBreakSignal = std::move(handler); }
    TC32StateEvent OnCTSSignal() const { return FOnCTSSignal; }
    void setOnCTSSignal(TC32StateEvent handler) { FOnCTSSignal = std::move(handler); }
    TC32StateEvent OnDSRSignal() const { return FOnDSRSignal; }
    void setOnDSRSignal(TC32StateEvent handler) { FOnDSRSignal = std::move(handler); }
    TC32ErrorEvent OnErrorSignal() const { return FOnErrorSignal; }
    void setOnErrorSignal(TC32ErrorEvent handler) { FOnErrorSignal = std::move(handler); }
    TNotifyEvent OnRingSignal() const { return FOnRingSignal; }
    void setOnRingSignal(TNotifyEvent handler) { FOnRingSignal = std::move(handler); }
    TNotifyEvent OnRLSDSignal() const { return FOnRLSDSignal; }
    void setOnRLSDSignal(TNotifyEvent handler) { FOnRLSDSignal = std::move(handler); }
    TC32RxCharEvent OnRxCharSignal() const { return FOnRxCharSignal; }
    void setOnRxCharSignal(TC32RxCharEvent handler) { FOnRxCharSignal = std::move(handler); }
    TNotifyEvent OnRxFlagSignal() const { return FOnRxFlagSignal; }
    void setOnRxFlagSignal(TNotifyEvent handler) { FOnRxFlagSignal = std::move(handler); }
    TNotifyEvent OnTxEmptySignal() const { return FOnTxEmptySignal; }
    void setOnTxEmptySignal(TNotifyEvent handler) { FOnTxEmptySignal = std::move(handler); }

private slots:
    // Queued from the event thread: run its pending hand-over, or close after a hang-up.
    void ThreadSignalled();
    // Queued from an open's thread: tell the handler of setOnOpenEnded, once per open.
    void OpeningEnded();

private:
    void Start(std::unique_ptr<serial::SerialPort> port, const QString& path);
    void NoteDropped();
    void ReportRefusals();
    void ApplyBaudRate();
    void ApplyParity();
    void ApplyStopbits();
    void ApplyDatabits();
    serial::CommStatus ClearCommError();

    std::unique_ptr<serial::SerialPort> FHandle; // null while closed
    std::unique_ptr<TC32Thread> FTC32Thread;     // exists only while open
    std::unique_ptr<PortOpening> opening_;       // an open in flight, or its result
    PortOpenFunction opener_;
    std::function<void()> onOpenEnded_;
    std::function<void(const QString&)> onPortNote_;
    QString openPath_; // what the open device was opened as
    std::optional<PortFailure> openFailure_;
    QString FDeviceName;
    TBaudRate FBaudRate;
    TParity FParity;
    TStopbits FStopbits;
    TDatabits FDatabits;
    TC32EventType FMonitorEvents;
    std::int32_t FReadBufferSize;
    std::int32_t FWriteBufferSize;
    TNotifyEvent FOnBreakSignal;
    TC32StateEvent FOnCTSSignal;
    TC32StateEvent FOnDSRSignal;
    TC32ErrorEvent FOnErrorSignal;
    TNotifyEvent FOnRingSignal;
    TNotifyEvent FOnRLSDSignal;
    TC32RxCharEvent FOnRxCharSignal;
    TNotifyEvent FOnRxFlagSignal;
    TNotifyEvent FOnTxEmptySignal;
};

// The values the main window's port (PortRS) is built with; the receive handler is the main
// window's to assign.
void ApplyPortRSDefaults(TComm64& port);

} // namespace zorva
