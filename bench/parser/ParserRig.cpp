#include "ParserRig.h"

#include <algorithm>
#include <cstring>

#include "sim/ModuleCore.h"

namespace zorva::bench {

int MemoryPort::_Write_(const std::uint8_t*, int count)
{
    written_ += static_cast<std::size_t>(count);
    return count;
}

int MemoryPort::_Read_(std::uint8_t* buffer, int count)
{
    const std::size_t n = std::min(incoming_.size(), static_cast<std::size_t>(count));
    std::memcpy(buffer, incoming_.data(), n);
    incoming_ = incoming_.subspan(n);
    return static_cast<int>(n);
}

bool AssemblingPreview::Load2pict(std::uint8_t)
{
    ++pictures;
    lastPictureBytes = stream_.size();
    return true;
}

void AssemblingPreview::SB_playClick()
{
    stream_.clear();
    core->setPictcnt(0);
}

ModuleTraffic MakeModuleTraffic(int statusReplies)
{
    using sim::ModuleCore;
    const auto now = sim::Clock::now();
    sim::ModuleSettings settings;
    settings.config = sim::DefaultConfig();
    ModuleCore module(settings, std::make_unique<sim::GeneratedPictures>(), now);
    auto answer = [&](const Bytes& request, Bytes* out, std::vector<std::size_t>* lengths) {
        for (const Bytes& frame : module.OnFrame(request, now)) {
            out->insert(out->end(), frame.begin(), frame.end());
            if (lengths != nullptr) {
                lengths->push_back(frame.size());
            }
        }
    };

    ModuleTraffic traffic;
    answer(StanFrame(), &traffic.connect, nullptr);
    answer(DaneFrame(), &traffic.connect, nullptr);
    answer(RdDhcpFrame(), &traffic.connect, nullptr);
    for (std::uint8_t packet = 0;; ++packet) {
        const std::size_t before = traffic.pictureCycle.size();
        answer(PictFrame(1, packet, 15), &traffic.pictureCycle, &traffic.cycleFrames);
        const std::uint8_t flags = traffic.pictureCycle[before + 4];
        if ((flags >> 4) == 0xF || packet == 255) {
            traffic.pictureBytes = std::size_t{packet + 1u} * 240;
            break;
        }
    }
    answer(StanFrame(), &traffic.pictureCycle, &traffic.cycleFrames);
    for (int i = 0; i < statusReplies; ++i) {
        answer(StanFrame(), &traffic.statusReplies, nullptr);
    }
    return traffic;
}

ParserRig::ParserRig()
{
    core = std::make_unique<LinkCore>(port, view, preview, clock, config, network);
    preview.core = core.get();
}

void ParserRig::FeedFrames(std::span<const std::uint8_t> bytes,
                           const std::vector<std::size_t>& lengths)
{
    port.Serve(bytes);
    for (const std::size_t length : lengths) {
        core->PortRSRxCharSignal(nullptr, static_cast<int>(length));
    }
}

void ParserRig::FeedEvents(std::span<const std::uint8_t> bytes, std::size_t eventBytes)
{
    port.Serve(bytes);
    while (port.left() > 0) {
        core->PortRSRxCharSignal(nullptr, static_cast<int>(std::min(eventBytes, port.left())));
    }
}

} // namespace zorva::bench
