#include "LinkRig.h"

#include <algorithm>

#include <QFile>

#include "shell/Text8Bit.h"

namespace zorva::test {

void ScriptedPort::Open()
{
    ++openCalls;
    open = !openFails;
}

void ScriptedPort::Close()
{
    ++closeCalls;
    open = false;
}

int ScriptedPort::_Write_(const std::uint8_t* buffer, int count)
{
    written.emplace_back(buffer, buffer + count);
    return open ? count : -1;
}

int ScriptedPort::_Read_(std::uint8_t* buffer, int count)
{
    readSizes.push_back(count);
    if (readFailures > 0) {
        --readFailures;
        return -1;
    }
    const int n = std::min<int>(count, static_cast<int>(incoming.size()));
    std::copy_n(incoming.begin(), n, buffer);
    incoming.erase(incoming.begin(), incoming.begin() + n);
    return n;
}

bool ScriptedPort::DTR(bool state)
{
    dtrCalls.push_back(state);
    return false; // like a pseudo-terminal: the line cannot be changed
}

bool ScriptedPort::RTS(bool state)
{
    rtsCalls.push_back(state);
    return false;
}

std::vector<Bytes> ScriptedPort::TakeWritten()
{
    std::vector<Bytes> out;
    out.swap(written);
    return out;
}

void RecordingView::SetStatusLeftCaption(const QString& text)
{
    left = text;
    ++leftSets;
}

void RecordingView::SetStatusRightCaption(const QString& text)
{
    right = text;
    ++rightSets;
}

void RecordingView::SetStatusBarText(const QString& text)
{
    statusBar = text;
    ++statusBarSets;
}

void RecordingView::ShowErrorMessage(const QString& text)
{
    if (onMessage) {
        onMessage();
    }
    messages << QStringLiteral("error: ") + text;
}

void RecordingView::ShowInformationMessage(const QString& text)
{
    if (onMessage) {
        onMessage();
    }
    messages << QStringLiteral("information: ") + text;
}

bool RecordingView::AskConfirmation(const QString& text)
{
    if (onMessage) {
        onMessage();
    }
    messages << QStringLiteral("question: ") + text;
    return confirmAnswer;
}

void RecordingView::ShowUnsupportedFirmware(const QString& text)
{
    firmwareErrors << text;
    if (duringModal) {
        duringModal();
    }
}

void RecordingView::ShowPortSettingsModal()
{
    ++settingsShown;
    if (duringModal) {
        duringModal();
    }
}

void RecordingPreview::add2Stream(const std::uint8_t* x, int l)
{
    stream.insert(stream.end(), x, x + l);
}

bool RecordingPreview::Load2pict(std::uint8_t cam)
{
    loaded.push_back(stream);
    loadedTags.push_back(cam);
    return saveSucceeds;
}

void RecordingPreview::SB_playClick()
{
    ++playClicks;
    stream.clear();
    core->setPictcnt(0);
}

QString LanguageDir()
{
    return QStringLiteral(ZORVA_LANG_DIR);
}

Bytes Reply(std::uint8_t type, const Bytes& payload)
{
    return BuildFrame(type, payload);
}

Bytes StatusRecord(std::uint8_t firmware, std::uint8_t channels, std::uint8_t inputs,
                   std::size_t length)
{
    Bytes record{0xDB, 0x07, 0x03, 0x0F, 0x0E, 0x05, 0x09, firmware};
    record.resize(18, 0);
    record[16] = channels;
    record[17] = inputs;
    record.resize(length, 0);
    return record;
}

Bytes PictureData(std::uint8_t number, std::uint8_t size)
{
    Bytes data(std::size_t{16} * size);
    for (std::size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<std::uint8_t>(number * 7 + i);
    }
    return data;
}

Bytes PicturePacket(std::uint8_t flags, std::uint8_t number, std::uint8_t size)
{
    return Reply(kRxPicture, Concat({{flags, number, size}, PictureData(number, size)}));
}

Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts) {
        out.insert(out.end(), p.begin(), p.end());
    }
    return out;
}

QString Hex(const Bytes& bytes)
{
    return QString::fromLatin1(BytesToHex(bytes));
}

void LinkTest::SetUp()
{
    ASSERT_TRUE(dir.isValid());
    logPath = dir.filePath(QStringLiteral("run.log"));
    core = std::make_unique<LinkCore>(port, view, preview, clock, config, network);
    // The tests drive every tick themselves.
    core->Timer1().stop();
    core->setLogFilePath(logPath);
    core->setLanguageDir(LanguageDir());
    preview.core = core.get();
}

void LinkTest::Feed(const Bytes& bytes)
{
    port.incoming.insert(port.incoming.end(), bytes.begin(), bytes.end());
    core->PortRSRxCharSignal(nullptr, static_cast<int>(bytes.size()));
}

void LinkTest::Connect(const Bytes& status)
{
    core->Tick();
    Feed(Reply(kRxStatus, status));
    Feed(Reply(kRxConfig, Bytes(175, 0x11)));
    Feed(Reply(kRxNetwork, Bytes(20, 0x22)));
    ASSERT_FALSE(core->readit());
    ASSERT_EQ(core->Timer1Tag(), 0);
    port.TakeWritten();
    view.memo1.clear();
}

void LinkTest::Ticks(int n)
{
    for (int i = 0; i < n; ++i) {
        core->Tick();
    }
}

QStringList LinkTest::LogFileLines() const
{
    QFile file(logPath);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    QString text = FromCp1250(file.readAll());
    if (text.endsWith(QStringLiteral("\r\n"))) {
        text.chop(2);
    }
    return text.isEmpty() ? QStringList{} : text.split(QStringLiteral("\r\n"));
}

std::vector<int> LinkTest::WrittenCodes()
{
    std::vector<int> codes;
    for (const Bytes& frame : port.TakeWritten()) {
        codes.push_back(frame.size() > 3 ? frame[3] : -1);
    }
    return codes;
}

} // namespace zorva::test
