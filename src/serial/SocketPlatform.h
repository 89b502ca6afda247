// The operating system's TCP sockets, reduced to what a network port needs: a connect with a
// time limit, and sends, receives and waits that never block longer than asked. One
// implementation per platform is chosen by CMake (SocketPlatformPosix.cpp, SocketPlatformWin.cpp).
// Plain C++: no Qt, no exceptions; failures are results.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

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

// Resolves `host` and connects to `port` within timeoutMs. Blocks the calling thread (the name
// look-up has no bound of its own): call it off the user-interface thread.
std::unique_ptr<Socket> ConnectTcp(const std::string& host, std::uint16_t port, int timeoutMs,
                                   ConnectFailure* failure);

} // namespace zorva::serial
