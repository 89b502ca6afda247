// The configuration area as a whole: every control under its name, captions from the language
// text table in both languages, and a layout in which nothing is cut off.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include "FakeFields.h"
#include "config/ui/ColourPalette.h"
#include "config/ui/ConfigPanel.h"
#include "config/ui/StatusGrid.h"
#include "shell/LanguageTexts.h"

namespace zorva::test {
namespace {

class Panel : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetPolishTexts();
        panel = std::make_unique<ConfigPanel>(record, network, link);
        panel->ShowConfig();
    }
    QString Caption(const char* name) const
    {
        QObject* o = panel->findChild<QObject*>(QString::fromLatin1(name));
        if (auto* l = qobject_cast<QLabel*>(o)) {
            return l->text();
        }
        if (auto* b = qobject_cast<QAbstractButton*>(o)) {
            return b->text();
        }
        if (auto* g = qobject_cast<QGroupBox*>(o)) {
            return g->title();
        }
        return QStringLiteral("<missing %1>").arg(QString::fromLatin1(name));
    }

    ConfigRecord record;
    NetworkRecord network;
    FakeLink link;
    std::unique_ptr<ConfigPanel> panel;
};

TEST_F(Panel, EveryControlExistsUnderItsName)
{
    const char* names[] = {
        "CB_k1",     "CB_k2",     "CB_k3",     "CB_k4",     "RB_11",    "RB_12",       "RB_14",
        "CB_kol",    "SE_DZ",     "SE_PZ",     "ME_ID",     "E_pass",   "CB_DHCP",     "ME_vip",
        "ME_vmask",  "ME_vgate",  "Label18",   "CB_SRTC",   "CB_ET",    "ME_sip",      "SE_PS",
        "SE_NCP",    "SE_NMX",    "SE_TT",     "CB_MDM",    "Edit_tel", "CB_EX1",      "CB_MDM2",
        "Edit_tel2", "CB_EX2",    "SE_TCP",    "SE_TMX",    "SE_POWT",  "SE_OZ",       "GroupBox1",
        "GroupBox2", "GroupBox3", "GroupBox4", "GroupBox6", "GB_eth",   "StringGrid1",
    };
    for (const char* name : names) {
        EXPECT_NE(panel->findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
    }
    EXPECT_EQ(panel->statusGrid(), panel->findChild<StatusGrid*>("StringGrid1"));
}

// Regression: a field disabled by an empty record kept the disabled colours after the record
// switched its path on, because the window colours were read from the field's own palette.
TEST_F(Panel, FieldsEnabledAgainGetTheWindowColoursBack)
{
    auto* sip = panel->findChild<QLineEdit*>(QStringLiteral("ME_sip"));
    ASSERT_NE(sip, nullptr);
    ASSERT_FALSE(sip->isEnabled());
    record.setLinksBit(cfg::linkEthernet, true);
    panel->ShowConfig();
    const QPalette app = QApplication::palette(sip);
    EXPECT_TRUE(sip->isEnabled());
    EXPECT_EQ(sip->palette().color(QPalette::Base), app.color(QPalette::Active, QPalette::Base));
    EXPECT_EQ(sip->palette().color(QPalette::Text), app.color(QPalette::Active, QPalette::Text));
}

TEST_F(Panel, ExternalModemBoxesAreNeverVisible)
{
    panel->show();
    panel->findChild<QCheckBox*>("CB_MDM")->click();
    panel->findChild<QCheckBox*>("CB_MDM2")->click();
    EXPECT_TRUE(panel->findChild<QCheckBox*>("CB_EX1")->isEnabled());
    EXPECT_FALSE(panel->findChild<QCheckBox*>("CB_EX1")->isVisible());
    EXPECT_FALSE(panel->findChild<QCheckBox*>("CB_EX2")->isVisible());
}

TEST_F(Panel, CaptionsFollowTheLanguageTable)
{
    struct Case {
        const char* name;
        const char* polish;
        const char* english;
    };
    const Case cases[] = {
        {"GroupBox2", "Kamery", "Cameras"},
        {"GroupBox1", "Obraz", "Picture"},
        {"GroupBox3", "ZORVA", "ZORVA"},
        {"Label1", "Zapis przed zdarzeniem:", "Frames before event:"},
        {"Label2", "obrazów", " "},
        {"Label4", "obrazów", " "},
        {"Label5", "Adres IP:", "IP address:"},
        {"Label8", "Adres IP:", "IP address:"},
        {"Label14", "Brama:", "Geteway:"},
        {"Label10", "Nr tel.:", "Phone number:"},
        {"CB_MDM", "Modem 1", "Modem 1"},
        {"CB_MDM2", "Modem 2", "Modem 2"},
        {"CB_DHCP", "DHCP", "DHCP"},
        {"CB_kol", "kolor", "color"},
        {"Label28", "sek.", "sec."},
        {"Label27", "min.", "min."},
        {"GroupBox6", "Połączenia modemowe", "Modem connection"},
        {"CB_SRTC", "Synchronizuj czas ze QUMA ", "Synchronize time with QUMA"},
        {"RB_14", "1/4", "1/4"},
        {"CB_k4", "D", "D"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Caption(c.name), QString::fromUtf8(c.polish)) << c.name;
    }
    EXPECT_EQ(panel->statusGrid()->cell(0, 1), QString::fromUtf8("We. wyzwalające"));

    SetEnglishTexts();
    panel->ApplyLanguageTexts();
    for (const Case& c : cases) {
        EXPECT_EQ(Caption(c.name), QString::fromUtf8(c.english)) << c.name;
    }
    EXPECT_EQ(panel->statusGrid()->cell(0, 0), "Cameras");
    EXPECT_EQ(panel->statusGrid()->cell(0, 2), "Enabling inputs");
    EXPECT_EQ(panel->statusGrid()->cell(1, 0), "  A");
}

TEST_F(Panel, MacLabelStartsGreyAndColoursOnceStatusIsKnown)
{
    auto* mac = panel->findChild<QLabel*>("Label18");
    const QColor grey = ColourOf(ColourRole::ButtonShadow, mac->palette());
    EXPECT_EQ(mac->palette().color(QPalette::WindowText), grey);
    EXPECT_TRUE(mac->text().startsWith("MAC: 00 00 00 00 00 00"));

    link.statusKnown = true;
    panel->ShowConfig();
    EXPECT_EQ(mac->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    panel->ShowMacLabelGreyed();
    EXPECT_EQ(mac->palette().color(QPalette::WindowText), grey);
}

// Nothing sticks out of the area and no caption is cut, in either language and with every
// label showing its longest text.
TEST_F(Panel, LayoutFitsTheAreaInBothLanguages)
{
    network.FillFromReply(std::vector<std::uint8_t>{0, 0, 0xDD, 0xDD, 0xDD, 0xDD, 0xDD, 0xDD});
    for (const bool polish : {true, false}) {
        polish ? SetPolishTexts() : SetEnglishTexts();
        panel->ApplyLanguageTexts();
        panel->ShowConfig();
        panel->show();
        // Layout requests are posted events: let every nested layout settle before measuring.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QCoreApplication::processEvents();
        EXPECT_EQ(panel->size(), QSize(869, 289));
        const QRect area = panel->rect();
        for (QWidget* w : panel->findChildren<QWidget*>()) {
            if (!w->isVisible() || w->objectName().isEmpty()) {
                continue;
            }
            const QRect inPanel(w->mapTo(panel.get(), QPoint(0, 0)), w->size());
            EXPECT_TRUE(area.contains(inPanel))
                << w->objectName().toStdString() << " polish=" << polish;
            const bool captioned =
                qobject_cast<QLabel*>(w) != nullptr || qobject_cast<QAbstractButton*>(w) != nullptr;
            if (captioned) {
                EXPECT_GE(w->width(), w->sizeHint().width())
                    << w->objectName().toStdString() << " polish=" << polish;
            }
            if (auto* group = qobject_cast<QGroupBox*>(w)) {
                const int titleWidth = group->fontMetrics().horizontalAdvance(group->title());
                EXPECT_GE(group->width(), titleWidth + 16) << w->objectName().toStdString();
            }
        }
        // A picture to look at while working on the layout.
        const QString shots = qEnvironmentVariable("ZORVA_PANEL_SHOTS");
        if (!shots.isEmpty()) {
            panel->grab().save(QDir(shots).filePath(polish ? "panel_pl.png" : "panel_en.png"));
        }
    }
}

} // namespace
} // namespace zorva::test
