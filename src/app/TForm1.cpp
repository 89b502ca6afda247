#include "app/TForm1.h"

#include <algorithm>

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QCoreApplication>
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
#include <QSaveFile>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QToolBar>
#include <QToolButton>

#include "app/AppResources.h"
#include "app/CentredMessage.h"
#include "app/FormPlacement.h"
#include "app/LanguageTexts.h"
#include "app/LogFile.h"
#include "app/PortRSLink.h"
#include "app/PreviewLink.h"
#include "app/SettingsStore.h"
#include "app/ShellRules.h"
#include "app/TForm3.h"
#include "app/Text8Bit.h"
#include "config/ui/ConfigPanel.h"
#include "config/ui/StatusGrid.h"
#include "link/IdleHook.h"
#include "link/LinkCore.h"

namespace zorva {

namespace {

// Design sizes of the client area, top to bottom.
constexpr int kClientWidth = 869;
constexpr int kToolBarHeight = 35;
constexpr int kPanel2Height = 19;
constexpr int kPanel5Top = kToolBarHeight + kPanel2Height;
constexpr int kPanel5Height = 289;
constexpr int kStatusBarHeight = 19;
constexpr int kStatusPanelWidth = 50;
constexpr QSize kToolButtonSize(40, 31);
constexpr QSize kToolImageSize(24, 24);
// Traffic log and its save button, in client coordinates (inside the event area).
constexpr QRect kMemo1Rect(328, 375, 537, 128);
constexpr QRect kButton1Rect(40, 473, 75, 25);

const QColor kStripConnected(0, 128, 0);
const QColor kStripConnectedText(255, 255, 0);
const QColor kStripIdle(128, 128, 128);
const QColor kStripIdleText(192, 192, 192);

// The client area lays out the status bar at its bottom and the event list in the band
// between the configuration area and the status bar, whatever height it is given.
class ClientArea : public QWidget {
public:
    using QWidget::QWidget;
    QWidget* statusBar = nullptr;
    QWidget* eventList = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QWidget::resizeEvent(event);
        const int statusTop = height() - kStatusBarHeight;
        if (statusBar != nullptr) {
            statusBar->setGeometry(0, statusTop, width(), kStatusBarHeight);
        }
        if (eventList != nullptr) {
            const int top = kPanel5Top + kPanel5Height;
            eventList->setGeometry(0, top, width(), std::max(0, statusTop - top));
        }
    }
};

QIcon ToolImage(const char* name)
{
    return QIcon(QStringLiteral(":/zorva/%1.svg").arg(QLatin1String(name)));
}

QWidget* ToolBarGap(QWidget* parent, int width, bool divider)
{
    auto* gap = new QWidget(parent);
    gap->setFixedSize(width, kToolButtonSize.height());
    if (divider) {
        auto* line = new QFrame(gap);
        line->setFrameShape(QFrame::VLine);
        line->setFrameShadow(QFrame::Sunken);
        line->setGeometry(width / 2 - 1, 2, 2, kToolButtonSize.height() - 4);
    }
    return gap;
}

QPlainTextEdit* LogMemo(QWidget* parent, const char* name)
{
    auto* memo = new QPlainTextEdit(parent);
    memo->setObjectName(QLatin1String(name));
    memo->setReadOnly(true);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    return memo;
}

} // namespace

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

