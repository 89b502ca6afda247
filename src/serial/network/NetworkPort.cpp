#include "serial/network/NetworkPort.h"

#include <algorithm>
#include <chrono>
#include <deque>
#include <mutex>
#include <optional>
#include <utility>

#include "serial/network/TelnetCodec.h"

namespace zorva::serial {
namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::milliseconds;

// A send's bound when the caller gives none, and the bound of the Telnet layer's own answers.
constexpr int kAnswerBoundMs = 2000;

int RemainingMs(Clock::time_point end)
{
    const auto left = std::chrono::duration_cast<Ms>(end - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

class NetworkPort final : public SerialPort {
public:
    NetworkPort(std::unique_ptr<Socket> socket, bool telnet) : socket_(std::move(socket))
    {
        if (telnet) {
            codec_.emplace();
            SendAll(codec_->Start(), kAnswerBoundMs);
            // A line without flow control is what the module speaks; no other call asks for it.
            Request([](TelnetCodec& c, TelnetCodec::Bytes& out) { c.RequestNoFlowControl(out); });
        }
    }

    bool SetQueueSizes(int, int) override { return true; }
    void SetReadIntervalTimeout(int ms) override { intervalMs_ = std::max(ms, 0); }

    // A raw connection has no line to set: the server's own settings stand.
    bool SetBaudRate(std::uint32_t bps) override
    {
        return Request([&](TelnetCodec& c, TelnetCodec::Bytes& o) { c.RequestBaudRate(bps, o); });
    }
    bool SetParity(std::uint8_t code) override
    {
        return Request([&](TelnetCodec& c, TelnetCodec::Bytes& o) { c.RequestParity(code, o); });
    }
    bool SetStopBits(std::uint8_t code) override
    {
        return Request([&](TelnetCodec& c, TelnetCodec::Bytes& o) { c.RequestStopSize(code, o); });
    }
    bool SetByteSize(std::uint8_t bits) override
    {
        return Request([&](TelnetCodec& c, TelnetCodec::Bytes& o) { c.RequestDataSize(bits, o); });
    }

    std::unique_ptr<EventWaiter> CreateEventWaiter(std::uint32_t eventMask, int*) override;

    CommStatus ClearError() override
    {
        Pump();
        std::lock_guard lock(mutex_);
        CommStatus s;
        s.inQueue = static_cast<std::uint32_t>(received_.size());
        return s;
    }

    std::optional<std::uint32_t> ModemStatus() override { return std::nullopt; }

    bool Escape(LineFunction function) override
    {
        const bool on = function == LineFunction::kSetDtr || function == LineFunction::kSetRts;
        if (function == LineFunction::kSetDtr || function == LineFunction::kClrDtr) {
            return Request([&](TelnetCodec& c, TelnetCodec::Bytes& o) { c.RequestDtr(on, o); });
        }
        if (function == LineFunction::kSetRts || function == LineFunction::kClrRts) {
            return Request([&](TelnetCodec& c, TelnetCodec::Bytes& o) { c.RequestRts(on, o); });
        }
        return false;
    }

    bool Purge(std::uint32_t flags) override
    {
        if (flags & kPurgeRxClear) {
            std::lock_guard lock(mutex_);
            received_.clear();
            unreported_ = false;
        }
        return true;
    }

    int Read(std::uint8_t* buffer, int count, int totalTimeoutMs) override
    {
        if (count <= 0) {
            return 0;
        }
        const bool bounded = totalTimeoutMs >= 0;
        const auto end = Clock::now() + Ms(std::max(totalTimeoutMs, 0));
        auto lastByte = Clock::now();
        int got = 0;
        for (;;) {
            bool gone = false;
            {
                std::lock_guard lock(mutex_);
                const int n = std::min(count - got, static_cast<int>(received_.size()));
                std::copy_n(received_.begin(), n, buffer + got);
                received_.erase(received_.begin(), received_.begin() + n);
                got += n;
                if (n > 0) {
                    lastByte = Clock::now();
                }
                gone = gone_;
            }
            if (got == count) {
                return got;
            }
            if (gone) {
                return -1;
            }
            const auto now = Clock::now();
            int wait = bounded ? RemainingMs(end) : -1;
            if (got > 0 && intervalMs_ > 0) {
                const auto intervalEnd = lastByte + Ms(intervalMs_);
                if (now >= intervalEnd && (!bounded || intervalEnd <= end)) {
                    return got; // the line fell silent
                }
                const int untilSilent = RemainingMs(intervalEnd);
                wait = wait < 0 ? untilSilent : std::min(wait, untilSilent);
            }
            if (bounded && now >= end) {
                return got > 0 ? got : -1; // what came is kept
            }
            const Socket::Ready r = socket_->WaitReadable(wait);
            if (r == Socket::Ready::kWoken || r == Socket::Ready::kFailed) {
                return -1;
            }
            Pump();
        }
    }

    int Write(const std::uint8_t* buffer, int count, int totalTimeoutMs) override
    {
        if (count <= 0) {
            return 0;
        }
        TelnetCodec::Bytes wire;
        {
            std::lock_guard lock(mutex_);
            if (codec_) {
                codec_->Encode(buffer, static_cast<std::size_t>(count), wire);
            } else {
                wire.assign(buffer, buffer + count);
            }
        }
        return SendAll(wire, totalTimeoutMs) ? count : -1;
    }

    // Receives what waits without blocking, answers the Telnet layer, and queues the data.
    // Result: whether data bytes were added.
    bool Pump()
    {
        std::uint8_t chunk[4096];
        bool added = false;
        for (;;) {
            const int n = socket_->Receive(chunk, sizeof chunk);
            TelnetCodec::Bytes data;
            TelnetCodec::Bytes reply;
            std::unique_lock lock(mutex_);
            if (n < 0) {
                gone_ = true;
            }
            if (n <= 0) {
                return added;
            }
            if (codec_) {
                codec_->Decode(chunk, static_cast<std::size_t>(n), data, reply);
                for (std::string& r : codec_->TakeRefusals()) {
                    refusals_.push_back(std::move(r));
                }
            } else {
                data.assign(chunk, chunk + n);
            }
            if (!data.empty()) {
                received_.insert(received_.end(), data.begin(), data.end());
                unreported_ = true;
                added = true;
            }
            lock.unlock();
            if (!reply.empty()) {
                SendAll(reply, kAnswerBoundMs);
            }
        }
    }

    // Pumps until the server has answered the offer of binary transmission or the time is up.
    bool AwaitBinary(int timeoutMs)
    {
        if (!codec_) {
            return true;
        }
        const auto end = Clock::now() + Ms(std::max(timeoutMs, 0));
        for (;;) {
            {
                std::lock_guard lock(mutex_);
                if (codec_->BinaryAnswered() || gone_) {
                    return codec_->BinaryAnswered();
                }
            }
            if (Clock::now() >= end) {
                return false;
            }
            const Socket::Ready r = socket_->WaitReadable(RemainingMs(end));
            if (r == Socket::Ready::kWoken || r == Socket::Ready::kFailed) {
                return false;
            }
            Pump();
        }
    }

    // Whether received bytes wait that no event has reported yet; clears the mark.
    bool TakeUnreported()
    {
        std::lock_guard lock(mutex_);
        return std::exchange(unreported_, false) && !received_.empty();
    }
    bool Gone()
    {
        std::lock_guard lock(mutex_);
        return gone_;
    }
    Socket& socket() { return *socket_; }

    std::vector<std::string> TakeRefusals()
    {
        std::lock_guard lock(mutex_);
        return std::exchange(refusals_, {});
    }
    bool HasRefusals()
    {
        std::lock_guard lock(mutex_);
        return !refusals_.empty();
    }

private:
    template <typename Ask> bool Request(Ask ask)
    {
        TelnetCodec::Bytes out;
        {
            std::lock_guard lock(mutex_);
            if (!codec_) {
                return false;
            }
            ask(*codec_, out);
        }
        return out.empty() || SendAll(out, kAnswerBoundMs);
    }

    // Sends every byte, in one piece as far as other senders are concerned.
    bool SendAll(const TelnetCodec::Bytes& bytes, int totalTimeoutMs)
    {
        std::lock_guard lock(sendMutex_);
        const bool bounded = totalTimeoutMs >= 0;
        const auto end = Clock::now() + Ms(std::max(totalTimeoutMs, 0));
        std::size_t done = 0;
        while (done < bytes.size()) {
            const int n = socket_->Send(bytes.data() + done, static_cast<int>(bytes.size() - done));
            if (n < 0) {
                return false;
            }
            done += static_cast<std::size_t>(n);
            if (n > 0) {
                continue;
            }
            if (bounded && Clock::now() >= end) {
                return false;
            }
            const Socket::Ready r = socket_->WaitWritable(bounded ? RemainingMs(end) : -1);
            if (r == Socket::Ready::kWoken || r == Socket::Ready::kFailed) {
                return false;
            }
        }
        return true;
    }

    std::unique_ptr<Socket> socket_;
    std::mutex sendMutex_;
    std::mutex mutex_; // guards everything below
    std::optional<TelnetCodec> codec_;
    std::deque<std::uint8_t> received_;
    std::vector<std::string> refusals_;
    bool unreported_ = false;
    bool gone_ = false;
    int intervalMs_ = 0;
};

class NetworkWaiter final : public EventWaiter {
public:
    NetworkWaiter(NetworkPort& port, std::uint32_t mask) : port_(port), mask_(mask) {}

    void Release() override { port_.socket().Wake(); }

    WaitResult Wait(int timeoutMs) override
    {
        const auto end = Clock::now() + Ms(timeoutMs);
        for (;;) {
            if (port_.TakeUnreported() && (mask_ & kEvRxChar)) {
                return {WaitResult::Kind::kEvents, kEvRxChar};
            }
            // A refused setting is the component's news as soon as its answer is in, whether
            // data comes or not.
            if (port_.HasRefusals()) {
                return {WaitResult::Kind::kEvents, 0};
            }
            if (port_.Gone()) {
                return {WaitResult::Kind::kHangUp, 0};
            }
            const Socket::Ready r = port_.socket().WaitReadable(RemainingMs(end));
            if (r == Socket::Ready::kWoken) {
                return {WaitResult::Kind::kClosed, 0};
            }
            if (r == Socket::Ready::kTimeout && Clock::now() >= end) {
                return {WaitResult::Kind::kTimeout, 0};
            }
            if (r == Socket::Ready::kFailed) {
                return {WaitResult::Kind::kHangUp, 0};
            }
            port_.Pump();
        }
    }

private:
    NetworkPort& port_;
    std::uint32_t mask_;
};

std::unique_ptr<EventWaiter> NetworkPort::CreateEventWaiter(std::uint32_t eventMask, int*)
{
    return std::make_unique<NetworkWaiter>(*this, eventMask);
}

} // namespace

std::unique_ptr<SerialPort> MakeNetworkPort(std::unique_ptr<Socket> socket, bool telnet)
{
    return std::make_unique<NetworkPort>(std::move(socket), telnet);
}

bool AwaitNegotiation(SerialPort& port, int timeoutMs)
{
    auto* network = dynamic_cast<NetworkPort*>(&port);
    return network == nullptr || network->AwaitBinary(timeoutMs);
}

std::vector<std::string> TakeNetworkRefusals(SerialPort& port)
{
    auto* network = dynamic_cast<NetworkPort*>(&port);
    return network != nullptr ? network->TakeRefusals() : std::vector<std::string>{};
}

} // namespace zorva::serial
