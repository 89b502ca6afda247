// The port settings dialog driven on the offscreen platform: what it shows, what a pick does,
// and that Enter and Escape close it.
#include "serial/ui/TFormKonf.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include "ModalDriver.h"
#include "PtyPair.h"
#include "app/ShellRules.h"
#include "link/StatusProbe.h"
#include "serial/StoredPort.h"
#include "serial/TComm64.h"
#include "shell/FormPlacement.h"
#include "shell/LanguageTexts.h"
#include "shell/SettingsStore.h"
#include "sim/Simulator.h"
#include "support/WaitUntil.h"

namespace zorva {
namespace {

using testing::WhenModalShows;

QString CheckedText(const QButtonGroup* group)
{
    const QAbstractButton* b = group->checkedButton();
    return b != nullptr ? b->text() : QString();
}

class TFormKonfTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QSettings(QStringLiteral("Nurvo"), QStringLiteral("QEN")).clear();
        SetPolishTexts();
        ApplyPortRSDefaults(port_);
        port_.setDeviceName(QStringLiteral("COM2"));
        platform_ = {{QStringLiteral("ttyUSB0"), QStringLiteral("FT232R USB UART")},
                     {QStringLiteral("COM11"), QString()}};
    }
    void TearDown() override { QSettings(QStringLiteral("Nurvo"), QStringLiteral("QEN")).clear(); }

    std::unique_ptr<TFormKonf> MakeDialog()
    {
        return std::make_unique<TFormKonf>(
            port_, FlagAccess{[this] { return dtr_; }, [this](bool on) { dtr_ = on; }},
            FlagAccess{[this] { return rts_; }, [this](bool on) { rts_ = on; }}, nullptr,
            [this] { return platform_; });
    }

    QStringList Shown(const TFormKonf& d) const
    {
        QStringList items;
        for (int i = 0; i < d.CCB1->count(); ++i) {
            items.append(d.CCB1->itemText(i));
        }
        return items;
    }

    TComm64 port_;
    bool dtr_ = true;
    bool rts_ = true;
    std::vector<PortEntry> platform_;
};

TEST_F(TFormKonfTest, LayoutCaptionsAndEnabledControls)
{
    auto d = MakeDialog();
    EXPECT_TRUE(d->CreationError().isEmpty());
    EXPECT_EQ(d->windowTitle(), QStringLiteral("Konfiguracja"));
    SetEnglishTexts();
    d->ApplyLanguageTexts();
    EXPECT_EQ(d->windowTitle(), QStringLiteral("Configuration"));

    ASSERT_EQ(d->PageControl1->count(), 1);
    EXPECT_EQ(d->PageControl1->tabText(0), QStringLiteral("    Port RS-232    "));
    EXPECT_EQ(d->PageControl1->currentWidget(), d->TabSheet1);
    EXPECT_EQ(d->BitBtn1->text(), QStringLiteral("&OK"));
    EXPECT_TRUE(d->BitBtn1->isDefault());
    EXPECT_TRUE(d->CCB1->isEnabled());
    for (QWidget* w :
         {static_cast<QWidget*>(d->RadioGroup2), static_cast<QWidget*>(d->RadioGroup3),
          static_cast<QWidget*>(d->RadioGroup4), static_cast<QWidget*>(d->RadioGroup5),
          static_cast<QWidget*>(d->CheckBoxDTR), static_cast<QWidget*>(d->CheckBoxRTS)}) {
        EXPECT_FALSE(w->isEnabled()) << w->metaObject()->className();
    }
    EXPECT_GE(d->width(), kFormKonfWidth);
    EXPECT_GE(d->height(), kFormKonfHeight);
}

