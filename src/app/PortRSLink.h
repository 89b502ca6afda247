// The main window's serial port `PortRS` as the link core sees it: the serial component with
// the main window's design values (115200 bit/s, no parity, one stop bit, 8 data bits,
// receive and transmit-empty events), its receive events handed to the link's parser.
#pragma once

#include <functional>
#include <memory>

#include "app/ShellRules.h"
#include "link/TComm64LinkPort.h"

class QObject;

namespace zorva {

class TComm64;

class PortRSLink {
public:
    PortRSLink();
    ~PortRSLink();

    // The component's receive event (`OnRxCharSignal`).
    void SetRxCharHandler(std::function<void(QObject* sender, int count)> handler);
    // Told each setting that a network port's server refused (`TComm64::setOnPortNote`).
    void SetPortNoteHandler(std::function<void(const QString& line)> handler);
    void SetDeviceName(const QString& name);
    // Device name and settings as the close stores them.
    PortChoice Choice() const;
    TComm64& Component() { return *comm_; }
    QString DeviceName() const;
    // The port as the link core uses it.
    LinkPort& AsLinkPort() { return linkPort_; }

private:
    std::unique_ptr<TComm64> comm_;
    TComm64LinkPort linkPort_;
};

} // namespace zorva
