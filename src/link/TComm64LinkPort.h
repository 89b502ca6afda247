// The main window's serial port component as the link core's port. Kept apart from the core so
// that the core and its unit tests do not need the serial library.
#pragma once

#include "link/LinkInterfaces.h"

namespace zorva {

class TComm64;

class TComm64LinkPort final : public LinkPort {
public:
    explicit TComm64LinkPort(TComm64& port) : port_(port) {}

    bool Enabled() const override;
    void Open() override;
    void Close() override;
    QString DeviceName() const override;
    int _Write_(const std::uint8_t* buffer, int count) override;
    int _Read_(std::uint8_t* buffer, int count) override;
    bool DTR(bool state) override;
    bool RTS(bool state) override;
    std::optional<PortFailure> OpenFailure() const override;
    void SetOpenEnded(std::function<void()> ended) override;

private:
    TComm64& port_;
};

} // namespace zorva