TEST_F(TFormKonfTest, ShowingDisplaysTheSettingsInForce)
{
    struct Case {
        TBaudRate baud;
        const char* baudShown;
        TParity parity;
        const char* parityShown;
        TStopbits stop;
        const char* stopShown;
        bool dtr, rts;
    };
    const Case cases[] = {
        {cbr115200, "115200", paNone, "None", sb1_0, "1 Stop Bit", true, true},
        {cbr9600, "9600", paEven, "Even", sb2_0, "2 Stop Bits", false, true},
        {cbr300, "", paSpace, "Space", sb1_5, "1.5 ", true, false},
    };
    auto d = MakeDialog();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.baudShown);
        port_.setBaudRate(c.baud);
        port_.setParity(c.parity);
        port_.setStopbits(c.stop);
        dtr_ = c.dtr;
        rts_ = c.rts;
        d->show();
        EXPECT_EQ(CheckedText(d->BaudRateItems), QString::fromLatin1(c.baudShown));
        EXPECT_EQ(CheckedText(d->ParityItems), QString::fromLatin1(c.parityShown));
        EXPECT_EQ(CheckedText(d->StopBitsItems), QString::fromLatin1(c.stopShown));
        EXPECT_EQ(CheckedText(d->DataSizeItems), QStringLiteral("8 bits"));
        EXPECT_EQ(d->CheckBoxDTR->isChecked(), c.dtr);
        EXPECT_EQ(d->CheckBoxRTS->isChecked(), c.rts);
        d->hide();
    }
    // Data sizes the group does not offer leave its selection as it was.
    port_.setDatabits(da5);
    d->show();
    EXPECT_EQ(CheckedText(d->DataSizeItems), QStringLiteral("8 bits"));
    d->hide();
    port_.setDatabits(da7);
    d->show();
    EXPECT_EQ(CheckedText(d->DataSizeItems), QStringLiteral("7 bits"));
}

TEST_F(TFormKonfTest, PortListIsRebuiltOnEachShowWithDescriptions)
{
    auto d = MakeDialog();
    d->show();
    EXPECT_EQ(Shown(*d),
              QStringList({QStringLiteral("COM1"), QStringLiteral("COM2"), QStringLiteral("COM3"),
                           QStringLiteral("COM4"), QStringLiteral("COM11"),
                           QStringLiteral("ttyUSB0 \u2013 FT232R USB UART")}));
    EXPECT_EQ(d->CCB1->itemData(5).toString(), QStringLiteral("ttyUSB0"));
    EXPECT_EQ(d->CCB1->currentIndex(), 1);
    d->hide();

    platform_.push_back({QStringLiteral("ttyACM0"), QStringLiteral("Pico")});
    d->show();
    EXPECT_EQ(d->CCB1->count(), 7);
    EXPECT_EQ(d->CCB1->itemText(5), QStringLiteral("ttyACM0 \u2013 Pico"));
}

