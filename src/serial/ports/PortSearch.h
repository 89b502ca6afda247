// Finds the port a module answers on: tries candidate ports one after the other, each opened by a
// port component of its own with the line settings in force, sends one request and waits up to
// kAnswerWait for an answer; the first port that answers is the result. Runs on the event loop
// (timers and the component's receive events), so that a window stays responsive while it
// runs, and can be cancelled. Each port is opened as the component opens it (PortOpener.h), on
// a thread of its own, since an open can block for seconds (a Bluetooth port connecting); one
// that has not opened within kOpenWait (a network port: within its own limits) is passed over,
// and a handle it brings later is closed. Each device is tried once, under the first name that
// stands for it. Ports passed over (not opened, no request taken) come with the reason.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include "serial/CommTypes.h"
#include "serial/PortOpener.h"
#include "shell/PortFailure.h"

namespace zorva {

class TComm64;

// What the search sends to each port, and how it recognises the answer among the bytes the
// port has received since.
struct PortProbe {
    std::vector<std::uint8_t> request;
    std::function<bool(std::span<const std::uint8_t> received)> answered;
};

// The line each candidate is opened with.
struct PortLine {
    TBaudRate baudRate = cbr115200;
    TParity parity = paNone;
    TStopbits stopbits = sb1_0;
    TDatabits databits = da8;
    bool dtr = false;
    bool rts = false;
};
// The line settings of `port` with the given DTR and RTS flags.
PortLine LineOf(const TComm64& port, bool dtr, bool rts);

struct PortSearchResult {
    QString found;                       // the first candidate that answered; empty for none
    std::vector<PortFailure> passedOver; // the candidates passed over, with why, in order
    bool cancelled = false;
};

class PortSearch : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kAnswerWait{500};
    static constexpr std::chrono::milliseconds kOpenWait{3000};
    // Opens a candidate by its name and the path it stands for (resolved on this thread).
    using Opener = PortOpenFunction;

    explicit PortSearch(PortProbe probe, QObject* parent = nullptr);
    ~PortSearch() override;

    // How candidates are opened (OpenPortNamed unless set), and how long the open of a device
    // may take.
    void setOpener(Opener opener, std::chrono::milliseconds openWait = kOpenWait);

    // Starts a search over `candidates` (device names as the port component takes them); the
    // signals follow from the event loop. A search still running is cancelled first.
    void Start(const QStringList& candidates, const PortLine& line);
    // Ends a running search at once, its port closed; Finished follows with `cancelled` set.
    void Cancel();
    bool Running() const { return running_; }
    const PortSearchResult& Result() const { return result_; }

signals:
    void Trying(const QString& candidate);
    void Finished();

private:
    void TryNext();
    void OpenWaitEnded();
    void Probe();
    void PassOver(PortFailure failure);
    void Received(int count);
    void Conclude();
    void ClosePort();

    PortProbe probe_;
    QStringList candidates_;
    PortLine line_;
    qsizetype next_ = 0;
    bool running_ = false;
    bool answered_ = false;
    // Counts starts and cancels, so that a step queued by an earlier search does nothing.
    std::uint64_t generation_ = 0;
    Opener opener_;
    std::chrono::milliseconds openWait_ = kOpenWait;
    QString opening_;                     // the candidate being opened
    std::chrono::milliseconds openLimit_; // and how long it may take
    QStringList tried_;                   // the devices tried, as paths
    std::unique_ptr<TComm64> port_;
    std::vector<std::uint8_t> received_;
    QTimer answerWait_;
    PortSearchResult result_;
};

} // namespace zorva
