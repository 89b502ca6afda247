// Opening a network port (NetworkNames.h): the name looked up within its own bound, each of its
// addresses given its own try within the connect limit, and a Telnet port's binary transmission
// agreed before the port is handed on. Blocks: it runs on the opener's thread (PortOpener.h).
#pragma once

#include <QString>

#include "serial/PortOpener.h"
#include "serial/network/SocketPlatform.h"

namespace zorva {

// How long a server may take to accept the connection, its addresses together.
inline constexpr int kConnectLimitMs = 4000;
// How long a Telnet server may take to answer the offer of binary transmission.
inline constexpr int kNegotiationLimitMs = 2000;
// The longest a network open can take: the look-up, the connect and the negotiation.
inline constexpr int kNetworkOpenLimitMs =
    serial::kLookUpLimitMs + kConnectLimitMs + kNegotiationLimitMs;

OpenedDevice OpenNetworkPort(const QString& deviceName, const QString& address);

// What is wrong with a network name; kNone when it is well formed.
PortFailure::AddressProblem AddressProblemOf(const QString& address);

// A port failure of the network port `name`, of the kind given, with the system's words.
PortFailure NetworkFailure(const QString& name, PortFailure::Kind kind,
                           const QString& systemText = {});

} // namespace zorva