TEST_F(TFormKonfTest, UnlistedDeviceShowsTheFirstEntryAndStaysUntilAPick)
{
    port_.setDeviceName(QStringLiteral("COM42"));
    auto d = MakeDialog();
    int shownIndex = -2;
    WhenModalShows<TFormKonf>([&shownIndex](TFormKonf* dialog) {
        shownIndex = dialog->CCB1->currentIndex();
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    d->exec();
    EXPECT_EQ(shownIndex, 0);
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(port_.DeviceName(), QStringLiteral("COM42"));
}

// A pick takes effect at once, Enter closes, and the close of the main window stores the
// picked port's number.
TEST_F(TFormKonfTest, PickWithTheKeyboardSetsTheDeviceNameAtOnce)
{
    auto d = MakeDialog();
    QString nameBeforeClose;
    WhenModalShows<TFormKonf>([&nameBeforeClose, this](TFormKonf* dialog) {
        dialog->CCB1->setFocus();
        QTest::keyClick(dialog->CCB1, Qt::Key_Down); // COM2 -> COM3
        nameBeforeClose = port_.DeviceName();
        QTest::keyClick(dialog, Qt::Key_Return);
    });
    EXPECT_EQ(d->exec(), QDialog::Accepted);
    EXPECT_EQ(nameBeforeClose, QStringLiteral("COM3"));
    EXPECT_EQ(port_.DeviceName(), QStringLiteral("COM3"));

    const PortChoice choice{port_.DeviceName(), port_.BaudRate(), port_.Stopbits(),
                            port_.Databits(), port_.Parity()};
    const auto closing = ClosingValues(choice, dtr_, rts_, true);
    EXPECT_STREQ(closing[0].name, "cm");
    EXPECT_EQ(closing[0].value, 3);
    EXPECT_EQ(closing[1].value, cbr115200);
    EXPECT_EQ(DeviceNameForPort(PortNumberFromStored(closing[0].value)), QStringLiteral("COM3"));
}

// A device listed by its own name gets the lowest free COM name, so that the stored port byte
// can hold it; from the next showing on, the list shows it under that name with its path and
// description.
TEST_F(TFormKonfTest, PickOfADeviceByItsOwnNameGivesItAComName)
{
    auto d = MakeDialog();
    QString aliasWhileShown = QStringLiteral("unset");
    WhenModalShows<TFormKonf>([&](TFormKonf* dialog) {
        QTest::keyClick(dialog->CCB1, Qt::Key_End);
        aliasWhileShown = PortAlias(QStringLiteral("COM1"));
        QTest::keyClick(dialog->BitBtn1, Qt::Key_Space);
    });
    d->exec();
    EXPECT_EQ(port_.DeviceName(), QStringLiteral("COM1"));
    EXPECT_TRUE(aliasWhileShown.isEmpty()) << "stored only when the dialog closes";
    EXPECT_EQ(PortAlias(QStringLiteral("COM1")), QStringLiteral("/dev/ttyUSB0"));

    d->show();
    EXPECT_EQ(Shown(*d),
              QStringList({QStringLiteral("COM1 \u2013 /dev/ttyUSB0 \u2013 FT232R USB UART"),
                           QStringLiteral("COM2"), QStringLiteral("COM3"), QStringLiteral("COM4"),
                           QStringLiteral("COM11")}));
    EXPECT_EQ(d->CCB1->currentIndex(), 0);
    d->hide();
}

// A network address typed into the box is taken by Enter as a pick is, and remembered as one:
// under a COM name with its alias; Escape leaves the port as it was.
TEST_F(TFormKonfTest, TypedNetworkAddressIsTakenByEnterOnly)
{
    const QString address = QStringLiteral("rfc2217://127.0.0.1:4001");
    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return}) {
        auto d = MakeDialog();
        WhenModalShows<TFormKonf>([&](TFormKonf* dialog) {
            dialog->CCB1->lineEdit()->selectAll();
            QTest::keyClicks(dialog->CCB1->lineEdit(), address);
            QTest::keyClick(dialog->CCB1->lineEdit(), key);
        });
        d->exec();
    }
    EXPECT_EQ(port_.DeviceName(), QStringLiteral("COM1"));
    EXPECT_EQ(PortAlias(QStringLiteral("COM1")), address);
    auto d = MakeDialog();
    d->show();
    EXPECT_EQ(d->CCB1->currentText(), QStringLiteral("COM1 \u2013 ") + address);
    d->hide();
}

