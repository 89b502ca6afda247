#include "shell/LanguageTexts.h"

#include <gtest/gtest.h>

#include <array>

namespace zorva {
namespace {

using Entry = QString LanguageTexts::*;

#define ZORVA_ENTRY(name)                                                                          \
    std::pair<const char*, Entry>                                                                  \
    {                                                                                              \
#name, &LanguageTexts::name                                                                \
    }
const std::array kAllEntries = {
    ZORVA_ENTRY(txtCameras),
    ZORVA_ENTRY(txtPicture),
    ZORVA_ENTRY(txtBeforeEvent),
    ZORVA_ENTRY(txtAfterEvent),
    ZORVA_ENTRY(txtPictures),
    ZORVA_ENTRY(txtIdentifier),
    ZORVA_ENTRY(txtPassword),
    ZORVA_ENTRY(txtCommunication),
    ZORVA_ENTRY(txtEthernet),
    ZORVA_ENTRY(txtModem),
    ZORVA_ENTRY(txtIpAddress),
    ZORVA_ENTRY(txtSubnetMask),
    ZORVA_ENTRY(txtGateway),
    ZORVA_ENTRY(txtStation),
    ZORVA_ENTRY(txtPort),
    ZORVA_ENTRY(txtPhone),
    ZORVA_ENTRY(txtFile),
    ZORVA_ENTRY(txtNew),
    ZORVA_ENTRY(txtOpen),
    ZORVA_ENTRY(txtSave),
    ZORVA_ENTRY(txtExit),
    ZORVA_ENTRY(txtRead),
    ZORVA_ENTRY(txtWrite),
    ZORVA_ENTRY(txtConfiguration),
    ZORVA_ENTRY(txtRs232),
    ZORVA_ENTRY(txtNotRead),
    ZORVA_ENTRY(txtNotSaved),
    ZORVA_ENTRY(txtNoConnection),
    ZORVA_ENTRY(txtConnected),
    ZORVA_ENTRY(txtWritten),
    ZORVA_ENTRY(txtResetting),
    ZORVA_ENTRY(txtNotWritten),
    ZORVA_ENTRY(txtSetClockPrompt),
    ZORVA_ENTRY(txtColour),
    ZORVA_ENTRY(txtActive),
    ZORVA_ENTRY(txtUnplugged),
    ZORVA_ENTRY(txtTools),
    ZORVA_ENTRY(txtClock),
    ZORVA_ENTRY(txtAutoSize),
    ZORVA_ENTRY(txtExternalModem),
    ZORVA_ENTRY(txtSustainTime),
    ZORVA_ENTRY(txtMaxPreview),
    ZORVA_ENTRY(txtTestEvery),
    ZORVA_ENTRY(txtModemLinks),
    ZORVA_ENTRY(txtRepeatCount),
    ZORVA_ENTRY(txtSuspendTime),
    ZORVA_ENTRY(txtSec),
    ZORVA_ENTRY(txtMin),
    ZORVA_ENTRY(txtAbout),
    ZORVA_ENTRY(txtHelp),
    ZORVA_ENTRY(txtProgramTitle),
    ZORVA_ENTRY(txtTriggerInputs),
    ZORVA_ENTRY(txtEnableInputs),
    ZORVA_ENTRY(txtPreview),
    ZORVA_ENTRY(txtSyncTime),
    ZORVA_ENTRY(txtPortNoAccess),
    ZORVA_ENTRY(txtPortInUseBy),
    ZORVA_ENTRY(txtPortInUse),
    ZORVA_ENTRY(txtPortMissing),
    ZORVA_ENTRY(txtPortNotSerial),
    ZORVA_ENTRY(txtPortHostNotFound),
    ZORVA_ENTRY(txtPortRefused),
    ZORVA_ENTRY(txtPortNoAnswer),
    ZORVA_ENTRY(txtPortDropped),
    ZORVA_ENTRY(txtPortSettingRefused),
    ZORVA_ENTRY(txtPortBadAddress),
    ZORVA_ENTRY(txtAddressNoHost),
    ZORVA_ENTRY(txtAddressNoPort),
    ZORVA_ENTRY(txtAddressBadPort),
    ZORVA_ENTRY(txtNotAPortName),
    ZORVA_ENTRY(txtNoFreeComName),
    ZORVA_ENTRY(txtFindModule),
    ZORVA_ENTRY(txtStopSearch),
    ZORVA_ENTRY(txtSearchingOn),
    ZORVA_ENTRY(txtModuleFoundOn),
    ZORVA_ENTRY(txtNoModuleFound),
    ZORVA_ENTRY(txtPortsPassedOver),
    ZORVA_ENTRY(txtPortOpenTooSlow),
    ZORVA_ENTRY(txtProbeNotWritten),
    ZORVA_ENTRY(txtLogSavedElsewhere),
    ZORVA_ENTRY(txtLogFileNotOpened),
    // The write check.
    ZORVA_ENTRY(txtFlagOn),
    ZORVA_ENTRY(txtFlagOff),
    ZORVA_ENTRY(txtByteAt),
    ZORVA_ENTRY(txtWrittenRead),
    ZORVA_ENTRY(txtWriteDiffers),
    ZORVA_ENTRY(txtMoreDifferences),
    ZORVA_ENTRY(txtWriteVerified),
    ZORVA_ENTRY(txtWriteNotVerified),
    ZORVA_ENTRY(txtNoPictureData),
    ZORVA_ENTRY(txtVideoOff),
    ZORVA_ENTRY(txtErrorUnknownFrame),
    ZORVA_ENTRY(txtErrorPacketNumber),
    // The configuration history.
    ZORVA_ENTRY(txtHistory),
    ZORVA_ENTRY(txtHistoryTitle),
    ZORVA_ENTRY(txtHistoryAll),
    ZORVA_ENTRY(txtHistoryNoIdentifier),
    ZORVA_ENTRY(txtHistoryWhen),
    ZORVA_ENTRY(txtHistoryWhat),
    ZORVA_ENTRY(txtHistoryRead),
    ZORVA_ENTRY(txtHistoryWritten),
    ZORVA_ENTRY(txtHistoryLoad),
    ZORVA_ENTRY(txtHistoryCompare),
    ZORVA_ENTRY(txtHistoryClose),
    ZORVA_ENTRY(txtKeptEditor),
    ZORVA_ENTRY(txtHistoryNoDifferences),
    ZORVA_ENTRY(txtHistoryNotKept),
    // The service report.
    ZORVA_ENTRY(txtReport),
    ZORVA_ENTRY(txtReportTitle),
    ZORVA_ENTRY(txtReportTechnician),
    ZORVA_ENTRY(txtReportRemarks),
    ZORVA_ENTRY(txtReportFile),
    ZORVA_ENTRY(txtReportChoose),
    ZORVA_ENTRY(txtReportWrite),
    ZORVA_ENTRY(txtReportCancel),
    ZORVA_ENTRY(txtReportOpen),
    ZORVA_ENTRY(txtReportReading),
    ZORVA_ENTRY(txtReportNoModule),
    ZORVA_ENTRY(txtReportEditsNotWritten),
    ZORVA_ENTRY(txtReportWritten),
    ZORVA_ENTRY(txtReportNotWritten),
    ZORVA_ENTRY(txtReportVisit),
    ZORVA_ENTRY(txtReportDate),
    ZORVA_ENTRY(txtReportComputer),
    ZORVA_ENTRY(txtReportProgram),
    ZORVA_ENTRY(txtReportModule),
    ZORVA_ENTRY(txtReportFirmware),
    ZORVA_ENTRY(txtReportFirmwareDate),
    ZORVA_ENTRY(txtReportModuleClock),
    ZORVA_ENTRY(txtReportComputerClock),
    ZORVA_ENTRY(txtReportCamerasPresent),
    ZORVA_ENTRY(txtReportCamerasOn),
    ZORVA_ENTRY(txtReportNetwork),
    ZORVA_ENTRY(txtReportLink),
    ZORVA_ENTRY(txtReportConfiguration),
    ZORVA_ENTRY(txtReportPasswordSet),
    ZORVA_ENTRY(txtReportPasswordNotSet),
    ZORVA_ENTRY(txtReportPasswordChanged),
    ZORVA_ENTRY(txtReportChanges),
    ZORVA_ENTRY(txtReportChangesSince),
    ZORVA_ENTRY(txtReportNoReadToday),
    ZORVA_ENTRY(txtReportNothingChanged),
    ZORVA_ENTRY(txtReportField),
    ZORVA_ENTRY(txtReportBefore),
    ZORVA_ENTRY(txtReportAfter),
    ZORVA_ENTRY(txtReportNoWrite),
    ZORVA_ENTRY(txtReportWriteVerified),
    ZORVA_ENTRY(txtReportWriteDiffers),
    ZORVA_ENTRY(txtReportPictures),
    ZORVA_ENTRY(txtReportCamera),
    ZORVA_ENTRY(txtReportNoPicture),
    ZORVA_ENTRY(txtReportPictureFailed),
    ZORVA_ENTRY(txtReportPictureDamaged),
    ZORVA_ENTRY(txtReportReplace),
    ZORVA_ENTRY(txtReportNoCameras),
};
#undef ZORVA_ENTRY
// The list above must name every entry of the table.
static_assert(sizeof(LanguageTexts) == kAllEntries.size() * sizeof(QString));

struct Snapshot {
    std::array<QString, kAllEntries.size()> texts;
    bool operator==(const Snapshot&) const = default;
};

Snapshot Take()
{
    Snapshot s;
    for (std::size_t i = 0; i < kAllEntries.size(); ++i) {
        s.texts[i] = Texts().*(kAllEntries[i].second);
    }
    return s;
}

// Runs first in this file, before any test chooses a language.
TEST(LanguageTexts, PolishBeforeALanguageIsChosen)
{
    EXPECT_EQ(Texts().txtCameras, QStringLiteral("Kamery"));
    EXPECT_EQ(Texts().txtPassword, QString::fromUtf16(u"Has\u0142o"));
}

TEST(LanguageTexts, EveryEntryIsFilledInBothLanguages)
{
    for (auto set : {SetPolishTexts, SetEnglishTexts}) {
        set();
        for (const auto& [name, entry] : kAllEntries) {
            const QString& text = Texts().*entry;
            EXPECT_FALSE(text.isEmpty()) << name;
            EXPECT_LE(text.size(), 255) << name;
            // A source file read in the wrong encoding shows as U+FFFD or as "Ĺ"/"Ă" pairs.
            EXPECT_FALSE(text.contains(QChar::ReplacementCharacter)) << name;
            EXPECT_FALSE(text.contains(QChar(0x0139)) || text.contains(QChar(0x00C3)) ||
                         text.contains(QChar(0x00C5)))
                << name;
        }
    }
    SetPolishTexts();
}

TEST(LanguageTexts, BlanksBelongToTheTexts)
{
    struct Case {
        const char* name;
        void (*set)();
        Entry entry;
        QString text;
    };
    const Case cases[] = {
        {"pl written", SetPolishTexts, &LanguageTexts::txtWritten,
         QStringLiteral("      Zapisano dane.      ")},
        {"en written", SetEnglishTexts, &LanguageTexts::txtWritten,
         QStringLiteral("      Data written.      ")},
        {"pl resetting", SetPolishTexts, &LanguageTexts::txtResetting,
         QString::fromUtf16(u"    Resetuj\u0119 urz\u0105dzenie.  ")},
        {"en resetting", SetEnglishTexts, &LanguageTexts::txtResetting,
         QStringLiteral("    Reseting device...  ")},
        {"pl not written", SetPolishTexts, &LanguageTexts::txtNotWritten,
         QStringLiteral("   Nie zapisano danych.   ")},
        {"en not written", SetEnglishTexts, &LanguageTexts::txtNotWritten,
         QStringLiteral("   Data not written.   ")},
        {"pl sync time", SetPolishTexts, &LanguageTexts::txtSyncTime,
         QStringLiteral("Synchronizuj czas ze QUMA ")},
        {"en sync time", SetEnglishTexts, &LanguageTexts::txtSyncTime,
         QStringLiteral("Synchronize time with QUMA")},
        {"en pictures", SetEnglishTexts, &LanguageTexts::txtPictures, QStringLiteral(" ")},
        {"pl pictures", SetPolishTexts, &LanguageTexts::txtPictures,
         QString::fromUtf16(u"obraz\u00F3w")},
    };
    for (const auto& c : cases) {
        c.set();
        EXPECT_EQ(Texts().*(c.entry), c.text) << c.name;
    }
    SetPolishTexts();
}

TEST(LanguageTexts, ExactTextsInBothLanguages)
{
    struct Case {
        Entry entry;
        QString polish;
        QString english;
    };
    const Case cases[] = {
        {&LanguageTexts::txtNoConnection, QString::fromUtf16(u"Brak po\u0142aczenia"),
         QStringLiteral("No connection")},
        {&LanguageTexts::txtConnected,
         QString::fromUtf16(u"Po\u0142\u0105czono: modu\u0142 ZORVA v1."),
         QStringLiteral("Connected: ZORVA module, v1.")},
        {&LanguageTexts::txtSetClockPrompt,
         QString::fromUtf16(u"Zapisa\u0107 zegar i dat\u0119 z komputera do urz\u0105dzenia?"),
         QStringLiteral("Send system date and time to device?")},
        {&LanguageTexts::txtNotRead, QStringLiteral("Nie odczytano danych."),
         QStringLiteral("Data not read.")},
        {&LanguageTexts::txtNotSaved, QStringLiteral("Nie zapisano pliku."),
         QStringLiteral("File not saved.")},
        {&LanguageTexts::txtCommunication, QStringLiteral("Komunikacja"),
         QStringLiteral("Comunication")},
        {&LanguageTexts::txtGateway, QStringLiteral("Brama"), QStringLiteral("Geteway")},
        {&LanguageTexts::txtExit, QString::fromUtf16(u"Wyj\u015Bcie"), QStringLiteral("Exit")},
        {&LanguageTexts::txtOpen, QString::fromUtf16(u"Otw\u00F3rz"), QStringLiteral("Load")},
        {&LanguageTexts::txtConfiguration, QStringLiteral("Konfiguracja"),
         QStringLiteral("Configuration")},
        {&LanguageTexts::txtProgramTitle,
         QString::fromUtf16(u"Program konfiguracyjny modu\u0142u weryfikacji wideo"),
         QStringLiteral("Configuration software for video verification module")},
        {&LanguageTexts::txtMin, QStringLiteral("min."), QStringLiteral("min.")},
    };
    for (const auto& c : cases) {
        SetPolishTexts();
        EXPECT_EQ(Texts().*(c.entry), c.polish);
        SetEnglishTexts();
        EXPECT_EQ(Texts().*(c.entry), c.english);
    }
    SetPolishTexts();
}

TEST(LanguageTexts, FillingTwiceGivesTheSameTable)
{
    SetEnglishTexts();
    const Snapshot english = Take();
    SetEnglishTexts();
    EXPECT_EQ(Take(), english);

    SetPolishTexts();
    const Snapshot polish = Take();
    SetPolishTexts();
    EXPECT_EQ(Take(), polish);
    EXPECT_FALSE(polish == english);
}

TEST(LanguageTexts, AReferenceHeldEarlierSeesTheNewLanguage)
{
    SetPolishTexts();
    const LanguageTexts& held = Texts();
    SetEnglishTexts();
    EXPECT_EQ(held.txtSetClockPrompt, QStringLiteral("Send system date and time to device?"));
    SetPolishTexts();
    EXPECT_EQ(held.txtCameras, QStringLiteral("Kamery"));
}

} // namespace
} // namespace zorva
