#include "serial/NetworkConnect.h"

#include <mutex>
#include <thread>

#include "serial/NetworkNames.h"
#include "serial/NetworkPort.h"
#include "serial/SocketPlatform.h"

namespace zorva {
namespace {

// Beyond the connect's own limit, the bound of a name look-up that hangs in the resolver.
constexpr int kLookUpAllowanceMs = 2000;

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

} // namespace

struct NetworkConnect::Shared {
    std::mutex mutex;
    bool done = false;
    std::unique_ptr<serial::Socket> socket;
    serial::ConnectFailure failure;
};

NetworkConnect::NetworkConnect(const QString& name)
    : name_(name), started_(std::chrono::steady_clock::now()), shared_(std::make_shared<Shared>())
{
    const auto address = serial::ParseNetworkName(name.toStdString());
    if (!address) {
        shared_->done = true;
        shared_->failure.kind = serial::ConnectFailureKind::kHostNotFound;
        return;
    }
    std::thread([shared = shared_, host = address->host, port = address->port] {
        serial::ConnectFailure failure;
        auto socket = serial::ConnectTcp(host, port, kConnectLimitMs, &failure);
        std::lock_guard lock(shared->mutex);
        shared->socket = std::move(socket);
        shared->failure = failure;
        shared->done = true;
    }).detach();
}

NetworkConnect::~NetworkConnect() = default;

bool NetworkConnect::Finished() const
{
    {
        std::lock_guard lock(shared_->mutex);
        if (shared_->done) {
            return true;
        }
    }
    return std::chrono::steady_clock::now() - started_ >=
           std::chrono::milliseconds(kConnectLimitMs + kLookUpAllowanceMs);
}

std::unique_ptr<serial::SerialPort> NetworkConnect::Take(PortFailure* failure)
{
    std::lock_guard lock(shared_->mutex);
    if (!shared_->done) {
        *failure = NetworkFailure(name_, PortFailure::Kind::kNoAnswer);
        return nullptr;
    }
    if (!shared_->socket) {
        *failure = NetworkFailure(name_, KindOf(shared_->failure.kind),
                                  QString::fromLocal8Bit(shared_->failure.systemText.c_str()));
        return nullptr;
    }
    const bool telnet = serial::ParseNetworkName(name_.toStdString())->telnet;
    return serial::MakeNetworkPort(std::move(shared_->socket), telnet);
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
