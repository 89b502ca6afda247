// The language text table: every user-interface text that changes with the language.
// It always holds the texts of the current language; Polish before a language is chosen.
#pragma once

#include <QString>

namespace zorva {

struct LanguageTexts {
    QString txtCameras;
    QString txtPicture;
    QString txtBeforeEvent;
    QString txtAfterEvent;
    QString txtPictures;
    QString txtIdentifier;
    QString txtPassword;
    QString txtCommunication;
    QString txtEthernet;
    QString txtModem;
    QString txtIpAddress;
    QString txtSubnetMask;
    QString txtGateway;
    QString txtStation;
    QString txtPort;
    QString txtPhone;
    QString txtFile;
    QString txtNew;
    QString txtOpen;
    QString txtSave;
    QString txtExit;
    QString txtRead;
    QString txtWrite;
    QString txtConfiguration;
    QString txtRs232;
    QString txtNotRead;
    QString txtNotSaved; // a configuration file could not be saved
    QString txtNoConnection;
    QString txtConnected;
    QString txtWritten;
    QString txtResetting;
    QString txtNotWritten;
    QString txtSetClockPrompt;
    QString txtColour;
    QString txtActive;
    QString txtUnplugged;
    QString txtTools;
    QString txtClock;
    QString txtAutoSize;
    QString txtExternalModem;
    QString txtSustainTime;
    QString txtMaxPreview;
    QString txtTestEvery;
    QString txtModemLinks;
    QString txtRepeatCount;
    QString txtSuspendTime;
    QString txtSec;
    QString txtMin;
    QString txtAbout;
    QString txtHelp;
    QString txtProgramTitle;
    QString txtTriggerInputs;
    QString txtEnableInputs;
    QString txtPreview;
    QString txtSyncTime;
    // Why the port cannot be opened (%1 the device's path) and what to do about it.
    QString txtPortNoAccess;
    QString txtPortInUseBy; // %2 the program, %3 its process number
    QString txtPortInUse;
    QString txtPortMissing;
    QString txtPortNotSerial;
    // The same for a port reached through the network (%1 its name as typed).
    QString txtPortHostNotFound;
    QString txtPortRefused;
    QString txtPortNoAnswer;
    QString txtPortDropped;
    QString txtPortSettingRefused; // %2 the setting the server refused
    // A network name that is not well formed (%2 what is wrong with it), and what can be.
    QString txtPortBadAddress;
    QString txtAddressNoHost;
    QString txtAddressNoPort;
    QString txtAddressBadPort;
    // The port settings dialog: typed text (%1) that is neither a listed port nor an address.
    QString txtNotAPortName;
    // The port settings dialog: a device (%1) for which no COM name is left.
    QString txtNoFreeComName;
    // The search for the port the module answers on (port settings dialog, zorva-cli).
    QString txtFindModule;      // the dialog's button
    QString txtStopSearch;      // the same button while the search runs
    QString txtSearchingOn;     // %1 the port being tried
    QString txtModuleFoundOn;   // %1 the port that answered
    QString txtNoModuleFound;   // no port answered
    QString txtPortsPassedOver; // heading of the ports passed over, each with its reason
    QString txtPortOpenTooSlow; // %1 seconds: a port whose open did not end in time
    QString txtProbeNotWritten; // a port that opened but took no request
    // Files the program writes by itself: %1 the path, %2 the system's reason.
    QString txtLogSavedElsewhere; // %1 could not be written, the traffic log went to %2
    QString txtLogFileNotOpened;  // the log file named in the program ini file

    // A write checked against what the module reads back after its restart.
    QString txtFlagOn;           // a check box's value: checked
    QString txtFlagOff;          // unchecked
    QString txtByteAt;           // a byte outside the named fields: %1 its offset
    QString txtWrittenRead;      // %1 caption, %2 value written, %3 value read
    QString txtWriteDiffers;     // heading of the list of differences
    QString txtMoreDifferences;  // %1 differences that did not fit in the message
    QString txtWriteVerified;    // the read-back holds the bytes written
    QString txtWriteNotVerified; // the module did not come back to be read

