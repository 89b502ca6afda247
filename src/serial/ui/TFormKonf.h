// The port settings dialog: the technician picks the serial port; the line settings and the
// DTR and RTS flags are shown (disabled) as they are in force. There is no cancel: a port
// picked in the list is the port's device name at once. A device listed under a name that the
// stored port byte cannot hold gets a COM name first. Under the list: why the port could not
// be opened, or that no COM name is left. Beside the list, "Find module" tries the listed ports
// for the one the module answers on and picks it as the technician would.
#pragma once

#include <functional>
#include <optional>
#include <vector>

#include <QDialog>
#include <QSize>
#include <QString>

#include "serial/ports/PortList.h"
#include "serial/ports/PortSearch.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QShowEvent;
class QTabWidget;
class QWidget;

namespace zorva {

class TComm64;

// A program-wide Boolean the dialog shows and sets (the DTR flag, the RTS flag).
struct FlagAccess {
    std::function<bool()> get;
    std::function<void(bool)> set;
};

// The link keeps the flags; these bind them (any object with DtrFlag/setDtrFlag and
// RtsFlag/setRtsFlag, such as the link core).
template <typename Link> FlagAccess DtrFlagOf(Link& link)
{
    return {[&link] { return link.DtrFlag(); }, [&link](bool on) { link.setDtrFlag(on); }};
}
template <typename Link> FlagAccess RtsFlagOf(Link& link)
{
    return {[&link] { return link.RtsFlag(); }, [&link](bool on) { link.setRtsFlag(on); }};
}

// The platform's devices for the port list; PlatformDevices unless a test says otherwise. The
// dialog adds the stored aliases itself.
using PortSource = std::function<std::vector<PortEntry>()>;

class TFormKonf : public QDialog {
    Q_OBJECT
public:
    // The creation handler runs here. `probe` is what "Find module" sends to each port and the
    // answer it waits for.
    TFormKonf(TComm64& port, FlagAccess dtrFlag, FlagAccess rtsFlag, QWidget* parent = nullptr,
              PortSource ports = PlatformDevices, PortProbe probe = {});

    // Restores the placement stored under "pos" (normally none, so the dialog opens centred on
    // its parent), makes the port page active and sets the caption. A stored placement of the
    // wrong type ends it early; the error is kept in CreationError.
    void FormCreate();
    QString CreationError() const { return creationError_; }

    // Refreshes the port page from the settings in force; also runs each time the dialog shows,
    // so the list picks up an adapter plugged in meanwhile.
    void PageControl1Change();
    // The technician picked an entry: it becomes the port's device name at once. An entry other
    // than COM1 to COM8 is given a COM name (ComNameForDevice) instead, with an alias that is
    // stored when the dialog closes; when no name is left, the dialog says so under the list and
    // the device name stays as it was.
    void CCB1Change(int index);
    // The groups' and boxes' meaning; the controls are disabled, so only code reaches them.
    void RadioGroup2Click(int item);
    void RadioGroup3Click(int item);
    void RadioGroup4Click(int item);
    void RadioGroup5Click(int item);
    void CheckBoxDTRClick();
    void CheckBoxRTSClick();
    // Starts the search over the listed ports with the line settings in force, or stops the
    // one running. Under the list: the port being tried, then the port found (picked as by
    // CCB1Change), or that none answered with the ports that could not be opened and why.
    void ButtonFindModuleClick();

    // The caption from the language table (also on a language switch).
    void ApplyLanguageTexts();

    // Controls, named as the dialog's design names them.
    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr; // the port page
    QComboBox* CCB1 = nullptr;
    QLabel* LabelReason = nullptr;    // under the list; hidden while it has nothing to say
    QGroupBox* RadioGroup2 = nullptr; // baud rate
    QGroupBox* RadioGroup3 = nullptr; // data size
    QGroupBox* RadioGroup4 = nullptr; // stop bits
    QGroupBox* RadioGroup5 = nullptr; // parity
    QWidget* Panel1 = nullptr;        // holds the two check boxes
    QCheckBox* CheckBoxDTR = nullptr;
    QCheckBox* CheckBoxRTS = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* ButtonFindModule = nullptr; // beside the port list
    PortSearch* Search = nullptr;

    // The items' buttons of each group, in item order.
    QButtonGroup* BaudRateItems = nullptr;
    QButtonGroup* DataSizeItems = nullptr;
    QButtonGroup* StopBitsItems = nullptr;
    QButtonGroup* ParityItems = nullptr;

    // Closing stores the alias of the latest pick, when it needs one. OK and Enter also take
    // what was typed into the port box: a listed port's name, or a network address, which is
    // remembered under a COM name with an alias where one is free, else in full. Anything else
    // (a malformed address) is refused with what is wrong with it, the dialog staying open and
    // the port in force unchanged.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    // Home and End still pick the first and last port while nothing has been typed.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void FillPortList();
    void ShowReason();
    void SelectDeviceInForce();
    bool TakeTypedName();
    void SearchTrying(const QString& candidate);
    void SearchFinished();

    TComm64& port_;
    FlagAccess dtrFlag_;
    FlagAccess rtsFlag_;
    PortSource ports_;
    std::vector<PortEntry> entries_; // as listed in CCB1
    QStringList offered_;            // the platform's device paths
    QString note_;                   // no COM name left for the latest pick
    std::optional<StoredPortAlias> pendingAlias_;
    QSize designSize_; // without the note
    QString creationError_;
};

// Client area of the dialog where the fonts allow it.
constexpr int kFormKonfWidth = 270;
constexpr int kFormKonfHeight = 332;

} // namespace zorva
