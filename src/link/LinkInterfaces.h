// What the link core needs from the rest of the program. The main window implements these;
// the tests implement them with scripted parts. Everything is called on the user-interface thread.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>

#include <QDateTime>
#include <QString>

#include "link/ModuleReport.h"
#include "shell/PortFailure.h"

namespace zorva {

// The serial port (the main window's `PortRS`). Results, not exceptions: a failed transfer
// returns -1, a failed line change false.
class LinkPort {
public:
    virtual ~LinkPort() = default;
    virtual bool Enabled() const = 0; // open
    // The caller tests Enabled afterwards. A port that opens off this thread only starts the
    // open, and a later Open takes its result.
    virtual void Open() = 0;
    virtual void Close() = 0;
    virtual QString DeviceName() const = 0;
    virtual int _Write_(const std::uint8_t* buffer, int count) = 0;
    virtual int _Read_(std::uint8_t* buffer, int count) = 0;
    virtual bool DTR(bool state) = 0;
    virtual bool RTS(bool state) = 0;
    // Why the latest Open failed; nothing after a successful one. A port that cannot tell
    // reports nothing.
    virtual std::optional<PortFailure> OpenFailure() const { return std::nullopt; }
    // Called on this thread when an open started by Open has ended, so that its result can be
    // taken at once (an empty function: nobody to call). A port that opens at once never calls it.
    virtual void SetOpenEnded(std::function<void()> ended) { static_cast<void>(ended); }
};

// The main window as the link sees it.
class LinkView {
public:
    virtual ~LinkView() = default;

    // Refreshes the editor fields from the configuration and network records.
    virtual void ShowConfig() = 0;

    // Status strip `Panel2`: captions `Label16` (left) and `Label17` (right).
    virtual QString StatusLeftCaption() const = 0;
    virtual void SetStatusLeftCaption(const QString& text) = 0;
    virtual QString StatusRightCaption() const = 0;
    virtual void SetStatusRightCaption(const QString& text) = 0;
    // Connected: green strip, yellow font. Not connected: grey strip, silver font.
    virtual void SetStatusStripConnected(bool connected) = 0;
    // The network group's caption `Label18` in the button-shadow colour (no module answers).
    virtual void SetLabel18ButtonShadow() = 0;
    // Repaint of `StringGrid1`; the grid colours its cells from the status record.
    virtual void RepaintStatusGrid() = 0;

    // `ToolButton2` (read), `ToolButton3` (write) and `ToolButton11` (clock) together.
    virtual void SetLinkButtonsEnabled(bool enabled) = 0;
    // Panel 0 of `StatusBar1`.
    virtual QString StatusBarText() const = 0;
    virtual void SetStatusBarText(const QString& text) = 0;
    // Panel 1 of `StatusBar1`: why the port is closed; empty while there is no reason. A window
    // without that panel ignores it.
    virtual void SetPortFailureText(const QString& text) { static_cast<void>(text); }

    // Traffic log `Memo1`.
    virtual void Memo1Add(const QString& line) = 0;
    virtual void Memo1Clear() = 0;
    // Event list `Memo2`.
    virtual void Memo2Add(const QString& line) = 0;
    virtual int Memo2LineCount() const = 0;
    virtual void Memo2DeleteFirstLine() = 0;

    // Message boxes shown through ShowCentredMessage over the main window. Lines of a text
    // are separated by carriage returns ('\r').
    virtual void ShowErrorMessage(const QString& text) = 0; // OK
    // An error whose box also holds `details` as its detailed text (a list too long for the
    // message); a view without such a box shows the message alone.
    virtual void ShowErrorMessageWithDetails(const QString& text, const QString& details)
    {
        static_cast<void>(details);
        ShowErrorMessage(text);
    }
    virtual void ShowInformationMessage(const QString& text) = 0; // OK
    virtual bool AskConfirmation(const QString& text) = 0;        // Yes (default) / No; true = Yes
    // The modal error centred on the screen that reports firmware the program does not support.
    virtual void ShowUnsupportedFirmware(const QString& text) = 0;

    // The port settings dialog (`TFormKonf`).
    virtual bool PortSettingsShowing() const = 0;
    virtual void ShowPortSettingsModal() = 0;

    // Check state of the menu item `Polski1`: the current language is Polish.
    virtual bool Polski1Checked() const = 0;

    // The note that the latest write was verified, for panel 1 of `StatusBar1` while the port
    // has no reason to show there; empty removes it.
    virtual void ShowWriteCheckNote(const QString& text) { (void)text; }

    // For a view that acts on what the module reported rather than show it (zorva-cli): a
    // picture refused or an error report, and each event report frame (sync pair to checksum).
    virtual void NoteModuleReport(const ModuleReport& report) { (void)report; }
    virtual void NoteEventFrame(std::span<const std::uint8_t> frame) { (void)frame; }
    // The configuration history could not keep a record: the line the traffic log got.
    virtual void NoteHistoryProblem(const QString& text) { (void)text; }
};

// The preview window (`TFormPict`).
class LinkPreview {
public:
    virtual ~LinkPreview() = default;
    virtual std::uint8_t KamNr() const = 0;  // camera mask 1, 2, 4 or 8
    virtual std::uint8_t PictWB() const = 0; // packet size in units of 16 bytes
    virtual void add2Stream(const std::uint8_t* x, int l) = 0;
    // Saves the assembled picture and shows it; false when the file could not be written.
    virtual bool Load2pict(std::uint8_t cam) = 0;
    // Empties the picture stream and sets the link's picture counter to 0.
    virtual void SB_playClick() = 0;
    virtual void FormShow() = 0; // shows the placeholder picture
    // `SB_play` shown pressed when playing, `SB_stop` otherwise.
    virtual void ShowPlayButtons(bool playing) = 0;
};

// "Now" for log lines and the clock frame.
class LinkClock {
public:
    virtual ~LinkClock() = default;
    virtual QDateTime Now() const = 0;
};

class SystemClock final : public LinkClock {
public:
    QDateTime Now() const override { return QDateTime::currentDateTime(); }
};

} // namespace zorva
