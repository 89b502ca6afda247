#include "app/PortRSLink.h"

#include "serial/TComm64.h"

namespace zorva {

PortRSLink::PortRSLink() : comm_(std::make_unique<TComm64>()), linkPort_(*comm_)
{
    ApplyPortRSDefaults(*comm_);
}

PortRSLink::~PortRSLink() = default;

void PortRSLink::SetRxCharHandler(std::function<void(QObject* sender, int count)> handler)
{
    comm_->setOnRxCharSignal([handler = std::move(handler)](QObject* sender, std::int32_t count) {
        handler(sender, count);
    });
}

void PortRSLink::SetPortNoteHandler(std::function<void(const QString& line)> handler)
{
    comm_->setOnPortNote(std::move(handler));
}

void PortRSLink::SetDeviceName(const QString& name)
{
    comm_->setDeviceName(name);
}

PortChoice PortRSLink::Choice() const
{
    PortChoice choice;
    choice.deviceName = comm_->DeviceName();
    choice.baudRate = comm_->BaudRate();
    choice.stopbits = comm_->Stopbits();
    choice.databits = comm_->Databits();
    choice.parity = comm_->Parity();
    return choice;
}

QString PortRSLink::DeviceName() const
{
    return comm_->DeviceName();
}

} // namespace zorva