void TForm1::BuildMenus()
{
    QMenuBar* MainMenu1 = menuBar();
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    const auto item = [](QMenu* menu, const char* name) {
        QAction* action = menu->addAction(QString());
        action->setObjectName(QLatin1String(name));
        return action;
    };
    const auto submenu = [MainMenu1](const char* name) {
        QMenu* menu = MainMenu1->addMenu(QString());
        menu->setObjectName(QLatin1String(name));
        return menu;
    };

    Plik1 = submenu("Plik1");
    Nowy1 = item(Plik1, "Nowy1");
    Nowy1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    Otwrz1 = item(Plik1, "Otwrz1");
    Otwrz1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    Zapisz1 = item(Plik1, "Zapisz1");
    Zapisz1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    N1 = Plik1->addSeparator();
    N1->setObjectName(QStringLiteral("N1"));
    Wyjcie1 = item(Plik1, "Wyjcie1");
    Wyjcie1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    Komunikacja1 = submenu("Komunikacja1");
    Odczyt1 = item(Komunikacja1, "Odczyt1");
    Zapis1 = item(Komunikacja1, "Zapis1");

    Narzdzia1 = submenu("Narzdzia1");
    Zagar1 = item(Narzdzia1, "Zagar1");
    Obraz1 = item(Narzdzia1, "Obraz1");

    Konfiguracja1 = submenu("Konfiguracja1");
    RS2321 = item(Konfiguracja1, "RS2321");
    N2 = Konfiguracja1->addSeparator();
    N2->setObjectName(QStringLiteral("N2"));
    Polski1 = item(Konfiguracja1, "Polski1");
    Polski1->setText(QStringLiteral("Polski"));
    English1 = item(Konfiguracja1, "English1");
    English1->setText(QStringLiteral("English"));
    LanguageGroup = new QActionGroup(this);
    LanguageGroup->setExclusive(true);
    for (QAction* language : {Polski1, English1}) {
        language->setCheckable(true);
        LanguageGroup->addAction(language);
    }
    Polski1->setChecked(true);

    Pomoc1 = submenu("Pomoc1");
    Oprogramie1 = item(Pomoc1, "Oprogramie1");
}

void TForm1::BuildToolBar(QWidget* client)
{
    ToolBar1 = new QToolBar(client);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setGeometry(0, 0, kClientWidth, kToolBarHeight);
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setIconSize(kToolImageSize);
    ToolBar1->setContentsMargins(2, 0, 2, 0);
    const auto button = [this](const char* name, const char* image) {
        auto* b = new QToolButton(ToolBar1);
        b->setObjectName(QLatin1String(name));
        b->setIcon(ToolImage(image));
        b->setIconSize(kToolImageSize);
        b->setFixedSize(kToolButtonSize);
        b->setAutoRaise(true);
        b->setToolButtonStyle(Qt::ToolButtonIconOnly);
        ToolBar1->addWidget(b);
        return b;
    };
    ToolButton1 = button("ToolButton1", "open");
    ToolButton6 = button("ToolButton6", "save");
    ToolBar1->addWidget(ToolBarGap(ToolBar1, 20, true)); // ToolButton5
    ToolButton2 = button("ToolButton2", "read");
    ToolButton3 = button("ToolButton3", "write");
    ToolButton11 = button("ToolButton11", "clock");
    ToolButton7 = button("ToolButton7", "camera");
    ToolBar1->addWidget(ToolBarGap(ToolBar1, 42, false)); // ToolButton8
    ToolButton4 = button("ToolButton4", "settings");
    ToolBar1->addWidget(ToolBarGap(ToolBar1, 112, false)); // ToolButton9
    ToolButton10 = button("ToolButton10", "exit");
    // No module answers yet: the sequencer enables these once a status reply came.
    for (QToolButton* b : {ToolButton2, ToolButton3, ToolButton11}) {
        b->setEnabled(false);
    }
}

