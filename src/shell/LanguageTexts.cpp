#include "shell/LanguageTexts.h"

namespace zorva {

namespace {

LanguageTexts PolishTexts()
{
    LanguageTexts t;
    t.txtCameras = QStringLiteral("Kamery");
    t.txtPicture = QStringLiteral("Obraz");
    t.txtBeforeEvent = QStringLiteral("Zapis przed zdarzeniem");
    t.txtAfterEvent = QStringLiteral("Zapis po zdarzeniu");
    t.txtPictures = QStringLiteral("obrazów");
    t.txtIdentifier = QStringLiteral("Identyfikator");
    t.txtPassword = QStringLiteral("Hasło");
    t.txtCommunication = QStringLiteral("Komunikacja");
    t.txtEthernet = QStringLiteral("Ethernet");
    t.txtModem = QStringLiteral("Modem");
    t.txtIpAddress = QStringLiteral("Adres IP");
    t.txtSubnetMask = QStringLiteral("Maska podsieci");
    t.txtGateway = QStringLiteral("Brama");
    t.txtStation = QStringLiteral("Stacja monitorująca");
    t.txtPort = QStringLiteral("Port");
    t.txtPhone = QStringLiteral("Nr tel.");
    t.txtFile = QStringLiteral("Plik");
    t.txtNew = QStringLiteral("Nowy");
    t.txtOpen = QStringLiteral("Otwórz");
    t.txtSave = QStringLiteral("Zapisz");
    t.txtExit = QStringLiteral("Wyjście");
    t.txtRead = QStringLiteral("Odczyt");
    t.txtWrite = QStringLiteral("Zapis");
    t.txtConfiguration = QStringLiteral("Konfiguracja");
    t.txtRs232 = QStringLiteral("RS-232");
    t.txtNotRead = QStringLiteral("Nie odczytano danych.");
    t.txtNotSaved = QStringLiteral("Nie zapisano pliku.");
    t.txtNoConnection = QStringLiteral("Brak połaczenia");
    t.txtConnected = QStringLiteral("Połączono: moduł ZORVA v1.");
    t.txtWritten = QStringLiteral("      Zapisano dane.      ");
    t.txtResetting = QStringLiteral("    Resetuję urządzenie.  ");
    t.txtNotWritten = QStringLiteral("   Nie zapisano danych.   ");
    t.txtSetClockPrompt = QStringLiteral("Zapisać zegar i datę z komputera do urządzenia?");
    t.txtColour = QStringLiteral("kolor");
    t.txtActive = QStringLiteral("aktywny");
    t.txtUnplugged = QStringLiteral("rozłączony");
    t.txtTools = QStringLiteral("Narzędzia");
    t.txtClock = QStringLiteral("Zegar");
    t.txtAutoSize = QStringLiteral("dopasuj rozmiar");
    t.txtExternalModem = QStringLiteral("Modem zewnętrzny");
    t.txtSustainTime = QStringLiteral("Czas podtrzymania poł.");
    t.txtMaxPreview = QStringLiteral("Maks. czas podglądu");
    t.txtTestEvery = QStringLiteral("Transmisja testowa co");
    t.txtModemLinks = QStringLiteral("Połączenia modemowe");
    t.txtRepeatCount = QStringLiteral("Liczba powtórzeń");
    t.txtSuspendTime = QStringLiteral("Okres zawieszania");
    t.txtSec = QStringLiteral("sek.");
    t.txtMin = QStringLiteral("min.");
    t.txtAbout = QStringLiteral("O programie");
    t.txtHelp = QStringLiteral("Pomoc");
    t.txtProgramTitle = QStringLiteral("Program konfiguracyjny modułu weryfikacji wideo");
    t.txtTriggerInputs = QStringLiteral("We. wyzwalające");
    t.txtEnableInputs = QStringLiteral("We. odblokowujące");
    t.txtPreview = QStringLiteral("Podgląd");
    t.txtSyncTime = QStringLiteral("Synchronizuj czas ze QUMA ");
    t.txtPortNoAccess =
        QStringLiteral("%1: brak dostępu; dodaj użytkownika do grupy dialout: sudo usermod -aG "
                       "dialout $USER, potem zaloguj się ponownie");
    t.txtPortInUseBy = QStringLiteral("%1: używany przez %2 (proces %3)");
    t.txtPortInUse = QStringLiteral("%1: używany przez inny program");
    t.txtPortMissing = QStringLiteral("%1: brak urządzenia: czy adapter jest podłączony?");
    t.txtPortNotSerial = QStringLiteral("%1: to nie jest urządzenie szeregowe");
    t.txtPortHostNotFound = QStringLiteral("%1: nie znaleziono hosta: czy adres jest dobry?");
    t.txtPortRefused = QStringLiteral("%1: połączenie odrzucone: czy serwer portu działa?");
    t.txtPortNoAnswer = QStringLiteral("%1: brak odpowiedzi: czy serwer portu jest osiągalny?");
    t.txtPortDropped = QStringLiteral("%1: połączenie zerwane");
    t.txtPortSettingRefused = QStringLiteral("%1: serwer portu odmówił ustawienia: %2");
    t.txtPortBadAddress = QStringLiteral("%1: błędny adres: %2");
    t.txtAddressNoHost = QStringLiteral("brak hosta przed portem (tcp://HOST:PORT)");
    t.txtAddressNoPort = QStringLiteral("brak numeru portu po hoście (tcp://HOST:PORT)");
    t.txtAddressBadPort = QStringLiteral("port to liczba od 1 do 65535");
    t.txtNotAPortName = QStringLiteral("%1: nie ma takiego portu na liście, a adres sieciowy "
                                       "zaczyna się od tcp://, socket:// lub rfc2217://");
    t.txtNoFreeComName =
        QStringLiteral("Brak wolnej nazwy od COM1 do COM8 dla %1; nic nie zmieniono.");
    t.txtFindModule = QStringLiteral("Szukaj modułu");
    t.txtStopSearch = QStringLiteral("Przerwij");
    t.txtSearchingOn = QStringLiteral("Szukam modułu na %1...");
    t.txtModuleFoundOn = QStringLiteral("Moduł odpowiada na %1.");
    t.txtNoModuleFound = QStringLiteral("Moduł nie odpowiada na żadnym porcie.");
    t.txtPortsPassedOver = QStringLiteral("Pominięte:");
    t.txtPortOpenTooSlow = QStringLiteral("nie otworzył się w ciągu %1 s");
    t.txtProbeNotWritten = QStringLiteral("nie można wysłać zapytania");
    t.txtLogSavedElsewhere = QStringLiteral("Nie można zapisać %1; log zapisano w %2");
    t.txtLogFileNotOpened = QStringLiteral("Nie można otworzyć pliku logu %1: %2");
    t.txtFlagOn = QStringLiteral("tak");
    t.txtFlagOff = QStringLiteral("nie");
    t.txtByteAt = QStringLiteral("bajt %1");
    t.txtWrittenRead = QStringLiteral("%1: zapisano %2, odczytano %3");
    t.txtWriteDiffers = QStringLiteral("Moduł po restarcie ma inne dane niż zapisane:");
    t.txtMoreDifferences = QStringLiteral("... i %1 innych (cała lista pod Show Details...)");
    t.txtWriteVerified = QStringLiteral("Zapis sprawdzony: moduł ma zapisane dane.");
    t.txtWriteNotVerified =
        QStringLiteral("Nie można sprawdzić zapisu: moduł nie odpowiedział po restarcie.");
    t.txtNoPictureData = QStringLiteral("Moduł nie ma obrazu z tej kamery.");
    t.txtVideoOff = QStringLiteral("Kanał wideo wyłączony.");
    t.txtErrorUnknownFrame = QStringLiteral("ZORVA_ERROR:  nieznany typ ramki.");
    t.txtErrorPacketNumber = QStringLiteral("ZORVA_ERROR:  bledny nr pakietu.");
    t.txtHistory = QStringLiteral("Historia konfiguracji...");
    t.txtHistoryTitle = QStringLiteral("Historia konfiguracji");
    t.txtHistoryAll = QStringLiteral("(wszystkie moduły)");
    t.txtHistoryNoIdentifier = QStringLiteral("(bez identyfikatora)");
    t.txtHistoryWhen = QStringLiteral("Data i czas");
    t.txtHistoryWhat = QStringLiteral("Rodzaj");
    t.txtHistoryRead = QStringLiteral("odczyt");
    t.txtHistoryWritten = QStringLiteral("zapis");
    t.txtHistoryLoad = QStringLiteral("Wczytaj");
    t.txtHistoryCompare = QStringLiteral("Porównaj");
    t.txtHistoryClose = QStringLiteral("Zamknij");
    t.txtKeptEditor = QStringLiteral("%1: w historii %2, w edytorze %3");
    t.txtHistoryNoDifferences = QStringLiteral("Bez różnic z edytorem.");
    t.txtHistoryNotKept = QStringLiteral(
        "Historia konfiguracji: nie można zapisać w %1; konfiguracje nie są przechowywane.");
    t.txtReport = QStringLiteral("Raport serwisowy...");
    t.txtReportTitle = QStringLiteral("Raport serwisowy");
    t.txtReportTechnician = QStringLiteral("Technik");
    t.txtReportRemarks = QStringLiteral("Uwagi");
    t.txtReportFile = QStringLiteral("Plik PDF");
    t.txtReportChoose = QStringLiteral("Wybierz...");
    t.txtReportWrite = QStringLiteral("Zapisz raport");
    t.txtReportCancel = QStringLiteral("Anuluj");
    t.txtReportOpen = QStringLiteral("Otwórz");
    t.txtReportReading = QStringLiteral("Odczyt modułu...");
    t.txtReportNoModule = QStringLiteral("Brak połączenia z modułem: raport nie został zapisany.");
    t.txtReportEditsNotWritten =
        QStringLiteral("Zmiany w edytorze nie zostały zapisane w module: raport pokazuje "
                       "konfigurację odczytaną z modułu, a zmiany zostają w edytorze.");
    t.txtReportWritten = QStringLiteral("Raport zapisany: %1");
    t.txtReportNotWritten = QStringLiteral("%1: nie można zapisać raportu.");
    t.txtReportVisit = QStringLiteral("Wizyta");
    t.txtReportDate = QStringLiteral("Data i czas");
    t.txtReportComputer = QStringLiteral("Komputer");
    t.txtReportProgram = QStringLiteral("Wersja programu");
    t.txtReportModule = QStringLiteral("Moduł w chwili raportu");
    t.txtReportFirmware = QStringLiteral("Wersja oprogramowania");
    t.txtReportFirmwareDate = QStringLiteral("Data oprogramowania");
    t.txtReportModuleClock = QStringLiteral("Zegar modułu");
    t.txtReportComputerClock = QStringLiteral("Zegar komputera");
    t.txtReportCamerasPresent = QStringLiteral("Kamery obecne");
    t.txtReportCamerasOn = QStringLiteral("Kamery włączone");
    t.txtReportNetwork = QStringLiteral("Sieć w użyciu");
    t.txtReportLink = QStringLiteral("Łącze");
    t.txtReportConfiguration = QStringLiteral("Konfiguracja modułu");
    t.txtReportPasswordSet = QStringLiteral("ustawione");
    t.txtReportPasswordNotSet = QStringLiteral("nieustawione");
    t.txtReportPasswordChanged = QStringLiteral("zmienione");
    t.txtReportChanges = QStringLiteral("Zmiany podczas wizyty");
    t.txtReportChangesSince =
        QStringLiteral("Od pierwszego odczytu podczas tej wizyty (%1) do teraz:");
    t.txtReportNoReadToday =
        QStringLiteral("Historia konfiguracji nie zawiera odczytu tego modułu z tej wizyty.");
    t.txtReportNothingChanged = QStringLiteral("Nic nie zmieniono.");
    t.txtReportField = QStringLiteral("Pole");
    t.txtReportBefore = QStringLiteral("Przed");
    t.txtReportAfter = QStringLiteral("Teraz");
    t.txtReportNoWrite = QStringLiteral("Podczas tej wizyty nic nie zapisano do modułu.");
    t.txtReportWriteVerified =
        QStringLiteral("Ostatni zapis (%1) sprawdzony: moduł zawiera zapisaną konfigurację.");
    t.txtReportWriteDiffers = QStringLiteral(
        "Ostatni zapis (%1) nie jest potwierdzony: moduł zawiera inną konfigurację.");
    t.txtReportPictures = QStringLiteral("Obrazy z kamer");
    t.txtReportCamera = QStringLiteral("Kamera %1, %2");
    t.txtReportNoPicture = QStringLiteral("nie odebrano obrazu");
    t.txtReportPictureFailed = QStringLiteral("Kamera %1: %2");
    t.txtReportPictureDamaged =
        QStringLiteral("Kamera %1, %2: obraz uszkodzony, odczytany tylko częściowo (%3)");
    t.txtReportReplace = QStringLiteral("Plik %1 już istnieje. Zastąpić go?");
    t.txtReportNoCameras = QStringLiteral("Żadna kamera nie jest jednocześnie włączona i obecna.");
    return t;
}

LanguageTexts EnglishTexts()
{
    // Captions exactly as released, spelling included: manuals and users quote them.
    LanguageTexts t;
    t.txtCameras = QStringLiteral("Cameras");
    t.txtPicture = QStringLiteral("Picture");
    t.txtBeforeEvent = QStringLiteral("Frames before event");
    t.txtAfterEvent = QStringLiteral("Frames after");
    t.txtPictures = QStringLiteral(" ");
    t.txtIdentifier = QStringLiteral("Device identifier");
    t.txtPassword = QStringLiteral("Password");
    t.txtCommunication = QStringLiteral("Comunication");
    t.txtEthernet = QStringLiteral("Ethernet");
    t.txtModem = QStringLiteral("Modem");
    t.txtIpAddress = QStringLiteral("IP address");
    t.txtSubnetMask = QStringLiteral("Subnet mask");
    t.txtGateway = QStringLiteral("Geteway");
    t.txtStation = QStringLiteral("Central Station");
    t.txtPort = QStringLiteral("Port");
    t.txtPhone = QStringLiteral("Phone number");
    t.txtFile = QStringLiteral("File");
    t.txtNew = QStringLiteral("New");
    t.txtOpen = QStringLiteral("Load");
    t.txtSave = QStringLiteral("Save");
    t.txtExit = QStringLiteral("Exit");
    t.txtRead = QStringLiteral("Read");
    t.txtWrite = QStringLiteral("Write");
    t.txtConfiguration = QStringLiteral("Configuration");
    t.txtRs232 = QStringLiteral("RS-232");
    t.txtNotRead = QStringLiteral("Data not read.");
    t.txtNotSaved = QStringLiteral("File not saved.");
    t.txtNoConnection = QStringLiteral("No connection");
    t.txtConnected = QStringLiteral("Connected: ZORVA module, v1.");
    t.txtWritten = QStringLiteral("      Data written.      ");
    t.txtResetting = QStringLiteral("    Reseting device...  ");
    t.txtNotWritten = QStringLiteral("   Data not written.   ");
    t.txtSetClockPrompt = QStringLiteral("Send system date and time to device?");
    t.txtColour = QStringLiteral("color");
    t.txtActive = QStringLiteral("active");
    t.txtUnplugged = QStringLiteral("unplugged");
    t.txtTools = QStringLiteral("Tools");
    t.txtClock = QStringLiteral("Clock");
    t.txtAutoSize = QStringLiteral("auto size");
    t.txtExternalModem = QStringLiteral("External modem");
    t.txtSustainTime = QStringLiteral("Connection sustain time");
    t.txtMaxPreview = QStringLiteral("Max. live video time");
    t.txtTestEvery = QStringLiteral("Test transmission every");
    t.txtModemLinks = QStringLiteral("Modem connection");
    t.txtRepeatCount = QStringLiteral("Repeat count");
    t.txtSuspendTime = QStringLiteral("Suspend time");
    t.txtSec = QStringLiteral("sec.");
    t.txtMin = QStringLiteral("min.");
    t.txtAbout = QStringLiteral("About");
    t.txtHelp = QStringLiteral("Help");
    t.txtProgramTitle = QStringLiteral("Configuration software for video verification module");
    t.txtTriggerInputs = QStringLiteral("Triggering inputs");
    t.txtEnableInputs = QStringLiteral("Enabling inputs");
    t.txtPreview = QStringLiteral("Preview");
    t.txtSyncTime = QStringLiteral("Synchronize time with QUMA");
    t.txtPortNoAccess =
        QStringLiteral("%1: no access; add the user to the group dialout: sudo usermod -aG "
                       "dialout $USER, then log in again");
    t.txtPortInUseBy = QStringLiteral("%1: in use by %2 (process %3)");
    t.txtPortInUse = QStringLiteral("%1: in use by another program");
    t.txtPortMissing = QStringLiteral("%1: not present: is the adapter plugged in?");
    t.txtPortNotSerial = QStringLiteral("%1: not a serial device");
    t.txtPortHostNotFound = QStringLiteral("%1: host not found: is the address right?");
    t.txtPortRefused = QStringLiteral("%1: connection refused: is the port server running?");
    t.txtPortNoAnswer = QStringLiteral("%1: no answer: can the port server be reached?");
    t.txtPortDropped = QStringLiteral("%1: connection dropped");
    t.txtPortSettingRefused = QStringLiteral("%1: the port server refused a setting: %2");
    t.txtPortBadAddress = QStringLiteral("%1: malformed address: %2");
    t.txtAddressNoHost = QStringLiteral("no host before the port (tcp://HOST:PORT)");
    t.txtAddressNoPort = QStringLiteral("no port number after the host (tcp://HOST:PORT)");
    t.txtAddressBadPort = QStringLiteral("the port is a number from 1 to 65535");
    t.txtNotAPortName = QStringLiteral("%1: no such port in the list, and a network address "
                                       "begins with tcp://, socket:// or rfc2217://");
    t.txtNoFreeComName = QStringLiteral("No free name from COM1 to COM8 for %1; nothing changed.");
    t.txtFindModule = QStringLiteral("Find module");
    t.txtStopSearch = QStringLiteral("Stop");
    t.txtSearchingOn = QStringLiteral("Looking for the module on %1...");
    t.txtModuleFoundOn = QStringLiteral("The module answers on %1.");
    t.txtNoModuleFound = QStringLiteral("No module answers on any port.");
    t.txtPortsPassedOver = QStringLiteral("Passed over:");
    t.txtPortOpenTooSlow = QStringLiteral("did not open within %1 s");
    t.txtProbeNotWritten = QStringLiteral("the request could not be written");
    t.txtLogSavedElsewhere = QStringLiteral("%1 cannot be written; the log was saved to %2");
    t.txtLogFileNotOpened = QStringLiteral("Cannot open the log file %1: %2");
    t.txtFlagOn = QStringLiteral("yes");
    t.txtFlagOff = QStringLiteral("no");
    t.txtByteAt = QStringLiteral("byte %1");
    t.txtWrittenRead = QStringLiteral("%1: written %2, read %3");
    t.txtWriteDiffers =
        QStringLiteral("After its restart the module holds other data than written:");
    t.txtMoreDifferences = QStringLiteral("... and %1 more (the whole list under Show Details...)");
    t.txtWriteVerified = QStringLiteral("Write verified: the module holds the data written.");
    t.txtWriteNotVerified = QStringLiteral(
        "The write could not be verified: the module did not answer after its restart.");
    t.txtNoPictureData = QStringLiteral("The module has no picture from this camera.");
    t.txtVideoOff = QStringLiteral("Video channel switched off.");
    t.txtErrorUnknownFrame = QStringLiteral("ZORVA_ERROR: unknown frame type.");
    t.txtErrorPacketNumber = QStringLiteral("ZORVA_ERROR: wrong packet number.");
    t.txtHistory = QStringLiteral("Configuration history...");
    t.txtHistoryTitle = QStringLiteral("Configuration history");
    t.txtHistoryAll = QStringLiteral("(all modules)");
    t.txtHistoryNoIdentifier = QStringLiteral("(no identifier)");
    t.txtHistoryWhen = QStringLiteral("Date and time");
    t.txtHistoryWhat = QStringLiteral("What");
    t.txtHistoryRead = QStringLiteral("read");
    t.txtHistoryWritten = QStringLiteral("written");
    t.txtHistoryLoad = QStringLiteral("Load");
    t.txtHistoryCompare = QStringLiteral("Compare");
    t.txtHistoryClose = QStringLiteral("Close");
    t.txtKeptEditor = QStringLiteral("%1: kept %2, in the editor %3");
    t.txtHistoryNoDifferences = QStringLiteral("No differences from the editor.");
    t.txtHistoryNotKept =
        QStringLiteral("Configuration history: %1 cannot be written; configurations are not kept.");
    t.txtReport = QStringLiteral("Service report...");
    t.txtReportTitle = QStringLiteral("Service report");
    t.txtReportTechnician = QStringLiteral("Technician");
    t.txtReportRemarks = QStringLiteral("Remarks");
    t.txtReportFile = QStringLiteral("PDF file");
    t.txtReportChoose = QStringLiteral("Choose...");
    t.txtReportWrite = QStringLiteral("Write report");
    t.txtReportCancel = QStringLiteral("Cancel");
    t.txtReportOpen = QStringLiteral("Open");
    t.txtReportReading = QStringLiteral("Reading the module...");
    t.txtReportNoModule = QStringLiteral("No module answers: the report was not written.");
    t.txtReportEditsNotWritten = QStringLiteral(
        "The editor holds changes that were not written to the module: the report shows the "
        "configuration read from the module, and the changes stay in the editor.");
    t.txtReportWritten = QStringLiteral("Report written: %1");
    t.txtReportNotWritten = QStringLiteral("%1: the report could not be written.");
    t.txtReportVisit = QStringLiteral("Visit");
    t.txtReportDate = QStringLiteral("Date and time");
    t.txtReportComputer = QStringLiteral("Computer");
    t.txtReportProgram = QStringLiteral("Program version");
    t.txtReportModule = QStringLiteral("The module as found");
    t.txtReportFirmware = QStringLiteral("Firmware version");
    t.txtReportFirmwareDate = QStringLiteral("Firmware date");
    t.txtReportModuleClock = QStringLiteral("Module clock");
    t.txtReportComputerClock = QStringLiteral("Computer clock");
    t.txtReportCamerasPresent = QStringLiteral("Cameras present");
    t.txtReportCamerasOn = QStringLiteral("Cameras on");
    t.txtReportNetwork = QStringLiteral("Network in use");
    t.txtReportLink = QStringLiteral("Link");
    t.txtReportConfiguration = QStringLiteral("The module's configuration");
    t.txtReportPasswordSet = QStringLiteral("set");
    t.txtReportPasswordNotSet = QStringLiteral("not set");
    t.txtReportPasswordChanged = QStringLiteral("changed");
    t.txtReportChanges = QStringLiteral("Changes during the visit");
    t.txtReportChangesSince = QStringLiteral("From the first read of this visit (%1) to now:");
    t.txtReportNoReadToday =
        QStringLiteral("The configuration history holds no read of this module from this visit.");
    t.txtReportNothingChanged = QStringLiteral("Nothing changed.");
    t.txtReportField = QStringLiteral("Field");
    t.txtReportBefore = QStringLiteral("Before");
    t.txtReportAfter = QStringLiteral("Now");
    t.txtReportNoWrite = QStringLiteral("Nothing was written to the module during this visit.");
    t.txtReportWriteVerified = QStringLiteral(
        "The last write (%1) was verified: the module holds the configuration written.");
    t.txtReportWriteDiffers = QStringLiteral(
        "The last write (%1) is not verified: the module holds another configuration.");
    t.txtReportPictures = QStringLiteral("Camera pictures");
    t.txtReportCamera = QStringLiteral("Camera %1, taken %2");
    t.txtReportNoPicture = QStringLiteral("no picture received");
    t.txtReportPictureFailed = QStringLiteral("Camera %1: %2");
    t.txtReportPictureDamaged =
        QStringLiteral("Camera %1, taken %2: damaged, only part of the picture decoded (%3)");
    t.txtReportReplace = QStringLiteral("%1 already exists. Replace it?");
    t.txtReportNoCameras = QStringLiteral("No camera is both on and present.");
    return t;
}

// The table in force; Polish until a language is chosen.
LanguageTexts& Current()
{
    static LanguageTexts table = PolishTexts();
    return table;
}

} // namespace

const LanguageTexts& Texts()
{
    return Current();
}

void SetPolishTexts()
{
    Current() = PolishTexts();
}

void SetEnglishTexts()
{
    Current() = EnglishTexts();
}

} // namespace zorva
