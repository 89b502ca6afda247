// The main window's frame: service mode, the event area, the logs, tool bar and menus.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>

#include "MainWindowFixture.h"
#include "ModalDriver.h"
#include "app/TForm3.h"
#include "shell/LogFile.h"
#include "support/WaitUntil.h"

using zorva::test::WaitUntil;

namespace zorva::test {
namespace {

TEST_F(MainWindowTest, ServiceModeShowsTheTrafficLogOnlyForTheExactFirstArgument)
{
    const struct {
        QStringList arguments;
        bool service;
    } cases[] = {
        {{"zorva-config", "/serw"}, true},
        {{"zorva-config", "/SERW"}, false},
        {{"zorva-config", "x", "/serw"}, false},
        {{"zorva-config"}, false},
    };
    for (const auto& c : cases) {
        auto form = Create(c.arguments);
        form->show();
        EXPECT_EQ(form->ServiceMode(), c.service);
        // Within the event area: seen only once it is opened.
        form->StatusBar1DblClick();
        EXPECT_EQ(form->Memo1->isVisible(), c.service) << c.arguments.join(u' ').toStdString();
        EXPECT_EQ(form->Button1->isVisible(), c.service);
        EXPECT_EQ(form->Button1->text(), QStringLiteral("Save log"));
        const QRect client = form->centralWidget()->rect();
        EXPECT_TRUE(client.contains(form->Button1->geometry()));
    }
}

TEST_F(MainWindowTest, StatusBarDoubleClickTogglesTheEventArea)
{
    auto form = Create();
    form->show();
    const int windowHeight = form->height();
    QWidget* bar = form->StatusBar1;
    QTest::mouseDClick(bar, Qt::LeftButton, {}, QPoint(bar->width() - 20, bar->height() / 2));
    WaitUntil([&] { return form->ClientHeight() == 517; }, 5000);
    ASSERT_EQ(form->ClientHeight(), 517);
    EXPECT_TRUE(form->Memo2->isVisible());
    EXPECT_EQ(form->height(), windowHeight + 150);
    // The event list fills the band between the configuration area and the status bar.
    EXPECT_EQ(form->Memo2->geometry(), QRect(0, 343, 869, 155));
    EXPECT_EQ(form->StatusBar1->geometry(), QRect(0, 498, 869, 19));

    QTest::mouseDClick(bar, Qt::LeftButton, {}, QPoint(bar->width() - 20, bar->height() / 2));
    WaitUntil([&] { return form->ClientHeight() == 367; }, 5000);
    ASSERT_EQ(form->ClientHeight(), 367);
    EXPECT_FALSE(form->Memo2->isVisible());
    EXPECT_EQ(form->height(), windowHeight);
    EXPECT_EQ(form->StatusBar1->geometry(), QRect(0, 348, 869, 19));
}

TEST_F(MainWindowTest, DoubleClickEmptiesEitherLog)
{
    auto form = Create({"zorva-config", "/serw"});
    form->show();
    form->StatusBar1DblClick();
    for (QPlainTextEdit* memo : {form->Memo1, form->Memo2}) {
        memo->appendPlainText(QStringLiteral("first"));
        memo->appendPlainText(QStringLiteral("second"));
        QTest::mouseDClick(memo->viewport(), Qt::LeftButton, {}, QPoint(10, 10));
        EXPECT_TRUE(memo->document()->isEmpty()) << memo->objectName().toStdString();
        memo->appendPlainText(QStringLiteral("later"));
        EXPECT_EQ(memo->toPlainText(), QStringLiteral("later"));
    }
}

TEST_F(MainWindowTest, EventListLinesGoFromTheTop)
{
    auto form = Create();
    EXPECT_EQ(form->Memo2LineCount(), 0);
    form->Memo2Add(QStringLiteral("one"));
    form->Memo2Add(QStringLiteral("two"));
    form->Memo2Add(QStringLiteral("three"));
    EXPECT_EQ(form->Memo2LineCount(), 3);
    form->Memo2DeleteFirstLine();
    EXPECT_EQ(form->Memo2->toPlainText(), QStringLiteral("two\nthree"));
    form->Memo2DeleteFirstLine();
    form->Memo2DeleteFirstLine();
    EXPECT_EQ(form->Memo2LineCount(), 0);
    form->Memo2DeleteFirstLine();
    EXPECT_EQ(form->Memo2LineCount(), 0);
}

TEST_F(MainWindowTest, SaveLogWritesTheTrafficLogAsEightBitLines)
{
    auto form = Create({"zorva-config", "/serw"});
    QFile::remove(TrafficLogSavePaths().constFirst());
    form->Memo1Add(QStringLiteral("Tx STAN: FF FF 02 03 03 "));
    form->Memo1Add(QStringLiteral("wywołanie Timer1Timer: x"));
    form->Button1->click();
    QFile saved(TrafficLogSavePaths().constFirst());
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), QByteArray("Tx STAN: FF FF 02 03 03 \r\nwywo\xB3"
                                          "anie Timer1Timer: x\r\n"));
    saved.close();
    // A second save replaces the first.
    form->Memo1Clear();
    form->Memo1Add(QStringLiteral("only"));
    form->Button1->click();
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), QByteArray("only\r\n"));
}

