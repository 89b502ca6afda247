// A serial line reached through the network, as the serial port component's device: the bytes
// as they are (raw TCP), or through Telnet with the COM port control option. Only data bytes
// count as received; the Telnet layer's own bytes are answered here and never handed on.
// Plain C++.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "serial/network/SocketPlatform.h"
#include "serial/platform/SerialPlatform.h"

namespace zorva::serial {

// Takes over a connected socket. With `telnet` it negotiates at once.
std::unique_ptr<SerialPort> MakeNetworkPort(std::unique_ptr<Socket> socket, bool telnet);

// Waits at most timeoutMs until the server of a Telnet port has answered the offer of binary
// transmission, so that data written next is not sent as text (where a CR would gain a NUL).
// False when it has not; at once true for other ports.
bool AwaitNegotiation(SerialPort& port, int timeoutMs);

// The settings the server of a Telnet port refused since the last call, each named once per
// connection; nothing for other ports.
std::vector<std::string> TakeNetworkRefusals(SerialPort& port);

} // namespace zorva::serial