// Typed text that is no address: OK and Enter say what is wrong under the list and keep the
// dialog open; the port in force stays.
TEST_F(TFormKonfTest, MalformedTypedAddressIsRefusedWithWhatIsWrong)
{
    SetEnglishTexts();
    const struct {
        const char* typed;
        const char* note;
    } cases[] = {
        {"tcp://10.0.0.5",
         "tcp://10.0.0.5: malformed address: no port number after the host (tcp://HOST:PORT)"},
        {"socket://10.0.0.5:0", "socket://10.0.0.5:0: malformed address: the port is a number "
                                "from 1 to 65535"},
        {"rfc2217://[::1]:99999", "rfc2217://[::1]:99999: malformed address: the port is a "
                                  "number from 1 to 65535"},
        {"tcp://:4001",
         "tcp://:4001: malformed address: no host before the port (tcp://HOST:PORT)"},
        {"tcp:/10.0.0.5:4001", "tcp:/10.0.0.5:4001: no such port in the list, and a network "
                               "address begins with tcp://, socket:// or rfc2217://"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        auto d = MakeDialog();
        QString note;
        bool openAfterEnter = false;
        WhenModalShows<TFormKonf>([&](TFormKonf* dialog) {
            dialog->CCB1->lineEdit()->selectAll();
            QTest::keyClicks(dialog->CCB1->lineEdit(), QLatin1String(c.typed));
            QTest::keyClick(dialog->CCB1->lineEdit(), Qt::Key_Return);
            openAfterEnter = dialog->isVisible();
            note = dialog->LabelReason->isVisible() ? dialog->LabelReason->text() : QString();
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        d->exec();
        EXPECT_TRUE(openAfterEnter);
        EXPECT_EQ(note.toStdString(), c.note);
        EXPECT_EQ(port_.DeviceName(), QStringLiteral("COM2"));
    }
    EXPECT_TRUE(PortAliases().isEmpty());
    SetPolishTexts();
}

// With every COM name taken by an alias, a typed address is the port in force as it is: the
// dialog shows it as the address (not as the first entry), and it comes back after a restart.
TEST_F(TFormKonfTest, TypedAddressWithNoComNameLeftIsKeptInFull)
{
    QSettings store(QStringLiteral("Nurvo"), QStringLiteral("QEN"));
    for (int n = 1; n <= 8; ++n) {
        store.setValue(QStringLiteral("ports/COM%1").arg(n), QStringLiteral("/dev/pts/%1").arg(n));
    }
    store.sync();
    const QString address = QStringLiteral("rfc2217://127.0.0.1:4001");
    auto d = MakeDialog();
    WhenModalShows<TFormKonf>([&](TFormKonf* dialog) {
        dialog->CCB1->lineEdit()->selectAll();
        QTest::keyClicks(dialog->CCB1->lineEdit(), address);
        QTest::keyClick(dialog->CCB1->lineEdit(), Qt::Key_Return);
    });
    EXPECT_EQ(d->exec(), QDialog::Accepted);
    EXPECT_EQ(port_.DeviceName(), address);
    d->show();
    EXPECT_EQ(d->CCB1->currentText(), address);
    d->hide();

    // What the main window's close stores, and its next start reads.
    const std::uint8_t cm = PortByteFromDeviceName(port_.DeviceName());
    RegWriteBytes(kRegKey, QStringLiteral("cm"), &cm, 1);
    WriteFullPortName(port_.DeviceName());
    QString restored;
    ASSERT_TRUE(ReadStoredDeviceName(&restored));
    EXPECT_EQ(restored, address);
    // A COM name picked later is not overruled by the address kept before.
    WriteFullPortName(QStringLiteral("COM2"));
    const std::uint8_t two = 2;
    RegWriteBytes(kRegKey, QStringLiteral("cm"), &two, 1);
    ASSERT_TRUE(ReadStoredDeviceName(&restored));
    EXPECT_EQ(restored, QStringLiteral("COM2"));
}

TEST_F(TFormKonfTest, PickWithNoComNameLeftSaysSoAndChangesNothing)
{
    QSettings store(QStringLiteral("Nurvo"), QStringLiteral("QEN"));
    for (int n = 1; n <= 8; ++n) {
        store.setValue(QStringLiteral("ports/COM%1").arg(n), QStringLiteral("/dev/pts/%1").arg(n));
    }
    store.sync();
    auto d = MakeDialog();
    QString note;
    QString selected;
    WhenModalShows<TFormKonf>([&](TFormKonf* dialog) {
        QTest::keyClick(dialog->CCB1, Qt::Key_End);
        note = dialog->LabelReason->isVisible() ? dialog->LabelReason->text() : QString();
        selected = dialog->CCB1->currentData().toString();
        QTest::keyClick(dialog->BitBtn1, Qt::Key_Space);
    });
    d->exec();
    EXPECT_EQ(note, Texts().txtNoFreeComName.arg(QStringLiteral("ttyUSB0")));
    EXPECT_EQ(selected, QStringLiteral("COM2"));
    EXPECT_EQ(port_.DeviceName(), QStringLiteral("COM2"));
    EXPECT_EQ(PortAliases().size(), 8);
}

// "Find module" over COM1 to COM4, aliased to a silent line, the module and two missing
// devices: the module's port is picked as a pick in the list would; without a module the dialog
// says so, names the ports that could not be opened, and the port stays.
TEST_F(TFormKonfTest, FindModulePicksThePortThatAnswersOrSaysNoneDid)
{
    QTemporaryDir dir;
    sim::Options options;
    options.linkPath = dir.filePath(QStringLiteral("module.tty")).toStdString();
    sim::Simulator module(options);
    std::string error;
    ASSERT_TRUE(module.Start(&error)) << error;
    test::PtyPair silent;
    const QStringList devices{QString::fromStdString(silent.Path()), dir.filePath("module.tty"),
                              dir.filePath("gone3"), dir.filePath("gone4")};
    QSettings store(QStringLiteral("Nurvo"), QStringLiteral("QEN"));
    for (int n = 1; n <= 4; ++n) {
        store.setValue(QStringLiteral("ports/COM%1").arg(n), devices[n - 1]);
    }
    store.sync();
    port_.setDeviceName(QStringLiteral("COM4"));
    TFormKonf d(
        port_, {}, {}, nullptr, [] { return std::vector<PortEntry>(); }, StatusProbe());
    const auto search = [&d] {
        d.show();
        QTest::mouseClick(d.ButtonFindModule, Qt::LeftButton);
        const bool ended = test::WaitUntil([&d] { return !d.Search->Running(); }, 10000);
        d.hide();
        return ended;
    };
    ASSERT_TRUE(search());
    EXPECT_EQ(d.CCB1->currentData().toString(), QStringLiteral("COM2"));
    EXPECT_EQ(port_.DeviceName(), QStringLiteral("COM2"));
    EXPECT_EQ(d.LabelReason->text(), Texts().txtModuleFoundOn.arg(QStringLiteral("COM2")));

    module.Stop();
    ASSERT_TRUE(search());
    EXPECT_EQ(port_.DeviceName(), QStringLiteral("COM2"));
    const QStringList lines = d.LabelReason->text().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0], Texts().txtNoModuleFound);
    EXPECT_TRUE(lines[4].startsWith(QStringLiteral("COM4: ") + devices[3]))
        << lines[4].toStdString();
}

TEST_F(TFormKonfTest, StoredPlacementIsAppliedAndAWrongTypeEndsTheCreation)
{
    QSettings store(QStringLiteral("Nurvo"), QStringLiteral("QEN"));
    store.setValue(QStringLiteral("pos/Konfiguracja"), QStringLiteral("not binary"));
    store.sync();
    auto bad = MakeDialog();
    EXPECT_EQ(bad->CreationError(), QStringLiteral("Invalid data type for 'Konfiguracja'"));
    EXPECT_EQ(bad->windowTitle(), QStringLiteral("Konfiguracja"));

    const std::uint8_t record[16] = {40, 0, 0, 0, 30, 0, 0, 0, 10, 1, 0, 0, 76, 1, 0, 0};
    RegWriteBytes(kRegPosKey, QStringLiteral("Konfiguracja"), record, 16);
    auto d = MakeDialog();
    EXPECT_TRUE(d->CreationError().isEmpty());
    EXPECT_EQ(d->pos(), QPoint(40, 30));
}

} // namespace
} // namespace zorva
