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

// What is wrong with a network name that is not well formed.
enum class AddressProblem : std::uint8_t {
    kNone,
    kNoHost,  // "tcp://:4001"
    kNoPort,  // "tcp://host", "tcp://host:"
    kBadPort, // not a number from 1 to 65535: "tcp://host:0", "tcp://host:99999", "tcp://host:x"
};

// Whether the name starts with one of the network schemes (any case), well formed or not.
bool IsNetworkName(const std::string& name);
// The address of a well-formed network name (a "?..." tail is ignored); nothing otherwise, and
// *problem (when given) says what is wrong. An IPv6 address is written in brackets:
// "tcp://[fe80::1]:4001".
std::optional<NetworkAddress> ParseNetworkName(const std::string& name,
                                               AddressProblem* problem = nullptr);

} // namespace zorva::serial
