// Control commands: their effect on the module's thread and the calls that post them.
#include <cstdio>

#include "SimLoop.h"

namespace zorva::sim {

void SimLoop::Dump(const std::string& path, TimePoint now)
{
    const std::string part = path + ".part";
    std::FILE* file = std::fopen(part.c_str(), "w");
    if (file == nullptr) {
        trace_.Note(now, "dump not written: " + path);
        return;
    }
    const auto& bytes = core_.config().FileImage();
    std::fputs("config", file);
    for (std::size_t i = 0; i < kWriteImageSize; ++i) {
        std::fprintf(file, " %02X", bytes[i]);
    }
    std::fprintf(file, "\nclock %s\n", core_.ClockText(now).c_str());
    const bool written = std::fclose(file) == 0 && std::rename(part.c_str(), path.c_str()) == 0;
    trace_.Note(now, (written ? "dump " : "dump not written: ") + path);
}

void SimLoop::Apply(const ControlCommand& c, TimePoint now)
{
    using Kind = ControlCommand::Kind;
    switch (c.kind) {
    case Kind::Event:
    case Kind::Error:
    case Kind::FmwDate: {
        if (c.kind == Kind::FmwDate && c.date) {
            core_.SetFirmwareDate((*c.date)[0], (*c.date)[1], (*c.date)[2]);
        }
        const Bytes frame = c.kind == Kind::Event   ? ModuleCore::EventFrame(c.bytes)
                            : c.kind == Kind::Error ? ModuleCore::ErrorFrame(c.bytes.at(0))
                                                    : core_.FirmwareDateFrame();
        if (core_.Deaf(now)) {
            trace_.Note(now, "module silent, not sent: " + TraceHex(frame));
        } else {
            Send(frame, now);
        }
        FlushTx(now);
        break;
    }
    case Kind::Silent:
        core_.SetSilent(c.flag);
        trace_.Note(now, c.flag ? "silent on" : "silent off");
        break;
    case Kind::SilentAfterClock:
        core_.SetSilentAfterClock();
        break;
    case Kind::SilentAfterPicture:
        core_.SetSilentAfterPicture();
        break;
    case Kind::Unplug:
        if (line_.isOpen()) {
            Detach(now, "unplugged");
            line_.Close();
            owner_.LineGone();
        }
        replugAt_ = now + std::chrono::duration_cast<std::chrono::nanoseconds>(
                              std::chrono::duration<double>(c.number));
        break;
    case Kind::Firmware:
        core_.SetFirmware(static_cast<int>(c.number));
        break;
    case Kind::Cameras:
        core_.SetCameras(static_cast<std::uint8_t>(c.number));
        break;
    case Kind::Inputs:
        core_.SetInputs(static_cast<std::uint8_t>(c.number));
        break;
    case Kind::RejectWrite:
        core_.SetRejectWrite(c.flag);
        break;
    case Kind::NoPicture:
        core_.SetNoPicture(c.flag);
        break;
    case Kind::StoreSkew:
        core_.SetStoreSkew(static_cast<int>(c.number));
        break;
    case Kind::Split:
        faults_.settings().split = c.flag;
        break;
    case Kind::Garbage:
        faults_.settings().garbageRate = c.number;
        break;
    case Kind::Corrupt:
        faults_.settings().corruptRate = c.number;
        break;
    case Kind::Drop:
        faults_.settings().dropRate = c.number;
        break;
    case Kind::Delay:
        faults_.settings().delayMs = static_cast<std::uint32_t>(c.number);
        break;
    case Kind::Baud:
        pacer_.SetBaud(static_cast<std::uint32_t>(c.number));
        break;
    case Kind::Wait:
        break;
    case Kind::Dump:
        Dump(c.text, now);
        break;
    case Kind::Quit:
        quit_ = true;
        break;
    }
}

std::string Simulator::Execute(const std::string& line)
{
    const ParsedControlLine parsed = ParseControlLine(line);
    if (!parsed.error.empty()) {
        return parsed.error;
    }
    if (!parsed.command) {
        return {};
    }
    if (parsed.command->kind == ControlCommand::Kind::Wait) {
        return "wait: only in command streams";
    }
    Post(*parsed.command);
    return {};
}

void Simulator::Post(const ControlCommand& command)
{
    {
        std::lock_guard lock(mutex_);
        commands_.push_back(command);
    }
    SignalEventFd(wakeFd_);
}

namespace {
ControlCommand Make(ControlCommand::Kind kind, double number = 0, bool flag = false)
{
    ControlCommand c;
    c.kind = kind;
    c.number = number;
    c.flag = flag;
    return c;
}
} // namespace

void Simulator::SendEvent(const std::vector<std::uint8_t>& payload)
{
    ControlCommand c = Make(ControlCommand::Kind::Event);
    c.bytes = payload;
    Post(c);
}

void Simulator::SendError(std::uint8_t code)
{
    ControlCommand c = Make(ControlCommand::Kind::Error);
    c.bytes = {code};
    Post(c);
}

void Simulator::SendFirmwareDate()
{
    Post(Make(ControlCommand::Kind::FmwDate));
}

void Simulator::SetSilent(bool on)
{
    Post(Make(ControlCommand::Kind::Silent, 0, on));
}

void Simulator::Unplug(double seconds)
{
    Post(Make(ControlCommand::Kind::Unplug, seconds));
}

void Simulator::SetFirmware(int number)
{
    Post(Make(ControlCommand::Kind::Firmware, number));
}

void Simulator::SetCameras(std::uint8_t bits)
{
    Post(Make(ControlCommand::Kind::Cameras, bits));
}

void Simulator::SetInputs(std::uint8_t bits)
{
    Post(Make(ControlCommand::Kind::Inputs, bits));
}

void Simulator::Quit()
{
    Post(Make(ControlCommand::Kind::Quit));
}

} // namespace zorva::sim