TEST_F(MainWindowTest, SaveLogFailureIsReportedAndKeepsTheLog)
{
    auto form = Create({"zorva-config", "/serw"});
    // A folder where the file should be: it cannot be created.
    QFile::remove(TrafficLogSavePaths().constFirst());
    ASSERT_TRUE(QDir().mkpath(TrafficLogSavePaths().constFirst()));
    form->Memo1Add(QStringLiteral("kept"));
    ModalBoxWatcher boxes;
    form->Button1->click();
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_TRUE(boxes.texts[0].startsWith(QStringLiteral("Cannot create file")))
        << boxes.texts[0].toStdString();
    EXPECT_EQ(form->Memo1->toPlainText(), QStringLiteral("kept"));
    QDir(TrafficLogSavePaths().constFirst()).removeRecursively();
}

// An installed program's folder cannot be written: with no folder stored, the configuration
// file dialogs start in the user's documents folder, else in the home folder.
TEST_F(MainWindowTest, FileDialogsStartInTheUsersDocumentsFolderUntilOneIsStored)
{
    const QString documents = QDir::homePath() + QStringLiteral("/Documents");
    const struct {
        bool documentsExist;
        QString start;
    } cases[] = {{false, QDir::homePath()}, {true, documents}};
    for (const auto& c : cases) {
        if (c.documentsExist) {
            ASSERT_TRUE(QDir().mkpath(documents));
        }
        auto app = Create();
        QString seen;
        testing::WhenModalShows<QFileDialog>([&seen](QFileDialog* dialog) {
            seen = dialog->directory().absolutePath();
            dialog->reject();
        });
        app->ToolButton6->click();
        EXPECT_EQ(seen.toStdString(), c.start.toStdString());
    }
    QDir(documents).removeRecursively();
}

