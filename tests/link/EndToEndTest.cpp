// The link core against the module simulator over a real pseudo-terminal, through the serial
// port component, with a running Qt event loop: connect and read, write with reset and re-read,
// a whole picture, and the same under split answers and corrupted checksums.
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include "LinkRig.h"
#include "link/TComm64LinkPort.h"
#include "serial/TComm64.h"
#include "shell/LanguageTexts.h"
#include "sim/PictureSource.h"
#include "sim/SimOptions.h"
#include "sim/Simulator.h"

namespace zorva::test {
namespace {

// Ticks are counted, not timed: a shorter tick keeps the test quick.
constexpr int kTestTickMs = 100;

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        // The serial component looks up port aliases in the settings store.
        qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toUtf8());
        qputenv("HOME", dir.path().toUtf8());
        // A real JPEG picture that the simulator sends for every request.
        const QString pictures = dir.filePath(QStringLiteral("pictures"));
        ASSERT_TRUE(QDir().mkpath(pictures));
        sim::GeneratedPictures generator;
        jpeg = generator.Take(0, "2011-03-15 14:05:09");
        ASSERT_GT(jpeg.size(), 2000u);
        QFile file(pictures + QStringLiteral("/a.jpg"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(jpeg.data()), static_cast<qint64>(jpeg.size()));
        file.close();
        options.picturesDir = pictures.toStdString();
        options.linkPath = dir.filePath(QStringLiteral("module.tty")).toStdString();
        options.resetSeconds = 0.2;
        options.seed = 4242;
    }

    void TearDown() override
    {
        core.reset();
        port.reset();
        if (simulator) {
            simulator->Stop();
        }
    }

    void Start()
    {
        simulator = std::make_unique<sim::Simulator>(options);
        std::string error;
        ASSERT_TRUE(simulator->Start(&error)) << error;
        port = std::make_unique<TComm64>();
        ApplyPortRSDefaults(*port);
        port->setDeviceName(QString::fromStdString(options.linkPath));
        linkPort = std::make_unique<TComm64LinkPort>(*port);
        core = std::make_unique<LinkCore>(*linkPort, view, preview, clock, config, network);
        core->setLanguageDir(LanguageDir());
        preview.core = core.get();
        port->setOnRxCharSignal([this](QObject* sender, std::int32_t count) {
            core->PortRSRxCharSignal(sender, count);
        });
        core->Timer1().setInterval(kTestTickMs);
        core->Timer1().start();
    }

    // Runs the event loop until `done` or the deadline.
    template <typename Pred> bool RunUntil(Pred done, int timeoutMs = 20000)
    {
        QEventLoop loop;
        QTimer check;
        QObject::connect(&check, &QTimer::timeout, &loop, [&] {
            if (done()) {
                loop.quit();
            }
        });
        check.start(10);
        QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
        loop.exec();
        return done();
    }

    // Connected, the configuration read automatically and the network settings after it.
    void ExpectConnectedAndRead()
    {
        ASSERT_TRUE(RunUntil([&] {
            return !core->StatusEmpty() && view.showConfigCalls >= 3 && !core->readit() &&
                   core->Timer1Tag() == 0 && network.linkUp() && view.buttonsEnabled == true;
        })) << view.memo1.join(u'\n').toStdString();
        EXPECT_EQ(view.left, QStringLiteral("Połączono: moduł ZORVA v1.02"));
        // The default configuration of the simulator: cameras A and B in use.
        EXPECT_EQ(config.byte(cfg::kamery) & 0x0F, 0x03);
    }

