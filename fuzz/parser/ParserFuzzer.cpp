// Feeds arbitrary byte streams in arbitrary chunks to the reply parser with the sequencer
// attached (a scripted port answers the reads, requests go nowhere) and checks the parser's
// invariants after every receive event:
//  - a picture packet's data handed to the preview lies inside the frame being analysed, before
//    its checksum (and every span access in the link library is bounds-checked in this build);
//  - the receive buffer never holds more than its capacity;
//  - every byte received is consumed in a frame, dropped, or still in the receive buffer.
// The stream is taken from the front of the input, the chunk sizes and the user's actions from
// its end, so a seed made of real frames is fed as it is.
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fuzzer/FuzzedDataProvider.h>

#include <QCoreApplication>

#include "config/ConfigRecord.h"
#include "link/LinkCore.h"

namespace {

using namespace zorva;

[[noreturn]] void Fail(const char* what)
{
    std::fprintf(stderr, "parser invariant broken: %s\n", what);
    std::abort();
}

class FuzzPort : public LinkPort {
public:
    bool Enabled() const override { return open; }
    void Open() override { open = true; }
    void Close() override { open = false; }
    QString DeviceName() const override { return QStringLiteral("COM1"); }
    int _Write_(const std::uint8_t*, int count) override { return open ? count : -1; }
    int _Read_(std::uint8_t* buffer, int count) override
    {
        if (count < 0) {
            Fail("negative read count");
        }
        int n = 0;
        while (n < count && !incoming.empty()) {
            buffer[n++] = incoming.front();
            incoming.pop_front();
        }
        return n;
    }
    bool DTR(bool) override { return false; }
    bool RTS(bool) override { return false; }

    bool open = false;
    std::deque<std::uint8_t> incoming;
};

class FuzzView : public LinkView {
public:
    void ShowConfig() override {}
    QString StatusLeftCaption() const override { return left; }
    void SetStatusLeftCaption(const QString& text) override { left = text; }
    QString StatusRightCaption() const override { return right; }
    void SetStatusRightCaption(const QString& text) override { right = text; }
    void SetStatusStripConnected(bool) override {}
    void SetLabel18ButtonShadow() override {}
    void RepaintStatusGrid() override {}
    void SetLinkButtonsEnabled(bool) override {}
    QString StatusBarText() const override { return bar; }
    void SetStatusBarText(const QString& text) override { bar = text; }
    void Memo1Add(const QString&) override {}
    void Memo1Clear() override {}
    void Memo2Add(const QString&) override { ++memo2; }
    int Memo2LineCount() const override { return memo2; }
    void Memo2DeleteFirstLine() override { --memo2; }
    void ShowErrorMessage(const QString&) override {}
    void ShowInformationMessage(const QString&) override {}
    bool AskConfirmation(const QString&) override { return true; }
    void ShowUnsupportedFirmware(const QString&) override
    {
        // A modal dialog's event loop may deliver the next receive event.
        if (core != nullptr && port != nullptr && !port->incoming.empty()) {
            core->PortRSRxCharSignal(nullptr, static_cast<int>(port->incoming.size()));
        }
    }
    bool PortSettingsShowing() const override { return false; }
    void ShowPortSettingsModal() override {}
    bool Polski1Checked() const override { return polish; }

    LinkCore* core = nullptr;
    FuzzPort* port = nullptr;
    QString left, right, bar;
    int memo2 = 0;
    bool polish = true;
};

class FuzzPreview : public LinkPreview {
public:
    std::uint8_t KamNr() const override { return 1; }
    std::uint8_t PictWB() const override { return size; }
    void add2Stream(const std::uint8_t* x, int l) override
    {
        const Bytes& frame = core->sbuf();
        if (l < 0 || frame.empty() || x < frame.data() || x + l > frame.data() + frame.size() - 1) {
            Fail("picture data outside its frame");
        }
        streamed += static_cast<std::size_t>(l);
    }
    bool Load2pict(std::uint8_t) override { return (streamed & 1) == 0; }
    void SB_playClick() override
    {
        streamed = 0;
        core->setPictcnt(0);
    }
    void FormShow() override {}
    void ShowPlayButtons(bool) override {}

    LinkCore* core = nullptr;
    std::uint8_t size = 15;
    std::size_t streamed = 0;
};

class FixedClock : public LinkClock {
public:
    QDateTime Now() const override { return QDateTime(QDate(2011, 3, 15), QTime(14, 5, 9)); }
};

void CheckInvariants(const LinkCore& core)
{
    if (core.lcbuf() > kRxBufferCapacity) {
        Fail("receive buffer above its capacity");
    }
    const ReceiveCounters& c = core.Counters();
    if (c.received != c.consumed + c.dropped + core.lcbuf()) {
        Fail("bytes neither consumed nor dropped");
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // Timers and the application folder need an application object.
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    FuzzPort port;
    FuzzView view;
    FuzzPreview preview;
    FixedClock clock;
    ConfigRecord config;
    NetworkRecord network;
    LinkCore core(port, view, preview, clock, config, network);
    core.Timer1().stop();

    view.core = &core;
    view.port = &port;
    preview.core = &core;

    const auto setup = input.ConsumeIntegral<std::uint8_t>();
    // Reading the language files costs more than the rest of a run: only some runs decode
    // event reports with them, the others see every code as undescribed.
    core.setLanguageDir((setup & 0x01) != 0 ? QStringLiteral(ZORVA_FUZZ_LANG_DIR)
                                            : QStringLiteral("/nonexistent"));
    view.polish = (setup & 0x03) == 0x03;
    preview.size = static_cast<std::uint8_t>((setup >> 4) & 0x0F);
    core.Tick(); // opens the port
    if ((setup & 0x02) != 0) {
        preview.SB_playClick();
    }
    if ((setup & 0x04) != 0) {
        core.ToolButton2Click();
    }
    if ((setup & 0x08) != 0) {
        core.ToolButton3Click();
    }

    while (input.remaining_bytes() > 0) {
        const auto op = input.ConsumeIntegral<std::uint8_t>();
        const int arg = op >> 3;
        switch (op & 0x07) {
        case 5:
            core.Tick();
            break;
        case 6:
            if ((arg & 1) != 0) {
                preview.SB_playClick();
            } else {
                core.setPictcnt(kPictStopped);
            }
            break;
        case 7:
            switch (arg & 3) {
            case 0:
                core.ToolButton2Click();
                break;
            case 1:
                core.ToolButton3Click();
                break;
            case 2:
                core.ToolButton4Click();
                break;
            default:
                core.OnAppIdle();
                break;
            }
            break;
        default: {
            // A receive event; the largest ones are read in several intakes.
            const std::size_t length = arg == 31 ? 5000 : 1 + std::size_t(arg) * 9;
            const std::vector<std::uint8_t> chunk = input.ConsumeBytes<std::uint8_t>(length);
            port.incoming.insert(port.incoming.end(), chunk.begin(), chunk.end());
            core.PortRSRxCharSignal(nullptr, static_cast<int>(port.incoming.size()));
            break;
        }
        }
        CheckInvariants(core);
    }
    return 0;
}
