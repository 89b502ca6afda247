#include "app/PortRSLink.h"

#include "serial/TComm64.h"

namespace zorva {

PortRSLink::PortRSLink() : comm_(std::make_unique<TComm64>())
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

bool PortRSLink::Enabled() const
{
    return comm_->Enabled();
}

void PortRSLink::Open()
{
    comm_->Open();
}

void PortRSLink::Close()
{
    comm_->Close();
}

QString PortRSLink::DeviceName() const
{
    return comm_->DeviceName();
}

int PortRSLink::_Write_(const std::uint8_t* buffer, int count)
{
    return comm_->_Write_(buffer, count);
}

int PortRSLink::_Read_(std::uint8_t* buffer, int count)
{
    return comm_->_Read_(buffer, count);
}

bool PortRSLink::DTR(bool state)
{
    return comm_->DTR(state);
}

bool PortRSLink::RTS(bool state)
{
    return comm_->RTS(state);
}

} // namespace zorva
