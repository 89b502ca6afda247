// The main window: menus, tool bar, status strip, the configuration area, the event area with
// the logs, and the status bar. It starts the link core and implements what the link needs
// from the window; it restores and stores the port, the language and its own position.
#pragma once

#include <memory>

#include <QMainWindow>
#include <QStringList>

#include "config/ConfigFile.h"
#include "config/ConfigRecord.h"
#include "config/EditorLink.h"
#include "link/LinkInterfaces.h"

class QAction;
class QActionGroup;
class QFrame;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;
class QToolBar;
class QToolButton;

namespace zorva {

struct ReportPicture;

class ConfigHistory;
class ConfigPanel;
class IdleHook;
class LinkCore;
class PortRSLink;
class PreviewLink;
class TForm3;
class TFormPict;

class TForm1 : public QMainWindow, public LinkView, public EditorLink {
    Q_OBJECT
public:
    // `arguments` as QCoreApplication::arguments() gives them (program name first). The
    // creation handler runs here; a settings value of the wrong type is reported in an error
    // box and ends the creation early (see CreationError).
    explicit TForm1(const QStringList& arguments, QWidget* parent = nullptr);
    // Saves the window's placement.
    ~TForm1() override;

    // The windows created after this one, and the splash that serves as the about box.
    void SetAboutBox(TForm3* form);
    void SetPreviewWindow(TFormPict* form);
    // The port settings dialog; `RS2321` and `ToolButton4` open it once it is set.
    void SetPortSettingsDialog(QWidget* dialog);

    bool ServiceMode() const { return serviceMode_; }
    QString LogFilePath() const { return logFilePath_; }
    // The error that ended the creation early, empty when creation ran to its end.
    QString CreationError() const { return creationError_; }
    // Height of the client area (below the menu bar).
    int ClientHeight() const;
    LinkCore* Link() const { return link_.get(); }
    // The serial port `PortRS`.
    PortRSLink& Port() const { return *PortRS; }

    // Handlers.
    void FormClose();
    void FormDestroy();
    void Wyjcie1Click();
    void Obraz1Click();
    void Oprogramie1Click();
    void Historiakonfiguracji1Click();
    void Raportserwisowy1Click();
    void Polski1Click();
    void English1Click();
    void ApplyLanguageTexts();
    void StatusBar1DblClick();
    void Memo1DblClick();
    void Memo2DblClick();
    void Button1Click();

    // LinkView.
    void ShowConfig() override;
    QString StatusLeftCaption() const override;
    void SetStatusLeftCaption(const QString& text) override;
    QString StatusRightCaption() const override;
    void SetStatusRightCaption(const QString& text) override;
    void SetStatusStripConnected(bool connected) override;
    void SetLabel18ButtonShadow() override;
    void RepaintStatusGrid() override;
    void SetLinkButtonsEnabled(bool enabled) override;
    QString StatusBarText() const override;
    void SetStatusBarText(const QString& text) override;
    void SetPortFailureText(const QString& text) override;
    // Panel 1 of the status bar: why the port is closed, else the note on the latest write.
    QString StatusBarPanel1Text() const;
    void Memo1Add(const QString& line) override;
    void Memo1Clear() override;
    void Memo2Add(const QString& line) override;
    int Memo2LineCount() const override;
    void Memo2DeleteFirstLine() override;
    void ShowErrorMessage(const QString& text) override;
    void ShowErrorMessageWithDetails(const QString& text, const QString& details) override;
    void ShowInformationMessage(const QString& text) override;
    bool AskConfirmation(const QString& text) override;
    void ShowUnsupportedFirmware(const QString& text) override;
    bool PortSettingsShowing() const override;
    void ShowPortSettingsModal() override;
    bool Polski1Checked() const override;
    void ShowWriteCheckNote(const QString& text) override;
    void NoteHistoryProblem(const QString& text) override;
    void NoteModuleReport(const ModuleReport& report) override;

