// The simulator's line served over raw TCP (zorva-sim --listen): one client at a time gets the
// module's line, byte for byte, as a serial device server in raw mode would give it. The bridge
// opens the line's device side while a client is connected, so the module sees the program
// come and go as it would on the line.
#pragma once

#include <string>
#include <thread>

namespace zorva::sim {

class TcpBridge {
public:
    TcpBridge() = default;
    TcpBridge(const TcpBridge&) = delete;
    TcpBridge& operator=(const TcpBridge&) = delete;
    ~TcpBridge() { Stop(); }

    // Binds and listens; false with a reason when that fails.
    bool Listen(const std::string& host, int port, std::string* error);
    // "tcp://HOST:PORT" as bound (the port chosen when 0 was asked for).
    std::string address() const { return address_; }
    // Serves clients on the device behind `linkPath` until Stop.
    void Start(const std::string& linkPath);
    void Stop();

private:
    void Run();
    void Serve(int client);

    int listen_ = -1;
    int stop_ = -1; // eventfd
    std::string address_;
    std::string linkPath_;
    std::thread thread_;
};

} // namespace zorva::sim