TEST_F(MainWindowTest, ToolBarButtonsTipsAndShortcuts)
{
    auto form = Create();
    form->show();
    const struct {
        QToolButton* button;
        const char* tip;
    } buttons[] = {
        {form->ToolButton1, "Load"},   {form->ToolButton6, "Save"},
        {form->ToolButton2, "Read"},   {form->ToolButton3, "Write"},
        {form->ToolButton11, "Clock"}, {form->ToolButton7, "Preview"},
        {form->ToolButton4, "RS-232"}, {form->ToolButton10, "Exit"},
    };
    int lastX = -1;
    for (const auto& b : buttons) {
        EXPECT_EQ(b.button->size(), QSize(40, 31)) << b.tip;
        EXPECT_EQ(b.button->iconSize(), QSize(24, 24));
        EXPECT_FALSE(b.button->icon().pixmap(24, 24).isNull()) << b.tip;
        EXPECT_EQ(b.button->toolTip(), QLatin1String(b.tip));
        EXPECT_GT(b.button->x(), lastX) << "left to right in the design's order";
        lastX = b.button->x();
    }
    // Read, write and clock wait for a module's status.
    EXPECT_FALSE(form->ToolButton2->isEnabled());
    EXPECT_FALSE(form->ToolButton3->isEnabled());
    EXPECT_FALSE(form->ToolButton11->isEnabled());
    EXPECT_TRUE(form->ToolButton1->isEnabled());

    EXPECT_EQ(form->Nowy1->shortcut(), QKeySequence(QStringLiteral("Ctrl+N")));
    EXPECT_EQ(form->Otwrz1->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
    EXPECT_EQ(form->Zapisz1->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
    EXPECT_EQ(form->Wyjcie1->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
}

TEST_F(MainWindowTest, MenusHoldEveryItemInTheirOrder)
{
    auto form = Create();
    const struct {
        QMenu* menu;
        QStringList items;
    } menus[] = {
        {form->Plik1,
         {"Nowy1", "Otwrz1", "Zapisz1", "Historiakonfiguracji1", "Raportserwisowy1", "N1",
          "Wyjcie1"}},
        {form->Komunikacja1, {"Odczyt1", "Zapis1"}},
        {form->Narzdzia1, {"Zagar1", "Obraz1"}},
        {form->Konfiguracja1, {"RS2321", "N2", "Polski1", "English1"}},
        {form->Pomoc1, {"Oprogramie1"}},
    };
    QStringList bar;
    for (const auto& m : menus) {
        QStringList names;
        for (const QAction* action : m.menu->actions()) {
            names << action->objectName();
        }
        EXPECT_EQ(names, m.items) << m.menu->objectName().toStdString();
        bar << m.menu->objectName();
    }
    QStringList inBar;
    for (const QAction* action : form->menuBar()->actions()) {
        inBar << action->menu()->objectName();
    }
    EXPECT_EQ(inBar, bar);
    EXPECT_TRUE(form->N1->isSeparator());
    EXPECT_TRUE(form->N2->isSeparator());
    EXPECT_EQ(form->Polski1->text(), QStringLiteral("Polski"));
    EXPECT_EQ(form->English1->text(), QStringLiteral("English"));
}

TEST_F(MainWindowTest, ExitClosesAndStoresTheSettings)
{
    for (int viaToolButton = 0; viaToolButton < 2; ++viaToolButton) {
        ResetSettings();
        auto form = Create();
        form->show();
        QSignalSpy closed(form.get(), &TForm1::Closed);
        if (viaToolButton != 0) {
            form->ToolButton10->click();
        } else {
            form->Wyjcie1->trigger();
        }
        EXPECT_EQ(closed.count(), 1);
        EXPECT_FALSE(form->isVisible());
        EXPECT_EQ(Stored(QStringLiteral("pl")).toByteArray(), QByteArray(1, '\0'));
    }
}

TEST_F(MainWindowTest, AboutBoxOpensModallyAndAClickClosesIt)
{
    auto form = Create();
    form->show();
    TForm3 about;
    form->SetAboutBox(&about);
    bool sawIt = false;
    QTimer clicker;
    clicker.setInterval(5);
    QObject::connect(&clicker, &QTimer::timeout, [&] {
        if (QApplication::activeModalWidget() == &about) {
            sawIt = true;
            QTest::mouseClick(about.Image1, Qt::LeftButton);
        }
    });
    clicker.start();
    form->Oprogramie1->trigger();
    EXPECT_TRUE(sawIt);
    EXPECT_FALSE(about.isVisible());
    EXPECT_EQ(about.Label1->text(),
              QStringLiteral("Configuration software for video verification module"));
}

} // namespace
} // namespace zorva::test
