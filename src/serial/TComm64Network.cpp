// The port component's network ports: a dropped connection, and the settings a server refused.

#include "serial/NetworkOpen.h"
#include "serial/TComm64.h"
#include "serial/network/NetworkNames.h"
#include "serial/network/NetworkPort.h"
#include "shell/LanguageTexts.h"

namespace zorva {

void TComm64::NoteDropped()
{
    if (serial::IsNetworkName(openPath_.toStdString())) {
        openFailure_ = NetworkFailure(openPath_, PortFailure::Kind::kDropped);
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
