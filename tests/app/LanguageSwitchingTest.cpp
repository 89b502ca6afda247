// Every caption that follows the language, in both languages, with its suffix.
#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QToolButton>

#include "MainWindowFixture.h"
#include "config/ui/ConfigPanel.h"
#include "config/ui/StatusGrid.h"
#include "preview/TFormPict.h"
#include "shell/LanguageTexts.h"

namespace zorva::test {
namespace {

struct Caption {
    const char* name;
    const char* polish;
    const char* english;
};

// The configuration area's captions.
const Caption kPanelCaptions[] = {
    {"GroupBox2", "Kamery", "Cameras"},
    {"GroupBox1", "Obraz", "Picture"},
    {"Label1", "Zapis przed zdarzeniem:", "Frames before event:"},
    {"Label3", "Zapis po zdarzeniu:", "Frames after:"},
    {"Label2", "obrazów", " "},
    {"Label4", "obrazów", " "},
    {"Label7", "Identyfikator:", "Device identifier:"},
    {"Label15", "Hasło:", "Password:"},
    {"CB_ET", "Ethernet", "Ethernet"},
    {"CB_MDM", "Modem 1", "Modem 1"},
    {"CB_MDM2", "Modem 2", "Modem 2"},
    {"Label5", "Adres IP:", "IP address:"},
    {"Label8", "Adres IP:", "IP address:"},
    {"Label13", "Maska podsieci:", "Subnet mask:"},
    {"Label14", "Brama:", "Geteway:"},
    {"GroupBox4", "Stacja monitorująca", "Central Station"},
    {"Label9", "Port:", "Port:"},
    {"Label10", "Nr tel.:", "Phone number:"},
    {"Label22", "Nr tel.:", "Phone number:"},
    {"CB_kol", "kolor", "color"},
    {"CB_EX1", "Modem zewnętrzny", "External modem"},
    {"CB_EX2", "Modem zewnętrzny", "External modem"},
    {"Label24", "Czas podtrzymania poł.:", "Connection sustain time:"},
    {"Label20", "Czas podtrzymania poł.:", "Connection sustain time:"},
    {"Label23", "Maks. czas podglądu:", "Max. live video time:"},
    {"Label21", "Maks. czas podglądu:", "Max. live video time:"},
    {"Label30", "Transmisja testowa co:", "Test transmission every:"},
    {"GroupBox6", "Połączenia modemowe", "Modem connection"},
    {"Label11", "Liczba powtórzeń:", "Repeat count:"},
    {"Label19", "Okres zawieszania:", "Suspend time:"},
    {"Label28", "sek.", "sec."},
    {"Label29", "sek.", "sec."},
    {"Label25", "min.", "min."},
    {"Label31", "min.", "min."},
    {"Label26", "min.", "min."},
    {"Label27", "min.", "min."},
    {"CB_SRTC", "Synchronizuj czas ze QUMA ", "Synchronize time with QUMA"},
};

// The menus' captions.
const Caption kMenuCaptions[] = {
    {"Plik1", "Plik", "File"},
    {"Nowy1", "Nowy", "New"},
    {"Otwrz1", "Otwórz", "Load"},
    {"Zapisz1", "Zapisz", "Save"},
    {"Historiakonfiguracji1", "Historia konfiguracji...", "Configuration history..."},
    {"Raportserwisowy1", "Raport serwisowy...", "Service report..."},
    {"Wyjcie1", "Wyjście", "Exit"},
    {"Komunikacja1", "Komunikacja", "Comunication"},
    {"Odczyt1", "Odczyt", "Read"},
    {"Zapis1", "Zapis", "Write"},
    {"Narzdzia1", "Narzędzia", "Tools"},
    {"Zagar1", "Zegar", "Clock"},
    {"Obraz1", "Podgląd", "Preview"},
    {"Konfiguracja1", "Konfiguracja", "Configuration"},
    {"RS2321", "RS-232", "RS-232"},
    {"Polski1", "Polski", "Polski"},
    {"English1", "English", "English"},
    {"Pomoc1", "Pomoc", "Help"},
    {"Oprogramie1", "O programie", "About"},
};

QString CaptionOf(const QObject* object)
{
    if (const auto* menu = qobject_cast<const QMenu*>(object)) {
        return menu->title();
    }
    if (const auto* action = qobject_cast<const QAction*>(object)) {
        return action->text();
    }
    if (const auto* group = qobject_cast<const QGroupBox*>(object)) {
        return group->title();
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(object)) {
        return button->text();
    }
    if (const auto* label = qobject_cast<const QLabel*>(object)) {
        return label->text();
    }
    return QStringLiteral("<no caption>");
}

void ExpectCaptions(const TForm1& form, bool polish)
{
    for (const Caption& c : kMenuCaptions) {
        const QObject* item = form.findChild<QObject*>(QLatin1String(c.name));
        ASSERT_NE(item, nullptr) << c.name;
        EXPECT_EQ(CaptionOf(item), QString::fromUtf8(polish ? c.polish : c.english)) << c.name;
    }
    for (const Caption& c : kPanelCaptions) {
        const QObject* control = form.Panel5->findChild<QObject*>(QLatin1String(c.name));
        ASSERT_NE(control, nullptr) << c.name;
        EXPECT_EQ(CaptionOf(control), QString::fromUtf8(polish ? c.polish : c.english)) << c.name;
    }
    const StatusGrid* grid = form.Panel5->statusGrid();
    EXPECT_EQ(grid->cell(0, 0), polish ? QStringLiteral("Kamery") : QStringLiteral("Cameras"));
    EXPECT_EQ(grid->cell(0, 1),
              polish ? QStringLiteral("We. wyzwalające") : QStringLiteral("Triggering inputs"));
    EXPECT_EQ(grid->cell(0, 2),
              polish ? QStringLiteral("We. odblokowujące") : QStringLiteral("Enabling inputs"));
    EXPECT_EQ(form.ToolButton1->toolTip(),
              polish ? QStringLiteral("Otwórz") : QStringLiteral("Load"));
    EXPECT_EQ(form.ToolButton10->toolTip(),
              polish ? QStringLiteral("Wyjście") : QStringLiteral("Exit"));
    EXPECT_EQ(form.Polski1->isChecked(), polish);
    EXPECT_EQ(form.English1->isChecked(), !polish);
}

TEST_F(MainWindowTest, EveryCaptionFollowsTheLanguage)
{
    auto form = Create();
    ExpectCaptions(*form, false);
    form->Polski1->trigger();
    ExpectCaptions(*form, true);
    // Choosing the checked language again changes nothing.
    form->Polski1->trigger();
    ExpectCaptions(*form, true);
    form->English1->trigger();
    ExpectCaptions(*form, false);
}

TEST_F(MainWindowTest, StatusGridFixedTextsAreSetAtStart)
{
    auto form = Create();
    const StatusGrid* grid = form->Panel5->statusGrid();
    const char* const fixed[3][4] = {
        {"  A", "  B", "  C", "  D"},
        {"InA", "InB", "InC", "InD"},
        {"InE", "InF", "InG", "InH"},
    };
    for (int row = 0; row < 3; ++row) {
        for (int column = 1; column <= 4; ++column) {
            EXPECT_EQ(grid->cell(column, row), QLatin1String(fixed[row][column - 1]))
                << column << "," << row;
        }
    }
}

TEST_F(MainWindowTest, PreviewWindowFollowsTheLanguage)
{
    auto form = Create();
    TFormPict preview;
    form->SetPreviewWindow(&preview);
    form->Obraz1->trigger();
    EXPECT_TRUE(preview.isVisible());
    form->Polski1Click();
    EXPECT_EQ(preview.windowTitle(), QStringLiteral("Podgląd"));
    form->English1Click();
    EXPECT_EQ(preview.windowTitle(), QStringLiteral("Preview"));
    const auto* group = preview.findChild<QGroupBox*>(QStringLiteral("RadioGroup1"));
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->title(), QStringLiteral("Cameras"));
    const auto* fit = preview.findChild<QAbstractButton*>(QStringLiteral("CheckBox1"));
    ASSERT_NE(fit, nullptr);
    EXPECT_EQ(fit->text(), QStringLiteral("auto size"));
    preview.hide();
}

TEST_F(MainWindowTest, PortSettingsDialogCaptionFollowsTheLanguage)
{
    auto form = Create();
    QDialog dialog;
    form->SetPortSettingsDialog(&dialog);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Configuration"));
    form->Polski1Click();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Konfiguracja"));
}

} // namespace
} // namespace zorva::test
