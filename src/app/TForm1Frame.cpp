// The main window's frame: menus, tool bar, the client area's layout and the captions of the
// language in force.
#include <algorithm>

#include <QAction>
#include <QActionGroup>
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
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

#include "app/AppPictures.h"
#include "app/PreviewLink.h"
#include "app/ShellRules.h"
#include "app/TForm1.h"
#include "app/TForm1Design.h"
#include "config/ui/ConfigPanel.h"
#include "config/ui/StatusGrid.h"
#include "link/LinkCore.h"
#include "shell/LanguageTexts.h"
#include "shell/UserFolders.h"

namespace zorva {

using namespace form1;

namespace {

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
    Historiakonfiguracji1 = item(Plik1, "Historiakonfiguracji1");
    Raportserwisowy1 = item(Plik1, "Raportserwisowy1");
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
    // Panel 1: why the port is closed, else the note on the latest write (both set by the link).
    statusPanel1_ = new QLabel(StatusBar1);
    statusPanel1_->setObjectName(QStringLiteral("StatusPanel1"));
    statusPanel1_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    statusPanel1_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    statusPanel1_->setIndent(3);
    SetStatusBarText(QStringLiteral("____"));
    client->statusBar = StatusBar1;
    client->eventList = Memo2;
    // The traffic log reaches into the status bar's row by its design size; the bar stays
    // on top so its text is always readable.
    StatusBar1->raise();

    for (QWidget* watched : std::initializer_list<QWidget*>{
             StatusBar1, statusPanel0_, statusPanel1_, Memo1->viewport(), Memo2->viewport()}) {
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
    // An installed program's own folder cannot be written: the dialogs start in the user's.
    files_ = std::make_unique<ConfigFileCommands>(config_, std::move(hooks), UserDocumentsFolder());
    connect(Nowy1, &QAction::triggered, this, [this] { files_->Nowy1Click(); });
    connect(Otwrz1, &QAction::triggered, this, [this] { files_->Otwrz1Click(); });
    connect(ToolButton1, &QToolButton::clicked, this, [this] { files_->ToolButton1Click(); });
    connect(Zapisz1, &QAction::triggered, this, [this] { files_->Zapisz1Click(); });
    connect(ToolButton6, &QToolButton::clicked, this, [this] { files_->ToolButton6Click(); });
    connect(Historiakonfiguracji1, &QAction::triggered, this, &TForm1::Historiakonfiguracji1Click);
    connect(Raportserwisowy1, &QAction::triggered, this, &TForm1::Raportserwisowy1Click);
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

void TForm1::ApplyLanguageTexts()
{
    const LanguageTexts& t = Texts();
    Plik1->setTitle(t.txtFile);
    Nowy1->setText(t.txtNew);
    Otwrz1->setText(t.txtOpen);
    Zapisz1->setText(t.txtSave);
    Historiakonfiguracji1->setText(t.txtHistory);
    Raportserwisowy1->setText(t.txtReport);
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
    if (link_ != nullptr) {
        link_->ShowPortFailure();
        link_->RefreshWriteCheckNote();
    }
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

} // namespace zorva
