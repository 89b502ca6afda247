#include "shell/PortFailure.h"

#include "shell/LanguageTexts.h"

namespace zorva {

QString PortFailureText(const PortFailure& failure)
{
    const LanguageTexts& t = Texts();
    switch (failure.kind) {
    case PortFailure::Kind::kPermission:
        return t.txtPortNoAccess.arg(failure.path);
    case PortFailure::Kind::kInUse:
        if (failure.holderPid != 0) {
            const QString holder =
                failure.holderName.isEmpty() ? QStringLiteral("?") : failure.holderName;
            return t.txtPortInUseBy.arg(failure.path, holder, QString::number(failure.holderPid));
        }
        return t.txtPortInUse.arg(failure.path);
    case PortFailure::Kind::kMissing:
        return t.txtPortMissing.arg(failure.path);
    case PortFailure::Kind::kNotSerial:
        return t.txtPortNotSerial.arg(failure.path);
    case PortFailure::Kind::kHostNotFound:
        return t.txtPortHostNotFound.arg(failure.path);
    case PortFailure::Kind::kRefused:
        return t.txtPortRefused.arg(failure.path);
    case PortFailure::Kind::kNoAnswer:
        return t.txtPortNoAnswer.arg(failure.path);
    case PortFailure::Kind::kDropped:
        return t.txtPortDropped.arg(failure.path);
    case PortFailure::Kind::kBadAddress:
        return t.txtPortBadAddress.arg(failure.path, AddressProblemText(failure.addressProblem));
    case PortFailure::Kind::kOther:
        break;
    }
    return failure.path + QStringLiteral(": ") + failure.systemText;
}

QString AddressProblemText(PortFailure::AddressProblem problem)
{
    const LanguageTexts& t = Texts();
    switch (problem) {
    case PortFailure::AddressProblem::kNoHost:
        return t.txtAddressNoHost;
    case PortFailure::AddressProblem::kNoPort:
        return t.txtAddressNoPort;
    case PortFailure::AddressProblem::kBadPort:
        return t.txtAddressBadPort;
    case PortFailure::AddressProblem::kNone:
        break;
    }
    return {};
}

QString PortNameShown(const QString& deviceName)
{
    return deviceName.contains(QStringLiteral("://")) ? deviceName : deviceName.toUpper();
}

QString PortFailureLine(const PortFailure& failure)
{
    const QString name = PortNameShown(failure.deviceName) + QStringLiteral(": ");
    const QString text = PortFailureText(failure);
    // A path that is only the name behind the system's device prefix ("\\.\COM3") names the
    // port as well as the name does.
    const QString& path = failure.path;
    const qsizetype prefix = path.size() - failure.deviceName.size();
    const bool pathIsTheName =
        !failure.deviceName.isEmpty() && path.endsWith(failure.deviceName, Qt::CaseInsensitive) &&
        (prefix == 0 ||
         (prefix > 0 && (path.at(prefix - 1) == u'\\' || path.at(prefix - 1) == u'/')));
    if (text.startsWith(name, Qt::CaseInsensitive) ||
        (pathIsTheName && text.startsWith(path + QStringLiteral(": ")))) {
        return text;
    }
    return name + text;
}

} // namespace zorva
