// The operating system's TCP sockets, reduced to what a network port needs: a connect with a
// time limit, and sends, receives and waits that never block longer than asked. One
// implementation per platform is chosen by CMake (SocketPlatformPosix.cpp, SocketPlatformWin.cpp).
// Plain C++: no Qt, no exceptions; failures are results.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zorva::serial {

enum class ConnectFailureKind : std::uint8_t {
    kHostNotFound, // the name does not resolve
    kRefused,      // nobody listens at that port
    kNoAnswer,     // nothing answered within the time limit
    kOther,        // anything else: see systemText
};

struct ConnectFailure {
    ConnectFailureKind kind = ConnectFailureKind::kOther;
    std::string systemText;
};

// One connected TCP socket (Nagle's algorithm off); closed when destroyed. Send and Receive may
// be called from two threads at once; Wake from any thread.
class Socket {
public:
    enum class Ready { kReady, kTimeout, kWoken, kFailed };

    virtual ~Socket() = default;
    // Bytes sent without blocking; 0 when the send buffer is full; -1 when the connection is gone.
    virtual int Send(const std::uint8_t* buffer, int count) = 0;
    // Bytes received without blocking; 0 when nothing waits; -1 when the connection is gone
    // (closed by the server or failed).
    virtual int Receive(std::uint8_t* buffer, int count) = 0;
    // Waits at most timeoutMs (< 0: no limit) until a Receive or Send would not block; kWoken
    // once Wake has been called, at once and from then on.
    virtual Ready WaitReadable(int timeoutMs) = 0;
    virtual Ready WaitWritable(int timeoutMs) = 0;
    virtual void Wake() = 0;
};

// One address of a host, as numbers ("10.0.0.5", "fe80::1"), with the port to connect to.
struct Endpoint {
    std::string address;
    std::uint16_t port = 0;
};

// The addresses of `host` in the order the system prefers them. Blocks as long as the system's
// name look-up takes (it has no bound of its own): see LookUpHost. Empty with *failure set when
// the name does not resolve.
std::vector<Endpoint> ResolveHost(const std::string& host, std::uint16_t port,
                                  ConnectFailure* failure);
// Connects to one endpoint within timeoutMs.
std::unique_ptr<Socket> ConnectEndpoint(const Endpoint& endpoint, int timeoutMs,
                                        ConnectFailure* failure);

// ResolveHost bounded by timeoutMs: a look-up still running then is left to end on its own
// thread, and the host counts as not found.
std::vector<Endpoint> LookUpHost(const std::string& host, std::uint16_t port, int timeoutMs,
                                 ConnectFailure* failure);
// Tries the endpoints in order within timeoutMs in all, each with an equal share of the time
// left, so that one that goes nowhere (an IPv6 address without a route) leaves time for the
// next. The failure told is the refusal of a server that answered, else the last one's.
std::unique_ptr<Socket> ConnectTcp(const std::vector<Endpoint>& endpoints, int timeoutMs,
                                   ConnectFailure* failure);
// LookUpHost within kLookUpLimitMs, then ConnectTcp within timeoutMs. Blocks the calling
// thread: call it off the user-interface thread.
inline constexpr int kLookUpLimitMs = 5000;
std::unique_ptr<Socket> ConnectTcp(const std::string& host, std::uint16_t port, int timeoutMs,
                                   ConnectFailure* failure);

} // namespace zorva::serial
