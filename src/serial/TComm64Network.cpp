// The port component's network ports: connecting in the background, a dropped connection,
// and the settings a server refused.

#include "serial/DeviceNames.h"
#include "serial/NetworkNames.h"
#include "serial/NetworkPort.h"
#include "serial/TComm64.h"
#include "shell/LanguageTexts.h"

namespace zorva {

void TComm64::OpenNetwork(const QString& address)
{
    if (connect_ && connect_->name() != address) {
        connect_.reset();
    }
    if (!connect_) {
        if (FHandle) {
            Close();
        }
        // The reason of the previous attempt stays until this one ends, so that a server
        // that stays away is reported once, not once per attempt.
        connect_ = std::make_unique<NetworkConnect>(address);
        return;
    }
    if (!connect_->Finished()) {
        return;
    }
    PortFailure failure;
    auto port = connect_->Take(&failure);
    connect_.reset();
    if (!port) {
        failure.deviceName = FDeviceName;
        openFailure_ = std::move(failure);
        return;
    }
    Start(std::move(port), address);
}

void TComm64::NoteDropped()
{
    const QString address = ResolveDeviceName(FDeviceName);
    if (serial::IsNetworkName(address.toStdString())) {
        openFailure_ = NetworkFailure(address, PortFailure::Kind::kDropped);
        openFailure_->deviceName = FDeviceName;
    }
}

void TComm64::ReportRefusals()
{
    if (!FHandle) {
        return;
    }
    for (const std::string& setting : serial::TakeNetworkRefusals(*FHandle)) {
        if (onPortNote_) {
            onPortNote_(
                Texts().txtPortSettingRefused.arg(FDeviceName, QString::fromStdString(setting)));
        }
    }
}

} // namespace zorva
