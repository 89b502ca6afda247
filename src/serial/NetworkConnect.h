// A connect to a network port, run on a thread of its own so that neither the name look-up nor
// a server that does not answer holds up the user-interface thread. The port component polls
// it from its reopen; an attempt given up on finishes in the background and closes its socket.
#pragma once

#include <chrono>
#include <memory>
#include <optional>

#include <QString>

#include "serial/SerialPlatform.h"
#include "shell/PortFailure.h"

namespace zorva {

class NetworkConnect {
public:
    // How long a server may take to accept the connection.
    static constexpr int kConnectLimitMs = 4000;

    // Starts connecting to the port named `name` (a network name, see NetworkNames.h).
    explicit NetworkConnect(const QString& name);
    ~NetworkConnect();
    NetworkConnect(const NetworkConnect&) = delete;
    NetworkConnect& operator=(const NetworkConnect&) = delete;

    const QString& name() const { return name_; }
    // Whether the attempt has ended (also by running out of time, name look-up included).
    bool Finished() const;
    // Once finished: the connected port, or nothing and *failure says why.
    std::unique_ptr<serial::SerialPort> Take(PortFailure* failure);

private:
    struct Shared;
    QString name_;
    std::chrono::steady_clock::time_point started_;
    std::shared_ptr<Shared> shared_;
};

// A port failure of the network port `name`, of the kind given, with the system's words.
PortFailure NetworkFailure(const QString& name, PortFailure::Kind kind,
                           const QString& systemText = {});

} // namespace zorva