    void ExpectWriteResetAndReread()
    {
        Bytes written(kWriteImageSize);
        for (std::size_t i = 0; i < written.size(); ++i) {
            written[i] = static_cast<std::uint8_t>(0x5A ^ (i * 3));
            config.setByte(i, written[i]);
        }
        core->ToolButton3Click();
        bool sawReset = false;
        ASSERT_TRUE(RunUntil([&] {
            sawReset = sawReset || core->reset();
            return sawReset && !core->reset() && !core->readit() && !core->writeit() &&
                   core->Timer1Tag() == 0;
        })) << view.memo1.join(u'\n').toStdString();
        // Read back after the module's restart: it holds exactly the bytes written.
        for (std::size_t i = 0; i < written.size(); ++i) {
            ASSERT_EQ(config.byte(i), written[i]) << i;
        }
        EXPECT_EQ(view.writeCheckNote, Texts().txtWriteVerified);
        core->OnAppIdle();
        EXPECT_TRUE(view.messages.contains(QStringLiteral("information: ") +
                                           QStringLiteral("      Zapisano dane.      \r    "
                                                          "Resetuję urządzenie.  ")));
    }

    // Writes the configuration as read and waits until its check has ended; the error posted.
    QString WriteAndCheck()
    {
        core->ToolButton3Click();
        bool acknowledged = false;
        EXPECT_TRUE(RunUntil([&] {
            acknowledged = acknowledged || core->writeCheck() != LinkCore::WriteCheck::None;
            return acknowledged && core->writeCheck() == LinkCore::WriteCheck::None;
        })) << view.memo1.join(u'\n').toStdString();
        return core->emsg();
    }

    void ExpectWholePicture()
    {
        preview.SB_playClick();
        ASSERT_TRUE(RunUntil([&] { return !preview.loaded.empty(); }))
            << view.memo1.join(u'\n').toStdString();
        core->setPictcnt(kPictStopped);
        const Bytes& received = preview.loaded.front();
        // Whole packets: the last one is padded after the end of the file.
        ASSERT_EQ(received.size(), (jpeg.size() + 239) / 240 * 240);
        EXPECT_TRUE(std::equal(jpeg.begin(), jpeg.end(), received.begin()));
        EXPECT_EQ(preview.loadedTags.front(), 0); // camera A
    }

    QTemporaryDir dir;
    sim::Options options;
    std::unique_ptr<sim::Simulator> simulator;
    std::unique_ptr<TComm64> port;
    std::unique_ptr<TComm64LinkPort> linkPort;
    RecordingView view;
    RecordingPreview preview;
    SystemClock clock;
    ConfigRecord config;
    NetworkRecord network;
    std::unique_ptr<LinkCore> core;
    sim::Jpeg jpeg;
};

TEST_F(EndToEnd, ConnectReadWriteWithResetAndAWholePicture)
{
    Start();
    ExpectConnectedAndRead();
    ExpectWriteResetAndReread();
    ExpectWholePicture();
    EXPECT_TRUE(view.memo2.isEmpty()); // no checksum errors on a clean line
}

TEST_F(EndToEnd, TheLinkSurvivesSplitAnswersAndCorruptedChecksums)
{
    options.faults.split = true;
    options.faults.corruptRate = 0.05;
    Start();
    ExpectConnectedAndRead();
    ExpectWriteResetAndReread();
    ExpectWholePicture();
    // The fault did hit the line (the simulator's seed is fixed).
    EXPECT_FALSE(view.memo2.isEmpty());
    for (const QString& line : view.memo2) {
        EXPECT_TRUE(line.startsWith(QStringLiteral("Błąd sumy CRC. : FF FF ")))
            << line.toStdString();
    }
}

TEST_F(EndToEnd, AModuleThatStoresAnotherPortIsReportedByTheWriteCheck)
{
    options.storeSkew = sim::ParseSkewByte("ps").value_or(-1);
    Start();
    ExpectConnectedAndRead();
    EXPECT_EQ(WriteAndCheck(),
              Texts().txtWriteDiffers + QStringLiteral("\rPort: zapisano 8080, odczytano 8081"));
    EXPECT_TRUE(view.writeCheckNote.isEmpty());
}

TEST_F(EndToEnd, AModuleSilentAfterItsRestartLeavesTheWriteUnverified)
{
    options.resetSeconds = 60;
    Start();
    ExpectConnectedAndRead();
    EXPECT_EQ(WriteAndCheck(), Texts().txtWriteNotVerified);
}

} // namespace
} // namespace zorva::test