    // EditorLink.
    void ResetPollCounter() override;
    QString FirmwareVersion() const override;
    bool StatusKnown() const override;

    // Menu `MainMenu1`.
    QMenu* Plik1 = nullptr;
    QAction* Nowy1 = nullptr;
    QAction* Otwrz1 = nullptr;
    QAction* Zapisz1 = nullptr;
    QAction* Historiakonfiguracji1 = nullptr;
    QAction* Raportserwisowy1 = nullptr;
    QAction* N1 = nullptr;
    QAction* Wyjcie1 = nullptr;
    QMenu* Komunikacja1 = nullptr;
    QAction* Odczyt1 = nullptr;
    QAction* Zapis1 = nullptr;
    QMenu* Narzdzia1 = nullptr;
    QAction* Zagar1 = nullptr;
    QAction* Obraz1 = nullptr;
    QMenu* Konfiguracja1 = nullptr;
    QAction* RS2321 = nullptr;
    QAction* N2 = nullptr;
    QAction* Polski1 = nullptr;
    QAction* English1 = nullptr;
    QActionGroup* LanguageGroup = nullptr;
    QMenu* Pomoc1 = nullptr;
    QAction* Oprogramie1 = nullptr;

    // Tool bar `ToolBar1`.
    QToolBar* ToolBar1 = nullptr;
    QToolButton* ToolButton1 = nullptr;  // open a configuration file
    QToolButton* ToolButton6 = nullptr;  // save the configuration to a file
    QToolButton* ToolButton2 = nullptr;  // read from the module
    QToolButton* ToolButton3 = nullptr;  // write to the module
    QToolButton* ToolButton11 = nullptr; // set the module's clock
    QToolButton* ToolButton7 = nullptr;  // preview
    QToolButton* ToolButton4 = nullptr;  // port settings
    QToolButton* ToolButton10 = nullptr; // exit

    QFrame* Panel2 = nullptr;
    QLabel* Label16 = nullptr;
    QLabel* Label17 = nullptr;
    ConfigPanel* Panel5 = nullptr; // the configuration area with the status grid
    QPlainTextEdit* Memo1 = nullptr;
    QPlainTextEdit* Memo2 = nullptr;
    QPushButton* Button1 = nullptr;
    QStatusBar* StatusBar1 = nullptr;

signals:
    // The window has closed (its values are stored): the program ends.
    void Closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildMenus();
    void BuildClientArea();
    void BuildToolBar(QWidget* client);
    void ConnectCommands();
    void FormCreate(const QStringList& arguments);
    bool ReportSettingsError(bool ok, const QString& error);
    void SetClientHeight(int height);
    void SetStatusGridFixedTexts();
    void PlaceStatusPanels();
    void ShowStatusBarPanel1();
    bool TakeReportPicture(int camera, ReportPicture& picture);

    bool serviceMode_ = false;
    bool destroyed_ = false;
    QString logFilePath_;
    QString creationError_;
    QLabel* statusPanel0_ = nullptr;
    QLabel* statusPanel1_ = nullptr;
    QString portFailureText_;
    QString writeCheckNote_;
    QWidget* client_ = nullptr;

    ConfigRecord config_;
    NetworkRecord network_;
    SystemClock clock_;
    std::unique_ptr<PortRSLink> PortRS;
    std::unique_ptr<PreviewLink> previewLink_;
    std::unique_ptr<ConfigHistory> history_;
    std::unique_ptr<LinkCore> link_;
    bool historyProblemShown_ = false; // once a run is enough
    // What the module said instead of a picture, the latest and how many: the report's pictures.
    ModuleReport latestModuleReport_;
    int moduleReports_ = 0;
    TFormPict* previewForm_ = nullptr;
    IdleHook* idleHook_ = nullptr;
    std::unique_ptr<ConfigFileCommands> files_;

    TForm3* aboutBox_ = nullptr;
    QWidget* portSettings_ = nullptr;
};

} // namespace zorva
