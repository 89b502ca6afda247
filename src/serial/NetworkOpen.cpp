#include "serial/NetworkOpen.h"

#include "serial/network/NetworkNames.h"
#include "serial/network/NetworkPort.h"

namespace zorva {
namespace {

PortFailure::Kind KindOf(serial::ConnectFailureKind kind)
{
    switch (kind) {
    case serial::ConnectFailureKind::kHostNotFound:
        return PortFailure::Kind::kHostNotFound;
    case serial::ConnectFailureKind::kRefused:
        return PortFailure::Kind::kRefused;
    case serial::ConnectFailureKind::kNoAnswer:
        return PortFailure::Kind::kNoAnswer;
    case serial::ConnectFailureKind::kOther:
        break;
    }
    return PortFailure::Kind::kOther;
}

PortFailure::AddressProblem ProblemOf(serial::AddressProblem problem)
{
    switch (problem) {
    case serial::AddressProblem::kNoHost:
        return PortFailure::AddressProblem::kNoHost;
    case serial::AddressProblem::kNoPort:
        return PortFailure::AddressProblem::kNoPort;
    case serial::AddressProblem::kBadPort:
        return PortFailure::AddressProblem::kBadPort;
    case serial::AddressProblem::kNone:
        break;
    }
    return PortFailure::AddressProblem::kNone;
}

} // namespace

OpenedDevice OpenNetworkPort(const QString& deviceName, const QString& address)
{
    OpenedDevice opened;
    opened.deviceName = deviceName;
    opened.path = address;
    const auto fail = [&](PortFailure failure) {
        failure.deviceName = deviceName;
        opened.failure = std::move(failure);
        return std::move(opened);
    };
    serial::AddressProblem problem = serial::AddressProblem::kNone;
    const auto parsed = serial::ParseNetworkName(address.toStdString(), &problem);
    if (!parsed) {
        PortFailure failure = NetworkFailure(address, PortFailure::Kind::kBadAddress);
        failure.addressProblem = ProblemOf(problem);
        return fail(std::move(failure));
    }
    serial::ConnectFailure connectFailure;
    const std::vector<serial::Endpoint> endpoints =
        serial::LookUpHost(parsed->host, parsed->port, serial::kLookUpLimitMs, &connectFailure);
    std::unique_ptr<serial::Socket> socket;
    if (!endpoints.empty()) {
        socket = serial::ConnectTcp(endpoints, kConnectLimitMs, &connectFailure);
    }
    if (!socket) {
        return fail(NetworkFailure(address, KindOf(connectFailure.kind),
                                   QString::fromLocal8Bit(connectFailure.systemText.c_str())));
    }
    opened.port = serial::MakeNetworkPort(std::move(socket), parsed->telnet);
    // A server that never answers the offer is no Telnet server to wait for: the port goes on,
    // and one that refuses is named with the other refusals.
    serial::AwaitNegotiation(*opened.port, kNegotiationLimitMs);
    return opened;
}

PortFailure::AddressProblem AddressProblemOf(const QString& address)
{
    serial::AddressProblem problem = serial::AddressProblem::kNone;
    serial::ParseNetworkName(address.toStdString(), &problem);
    return ProblemOf(problem);
}

PortFailure NetworkFailure(const QString& name, PortFailure::Kind kind, const QString& systemText)
{
    PortFailure f;
    f.kind = kind;
    f.deviceName = name;
    f.path = name;
    f.systemText = systemText;
    return f;
}

} // namespace zorva
