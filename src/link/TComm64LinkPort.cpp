#include "link/TComm64LinkPort.h"

#include "serial/TComm64.h"

namespace zorva {

bool TComm64LinkPort::Enabled() const
{
    return port_.Enabled();
}
void TComm64LinkPort::Open()
{
    port_.Open();
}
void TComm64LinkPort::Close()
{
    port_.Close();
}
QString TComm64LinkPort::DeviceName() const
{
    return port_.DeviceName();
}
int TComm64LinkPort::_Write_(const std::uint8_t* buffer, int count)
{
    return port_._Write_(buffer, count);
}
int TComm64LinkPort::_Read_(std::uint8_t* buffer, int count)
{
    return port_._Read_(buffer, count);
}
bool TComm64LinkPort::DTR(bool state)
{
    return port_.DTR(state);
}
bool TComm64LinkPort::RTS(bool state)
{
    return port_.RTS(state);
}
std::optional<PortFailure> TComm64LinkPort::OpenFailure() const
{
    return port_.OpenFailure();
}
void TComm64LinkPort::SetOpenEnded(std::function<void()> ended)
{
    port_.setOnOpenEnded(std::move(ended));
}

} // namespace zorva