void TForm1::BuildClientArea()
{
    auto* client = new ClientArea(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    client_ = client;
    setCentralWidget(client);

    BuildToolBar(client);

    Panel2 = new QFrame(client);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setGeometry(0, kToolBarHeight, kClientWidth, kPanel2Height);
    Panel2->setAutoFillBackground(true);
    QFont bold = Panel2->font();
    bold.setBold(true);
    Panel2->setFont(bold);
    auto* strip = new QHBoxLayout(Panel2);
    strip->setContentsMargins(6, 0, 6, 0);
    Label16 = new QLabel(Panel2);
    Label16->setObjectName(QStringLiteral("Label16"));
    Label17 = new QLabel(Panel2);
    Label17->setObjectName(QStringLiteral("Label17"));
    Label17->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    strip->addWidget(Label16, 1);
    strip->addWidget(Label17, 0);
    SetStatusStripConnected(false);

    // The configuration area: the editor's fields and the status grid.
    Panel5 = new ConfigPanel(config_, network_, *this, client);
    Panel5->move(0, kPanel5Top);

    Memo2 = LogMemo(client, "Memo2");
    Memo1 = LogMemo(client, "Memo1");
    Memo1->setGeometry(kMemo1Rect);
    Button1 = new QPushButton(QStringLiteral("Save log"), client);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(kButton1Rect);

    StatusBar1 = new QStatusBar(client);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    StatusBar1->setAutoFillBackground(true);
    // Panel 0 is placed by hand: the bar's own layout leaves too little height for the text.
    statusPanel0_ = new QLabel(StatusBar1);
    statusPanel0_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    statusPanel0_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    statusPanel0_->setIndent(3);
    SetStatusBarText(QStringLiteral("____"));
    client->statusBar = StatusBar1;
    client->eventList = Memo2;
    // The traffic log reaches into the status bar's row by its design size; the bar stays
    // on top so its text is always readable.
    StatusBar1->raise();

    for (QWidget* watched : std::initializer_list<QWidget*>{StatusBar1, statusPanel0_,
                                                            Memo1->viewport(), Memo2->viewport()}) {
        watched->installEventFilter(this);
    }
}

void TForm1::ConnectCommands()
{
    // Configuration files: New (Nowy1), Open (Otwrz1, ToolButton1) and Save (Zapisz1,
    // ToolButton6). A file that cannot be read or written is reported when the program is idle.
    // Odczyt1 and Zapis1 do nothing by design.
    ConfigFileHooks hooks{[this](const QString& dir) { return ChooseConfigFileToOpen(this, dir); },
                          [this](const QString& dir) { return ChooseConfigFileToSave(this, dir); },
                          [this] { ShowConfig(); },
                          [this](const QString& text) {
                              if (link_ != nullptr) {
                                  link_->PostError(text);
                              } else {
                                  QMessageBox::critical(this, QStringLiteral("ZORVA"), text);
                              }
                          }};
    files_ = std::make_unique<ConfigFileCommands>(config_, std::move(hooks),
                                                  QCoreApplication::applicationDirPath());
    connect(Nowy1, &QAction::triggered, this, [this] { files_->Nowy1Click(); });
    connect(Otwrz1, &QAction::triggered, this, [this] { files_->Otwrz1Click(); });
    connect(ToolButton1, &QToolButton::clicked, this, [this] { files_->ToolButton1Click(); });
    connect(Zapisz1, &QAction::triggered, this, [this] { files_->Zapisz1Click(); });
    connect(ToolButton6, &QToolButton::clicked, this, [this] { files_->ToolButton6Click(); });
    connect(Wyjcie1, &QAction::triggered, this, &TForm1::Wyjcie1Click);
    connect(ToolButton10, &QToolButton::clicked, this, &TForm1::Wyjcie1Click);
    connect(Obraz1, &QAction::triggered, this, &TForm1::Obraz1Click);
    connect(ToolButton7, &QToolButton::clicked, this, &TForm1::Obraz1Click);
    connect(Polski1, &QAction::triggered, this, &TForm1::Polski1Click);
    connect(English1, &QAction::triggered, this, &TForm1::English1Click);
    connect(Oprogramie1, &QAction::triggered, this, &TForm1::Oprogramie1Click);
    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    if (link_ != nullptr) {
        LinkCore* link = link_.get();
        connect(ToolButton2, &QToolButton::clicked, link, &LinkCore::ToolButton2Click);
        connect(ToolButton3, &QToolButton::clicked, link, &LinkCore::ToolButton3Click);
        connect(ToolButton11, &QToolButton::clicked, link, &LinkCore::ToolButton11Click);
        connect(Zagar1, &QAction::triggered, link, &LinkCore::Zagar1Click);
    }
}

void TForm1::SetAboutBox(TForm3* form)
{
    aboutBox_ = form;
}

void TForm1::SetPreviewWindow(TFormPict* form)
{
    LinkCore* link = link_.get();
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

    logFilePath_ = StartLogFile();

    // The link core starts with nothing pending, the picture transfer stopped and its timer
    // running; the idle hook runs its deferred messages once the event queue is empty.
    link_ = std::make_unique<LinkCore>(PortRS->AsLinkPort(), *this, *previewLink_, clock_, config_,
                                       network_);
    link_->setLogFilePath(logFilePath_);
    PortRS->SetRxCharHandler([link = link_.get()](QObject* sender, int count) {
        link->PortRSRxCharSignal(sender, count);
    });
    idleHook_ = new IdleHook(*link_);

    std::uint8_t cm = 0;
    QString error;
    if (!ReportSettingsError(RegReadBytes(kRegKey, QStringLiteral("cm"), &cm, 1, &error), error)) {
        return;
    }
    PortRS->SetDeviceName(DeviceNameForPort(PortNumberFromStored(cm)));

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

void TForm1::ApplyLanguageTexts()
{
    const LanguageTexts& t = Texts();
    Plik1->setTitle(t.txtFile);
    Nowy1->setText(t.txtNew);
    Otwrz1->setText(t.txtOpen);
    Zapisz1->setText(t.txtSave);
    Wyjcie1->setText(t.txtExit);
    Komunikacja1->setTitle(t.txtCommunication);
    Odczyt1->setText(t.txtRead);
    Zapis1->setText(t.txtWrite);
    Narzdzia1->setTitle(t.txtTools);
    Zagar1->setText(t.txtClock);
    Obraz1->setText(t.txtPreview);
    Konfiguracja1->setTitle(t.txtConfiguration);
    RS2321->setText(t.txtRs232);
    Pomoc1->setTitle(t.txtHelp);
    Oprogramie1->setText(t.txtAbout);

    // Each tool button's tip is the caption of the menu item that does the same.
    ToolButton1->setToolTip(t.txtOpen);
    ToolButton6->setToolTip(t.txtSave);
    ToolButton2->setToolTip(t.txtRead);
    ToolButton3->setToolTip(t.txtWrite);
    ToolButton11->setToolTip(t.txtClock);
    ToolButton7->setToolTip(t.txtPreview);
    ToolButton4->setToolTip(t.txtRs232);
    ToolButton10->setToolTip(t.txtExit);

    Panel5->ApplyLanguageTexts();
    previewLink_->ApplyLanguageTexts();
    if (portSettings_ != nullptr) {
        portSettings_->setWindowTitle(t.txtConfiguration);
    }
}

void TForm1::SetStatusGridFixedTexts()
{
    StatusGrid* grid = Panel5->statusGrid();
    static const char* const kFixed[3][4] = {
        {"  A", "  B", "  C", "  D"},
        {"InA", "InB", "InC", "InD"},
        {"InE", "InF", "InG", "InH"},
    };
    for (int row = 0; row < 3; ++row) {
        for (int column = 1; column <= 4; ++column) {
            grid->setCell(column, row, QLatin1String(kFixed[row][column - 1]));
        }
    }
}

int TForm1::ClientHeight() const
{
    return client_->height();
}

void TForm1::SetClientHeight(int height)
{
    client_->setFixedSize(kClientWidth, height);
    if (QLayout* frame = layout()) {
        frame->activate();
    }
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
    const QString path = TrafficLogSavePath();
    QByteArray bytes;
    for (QTextBlock block = Memo1->document()->begin(); block.isValid(); block = block.next()) {
        if (Memo1->document()->isEmpty()) {
            break;
        }
        bytes += ToCp1250(block.text());
        bytes += "\r\n";
    }
    // Written whole or not at all: a failed save keeps the earlier file as it was.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        QMessageBox::critical(
            this, QStringLiteral("ZORVA"),
            QStringLiteral("Cannot create file \"%1\". %2").arg(path, file.errorString()));
    }
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (watched == StatusBar1 || watched == statusPanel0_) {
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

// LinkView.

void TForm1::ShowConfig()
{
    Panel5->ShowConfig();
}

QString TForm1::StatusLeftCaption() const
{
    return Label16->text();
}

void TForm1::SetStatusLeftCaption(const QString& text)
{
    Label16->setText(text);
}

QString TForm1::StatusRightCaption() const
{
    return Label17->text();
}

void TForm1::SetStatusRightCaption(const QString& text)
{
    Label17->setText(text);
}

void TForm1::SetStatusStripConnected(bool connected)
{
    QPalette palette = Panel2->palette();
    palette.setColor(QPalette::Window, connected ? kStripConnected : kStripIdle);
    palette.setColor(QPalette::WindowText, connected ? kStripConnectedText : kStripIdleText);
    Panel2->setPalette(palette);
}

void TForm1::SetLabel18ButtonShadow()
{
    Panel5->ShowMacLabelGreyed();
}

void TForm1::RepaintStatusGrid()
{
    if (link_ != nullptr) {
        Panel5->statusGrid()->setStatusRecord(link_->statbuf());
    }
}

void TForm1::SetLinkButtonsEnabled(bool enabled)
{
    ToolButton2->setEnabled(enabled);
    ToolButton3->setEnabled(enabled);
    ToolButton11->setEnabled(enabled);
}

QString TForm1::StatusBarText() const
{
    return statusPanel0_->text();
}

void TForm1::SetStatusBarText(const QString& text)
{
    statusPanel0_->setText(text);
    // At least the design's 50 pixels, wider when the text needs it ("COM1 opened").
    const int needed = statusPanel0_->fontMetrics().horizontalAdvance(text) + 12;
    statusPanel0_->setGeometry(1, 1, std::max(kStatusPanelWidth, needed), kStatusBarHeight - 2);
}

void TForm1::Memo1Add(const QString& line)
{
    Memo1->appendPlainText(line);
}

void TForm1::Memo1Clear()
{
    Memo1->clear();
}

void TForm1::Memo2Add(const QString& line)
{
    Memo2->appendPlainText(line);
}

int TForm1::Memo2LineCount() const
{
    return Memo2->document()->isEmpty() ? 0 : Memo2->document()->blockCount();
}

void TForm1::Memo2DeleteFirstLine()
{
    QTextDocument* document = Memo2->document();
    if (document->isEmpty()) {
        return;
    }
    QTextCursor cursor(document->firstBlock());
    if (document->blockCount() > 1) {
        cursor.setPosition(document->firstBlock().next().position(), QTextCursor::KeepAnchor);
    } else {
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    }
    cursor.removeSelectedText();
}

void TForm1::ShowErrorMessage(const QString& text)
{
    ShowCentredMessage(text, QMessageBox::Critical, QMessageBox::Ok, QMessageBox::Ok, this);
}

void TForm1::ShowInformationMessage(const QString& text)
{
    ShowCentredMessage(text, QMessageBox::Information, QMessageBox::Ok, QMessageBox::Ok, this);
}

bool TForm1::AskConfirmation(const QString& text)
{
    return ShowCentredMessage(text, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No,
                              QMessageBox::Yes, this) == QMessageBox::Yes;
}

void TForm1::ShowUnsupportedFirmware(const QString& text)
{
    QString shown = text;
    shown.replace(u'\r', u'\n');
    // No owner: the box is centred on the screen.
    QMessageBox box(QMessageBox::Critical, QStringLiteral("ZORVA"), shown, QMessageBox::Ok);
    box.exec();
}

bool TForm1::PortSettingsShowing() const
{
    return portSettings_ != nullptr && portSettings_->isVisible();
}

void TForm1::ShowPortSettingsModal()
{
    if (portSettings_ == nullptr) {
        return;
    }
    if (auto* dialog = qobject_cast<QDialog*>(portSettings_)) {
        dialog->exec();
    }
}

bool TForm1::Polski1Checked() const
{
    return Polski1->isChecked();
}

// EditorLink.

void TForm1::ResetPollCounter()
{
    if (link_ != nullptr) {
        link_->ResetPollCounter();
    }
}

QString TForm1::FirmwareVersion() const
{
    return link_ != nullptr ? link_->FirmwareVersion() : QString();
}

bool TForm1::StatusKnown() const
{
    return link_ != nullptr && !link_->StatusEmpty();
}

} // namespace zorva