    // What the module answered instead of a picture, and its error reports, for zorva-cli (the
    // window shows the Polish texts of the reply parser in both languages).
    QString txtNoPictureData;     // flag 0xA: the module has no picture to send
    QString txtVideoOff;          // flag 0xB: the camera's channel is switched off
    QString txtErrorUnknownFrame; // error report 0xBB
    QString txtErrorPacketNumber; // error report 0xDD

    // The configuration history: every configuration read and every write acknowledged.
    QString txtHistory;              // the File menu's item
    QString txtHistoryTitle;         // its dialog's title
    QString txtHistoryAll;           // the filter's choice of every module
    QString txtHistoryNoIdentifier;  // a module whose identifier is blank
    QString txtHistoryWhen;          // column: date and time
    QString txtHistoryWhat;          // column: read or written
    QString txtHistoryRead;          // a configuration read from the module
    QString txtHistoryWritten;       // a write the module acknowledged
    QString txtHistoryLoad;          // button: into the editor
    QString txtHistoryCompare;       // button: differences from the editor
    QString txtHistoryClose;         // button
    QString txtKeptEditor;           // %1 caption, %2 value kept, %3 value in the editor
    QString txtHistoryNoDifferences; // the kept configuration equals the editor's
    QString txtHistoryNotKept;       // %1 the history's folder cannot be written

    // The service report: the visit, the module as found and left, a picture per camera.
    QString txtReport;                // the File menu's item
    QString txtReportTitle;           // its dialog's title and the report's heading
    QString txtReportTechnician;      // the technician's name
    QString txtReportRemarks;         // free text
    QString txtReportFile;            // the PDF file
    QString txtReportChoose;          // button: choose the file
    QString txtReportWrite;           // button: read the module and write
    QString txtReportCancel;          // button
    QString txtReportOpen;            // button: open the PDF written
    QString txtReportReading;         // the module is being read
    QString txtReportNoModule;        // no module answers: no report
    QString txtReportEditsNotWritten; // the editor differs from the module
    QString txtReportWritten;         // %1 the file
    QString txtReportNotWritten;      // %1 the file
    QString txtReportVisit;           // section
    QString txtReportDate;            // the visit's date and time
    QString txtReportComputer;        // the computer's name
    QString txtReportProgram;         // the program's version
    QString txtReportModule;          // section
    QString txtReportFirmware;        // the firmware version
    QString txtReportFirmwareDate;    // the firmware date
    QString txtReportModuleClock;
    QString txtReportComputerClock;
    QString txtReportCamerasPresent;
    QString txtReportCamerasOn;
    QString txtReportNetwork;       // section: the network state in use
    QString txtReportLink;          // the Ethernet link
    QString txtReportConfiguration; // section
    QString txtReportPasswordSet;   // the password, never shown
    QString txtReportPasswordNotSet;
    QString txtReportPasswordChanged; // a password replaced by another
    QString txtReportChanges;         // section
    QString txtReportChangesSince;    // %1 time of the first read today
    QString txtReportNoReadToday;     // no read of the module kept today
    QString txtReportNothingChanged;
    QString txtReportField;          // column
    QString txtReportBefore;         // column
    QString txtReportAfter;          // column
    QString txtReportNoWrite;        // nothing written today
    QString txtReportWriteVerified;  // %1 time of the write
    QString txtReportWriteDiffers;   // %1 time of the write
    QString txtReportPictures;       // section
    QString txtReportCamera;         // %1 letter, %2 time taken
    QString txtReportNoPicture;      // no picture of the camera came
    QString txtReportPictureFailed;  // %1 letter, %2 why there is no picture
    QString txtReportPictureDamaged; // %1 letter, %2 when, %3 what the decoder said
    QString txtReportReplace;        // %1 the report's file
    QString txtReportNoCameras;
};

// The table in force.
const LanguageTexts& Texts();
void SetPolishTexts();
void SetEnglishTexts();

} // namespace zorva
