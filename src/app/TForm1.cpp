// The main window's life: creation from the stored settings, closing and storing them, the menu
// commands that open other windows or switch the language, and the logs' mouse commands.
#include "app/TForm1.h"

#include <string_view>

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFontDatabase>
#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QToolBar>
#include <QToolButton>

#include "app/AppResources.h"
#include "app/CentredMessage.h"
#include "app/HistoryDialog.h"
#include "app/PortRSLink.h"
#include "app/PreviewLink.h"
#include "app/ShellRules.h"
#include "app/TForm1Design.h"
#include "app/TForm3.h"
#include "config/ConfigHistory.h"
#include "config/ui/ConfigPanel.h"
#include "config/ui/StatusGrid.h"
#include "link/IdleHook.h"
#include "link/LinkCore.h"
#include "serial/StoredPort.h"
#include "shell/FormPlacement.h"
#include "shell/LanguageTexts.h"
#include "shell/LogFile.h"
#include "shell/SettingsStore.h"
#include "shell/Text8Bit.h"

namespace zorva {

using namespace form1;

TForm1::TForm1(const QStringList& arguments, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                              Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      PortRS(std::make_unique<PortRSLink>()), previewLink_(std::make_unique<PreviewLink>())
{
    EnsureAppResources();
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("ZORVA"));
    BuildMenus();
    BuildClientArea();
    // A fixed single border: the window is always exactly as large as its contents.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    // The design's captions are those of the table in force (Polish before a language is
    // chosen), so a creation that ends early still leaves a labelled window.
    ApplyLanguageTexts();
    // The design height has the event area open; the creation closes it.
    SetClientHeight(ClientHeightFor(kPanel5Top, kPanel5Height, kStatusBarHeight, true));
    FormCreate(arguments);
    ConnectCommands();
}

TForm1::~TForm1()
{
    FormDestroy();
    // The link stops its timer and lets go of the port before the port goes, and the editor's
    // widgets go before the records they write into.
    delete idleHook_;
    idleHook_ = nullptr;
    link_.reset();
    delete Panel5;
    Panel5 = nullptr;
}

void TForm1::SetAboutBox(TForm3* form)
{
    aboutBox_ = form;
}

void TForm1::SetPreviewWindow(TFormPict* form)
{
    LinkCore* link = link_.get();
    previewForm_ = form;
    previewLink_->Attach(
        form, [link] { return link != nullptr ? link->pictcnt() : kPictStopped; },
        [link](std::uint16_t value) {
            if (link != nullptr) {
                link->setPictcnt(value);
            }
        });
}

void TForm1::SetPortSettingsDialog(QWidget* dialog)
{
    const bool first = portSettings_ == nullptr && dialog != nullptr;
    portSettings_ = dialog;
    if (dialog != nullptr) {
        dialog->setWindowTitle(Texts().txtConfiguration);
    }
    if (first && link_ != nullptr) {
        LinkCore* link = link_.get();
        connect(RS2321, &QAction::triggered, link, &LinkCore::RS2321Click);
        connect(ToolButton4, &QToolButton::clicked, link, &LinkCore::ToolButton4Click);
    }
}

// Reports a settings value of the wrong type in the standard error box. Returns whether the
// creation may go on.
bool TForm1::ReportSettingsError(bool ok, const QString& error)
{
    if (ok) {
        return true;
    }
    creationError_ = error;
    QMessageBox::critical(nullptr, QStringLiteral("ZORVA"), error);
    return false;
}

void TForm1::FormCreate(const QStringList& arguments)
{
    serviceMode_ = IsServiceMode(arguments);
    Memo1->setVisible(serviceMode_);
    Button1->setVisible(serviceMode_);

    FileProblem logFileProblem;
    logFilePath_ = StartLogFile(QDateTime::currentDateTime(), &logFileProblem);

    // The link core starts with nothing pending, the picture transfer stopped and its timer
    // running; the idle hook runs its deferred messages once the event queue is empty.
    link_ = std::make_unique<LinkCore>(PortRS->AsLinkPort(), *this, *previewLink_, clock_, config_,
                                       network_);
    link_->setLogFilePath(logFilePath_);
    // Every configuration read and every write acknowledged is kept.
    history_ =
        std::make_unique<ConfigHistory>(DefaultHistoryFolder(), HistoryKeepFrom(ProgramIniPath()));
    link_->setHistory(history_.get());
    PortRS->SetPortNoteHandler(
        [link = link_.get()](const QString& line) { link->NotePortLine(line); });
    PortRS->SetRxCharHandler([link = link_.get()](QObject* sender, int count) {
        link->PortRSRxCharSignal(sender, count);
    });
    idleHook_ = new IdleHook(*link_);

    QString deviceName;
    QString error;
    if (!ReportSettingsError(ReadStoredDeviceName(&deviceName, &error), error)) {
        return;
    }
    PortRS->SetDeviceName(deviceName);

    link_->setDtrFlag(true);
    link_->setRtsFlag(true);

    std::uint8_t pl = 0;
    if (!ReportSettingsError(RegReadBytes(kRegKey, QStringLiteral("pl"), &pl, 1, &error), error)) {
        return;
    }
    if (pl != 0) {
        Polski1Click();
    } else {
        English1Click();
    }
    if (!logFileProblem.path.isEmpty()) {
        link_->PostError(Texts().txtLogFileNotOpened.arg(
            QDir::toNativeSeparators(logFileProblem.path), logFileProblem.reason));
    }

    Memo1->clear();
    ShowConfig();
    SetStatusGridFixedTexts();
    ApplyLanguageTexts();

    if (!ReportSettingsError(RestoreFormPlacement(this, kRegKey, &error), error)) {
        return;
    }
    Memo2->hide();
    SetClientHeight(ClientHeightFor(kPanel5Top, kPanel5Height, kStatusBarHeight, false));
}

void TForm1::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
    emit Closed();
}

