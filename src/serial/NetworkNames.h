// Port names that reach a serial line through the network: "tcp://HOST:PORT" and
// "socket://HOST:PORT" carry the bytes as they are, "rfc2217://HOST:PORT" speaks Telnet with
// the COM port control option. Such a name is never a device path and is shown as typed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zorva::serial {

struct NetworkAddress {
    bool telnet = false; // rfc2217://
    std::string host;    // without the brackets of an IPv6 address
    std::uint16_t port = 0;
};

// Whether the name starts with one of the network schemes (any case), well formed or not.
bool IsNetworkName(const std::string& name);
// The address of a well-formed network name (a "?..." tail is ignored); nothing otherwise.
std::optional<NetworkAddress> ParseNetworkName(const std::string& name);

} // namespace zorva::serial
