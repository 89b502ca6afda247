// The platform-neutral part of connecting: the bound of the name look-up and the share of the
// connect limit each address gets.
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "serial/network/SocketPlatform.h"
#include "serial/platform/DetachedThread.h"

namespace zorva::serial {

std::vector<Endpoint> LookUpHost(const std::string& host, std::uint16_t port, int timeoutMs,
                                 ConnectFailure* failure)
{
    struct LookUp {
        std::mutex mutex;
        std::condition_variable done;
        bool ended = false;
        std::vector<Endpoint> endpoints;
        ConnectFailure failure;
    };
    auto shared = std::make_shared<LookUp>();
    // The system's look-up cannot be cancelled: one that outlasts the bound ends on its own.
    StartDetached([shared, host, port] {
        ConnectFailure f;
        std::vector<Endpoint> endpoints = ResolveHost(host, port, &f);
        {
            const std::lock_guard lock(shared->mutex);
            shared->endpoints = std::move(endpoints);
            shared->failure = std::move(f);
            shared->ended = true;
        }
        shared->done.notify_all();
    });
    std::unique_lock lock(shared->mutex);
    if (!shared->done.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                               [&] { return shared->ended; })) {
        if (failure != nullptr) {
            failure->kind = ConnectFailureKind::kHostNotFound;
            failure->systemText =
                "no answer from the name service within " + std::to_string(timeoutMs) + " ms";
        }
        return {};
    }
    if (failure != nullptr && shared->endpoints.empty()) {
        *failure = shared->failure;
    }
    return std::move(shared->endpoints);
}

std::unique_ptr<Socket> ConnectTcp(const std::vector<Endpoint>& endpoints, int timeoutMs,
                                   ConnectFailure* failure)
{
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    ConnectFailure told;
    told.kind = ConnectFailureKind::kNoAnswer;
    told.systemText = "no endpoint";
    bool refused = false;
    for (std::size_t i = 0; i < endpoints.size(); ++i) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
        const auto share = static_cast<int>(left / static_cast<long long>(endpoints.size() - i));
        if (share <= 0) {
            break;
        }
        ConnectFailure f;
        if (auto socket = ConnectEndpoint(endpoints[i], share, &f)) {
            return socket;
        }
        if (!refused) {
            refused = f.kind == ConnectFailureKind::kRefused;
            told = std::move(f);
        }
    }
    if (failure != nullptr) {
        *failure = std::move(told);
    }
    return nullptr;
}

std::unique_ptr<Socket> ConnectTcp(const std::string& host, std::uint16_t port, int timeoutMs,
                                   ConnectFailure* failure)
{
    const std::vector<Endpoint> endpoints = LookUpHost(host, port, kLookUpLimitMs, failure);
    if (endpoints.empty()) {
        return nullptr;
    }
    return ConnectTcp(endpoints, timeoutMs, failure);
}

} // namespace zorva::serial