void TForm1::FormClose()
{
    const PortChoice port = PortRS->Choice();
    const bool dtr = link_ != nullptr ? link_->DtrFlag() : true;
    const bool rts = link_ != nullptr ? link_->RtsFlag() : true;
    for (const StoredByte& value : ClosingValues(port, dtr, rts, Polski1->isChecked())) {
        RegWriteBytes(kRegKey, QLatin1String(value.name), &value.value, 1);
        if (std::string_view(value.name) == "cm") {
            WriteFullPortName(port.deviceName);
        }
    }
}

void TForm1::FormDestroy()
{
    if (destroyed_) {
        return;
    }
    destroyed_ = true;
    SaveFormPlacement(this, kRegKey);
}

void TForm1::Wyjcie1Click()
{
    close();
}

void TForm1::Obraz1Click()
{
    QWidget* preview = previewLink_->Window();
    if (preview == nullptr) {
        return;
    }
    preview->show();
    preview->raise();
    preview->activateWindow();
}

void TForm1::Oprogramie1Click()
{
    if (aboutBox_ == nullptr) {
        aboutBox_ = new TForm3(this);
    }
    aboutBox_->CentreOn(this);
    aboutBox_->exec();
}

void TForm1::Historiakonfiguracji1Click()
{
    if (history_ == nullptr) {
        return;
    }
    HistoryDialog dialog(
        *history_, config_, [this](const QString& path) { return files_->OpenFile(path); }, this);
    dialog.exec();
}

void TForm1::Polski1Click()
{
    Polski1->setChecked(true);
    SetPolishTexts();
    ApplyLanguageTexts();
    update();
}

void TForm1::English1Click()
{
    English1->setChecked(true);
    SetEnglishTexts();
    ApplyLanguageTexts();
    update();
}

void TForm1::StatusBar1DblClick()
{
    const bool open = Memo2->isHidden();
    Memo2->setVisible(open);
    SetClientHeight(ClientHeightFor(kPanel5Top, kPanel5Height, kStatusBarHeight, open));
}

void TForm1::Memo1DblClick()
{
    Memo1->clear();
}

void TForm1::Memo2DblClick()
{
    Memo2->clear();
}

void TForm1::Button1Click()
{
    QByteArray bytes;
    for (QTextBlock block = Memo1->document()->begin(); block.isValid(); block = block.next()) {
        if (Memo1->document()->isEmpty()) {
            break;
        }
        bytes += ToCp1250(block.text());
        bytes += "\r\n";
    }
    // Written whole or not at all: a failed save keeps the earlier file as it was.
    const QStringList paths = TrafficLogSavePaths();
    const SavedFile saved = SaveToFirstWritable(paths, bytes);
    if (saved.path.isEmpty()) {
        QMessageBox::critical(this, QStringLiteral("ZORVA"),
                              QStringLiteral("Cannot create file \"%1\". %2")
                                  .arg(saved.problem.path, saved.problem.reason));
    } else if (saved.path != paths.first()) {
        Memo1Add(Texts().txtLogSavedElsewhere.arg(paths.first(), saved.path));
    }
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (watched == StatusBar1 || watched == statusPanel0_ || watched == statusPanel1_) {
            StatusBar1DblClick();
            return true;
        }
        if (watched == Memo1->viewport()) {
            Memo1DblClick();
            return true;
        }
        if (watched == Memo2->viewport()) {
            Memo2DblClick();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace zorva
