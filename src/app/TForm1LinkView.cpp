// What the link core and the configuration editor need from the main window: captions, the
// status strip, the logs, the message boxes and the port settings dialog.
#include <utility>

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
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "app/CentredMessage.h"
#include "app/PortRSLink.h"
#include "app/ShellRules.h"
#include "app/TForm1.h"
#include "app/TForm1Design.h"
#include "config/ui/ConfigPanel.h"
#include "config/ui/StatusGrid.h"
#include "link/LinkCore.h"
#include "shell/LanguageTexts.h"

namespace zorva {

using namespace form1;

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
    PlaceStatusPanels();
}

void TForm1::SetPortFailureText(const QString& text)
{
    portFailureText_ = text;
    ShowStatusBarPanel1();
}

void TForm1::ShowWriteCheckNote(const QString& text)
{
    writeCheckNote_ = text;
    ShowStatusBarPanel1();
}

void TForm1::NoteHistoryProblem(const QString& text)
{
    // Said from inside the reply parser, which must not open a box: shown once it has returned.
    if (!std::exchange(historyProblemShown_, true)) {
        QTimer::singleShot(0, this, [this, text] { ShowErrorMessage(text); });
    }
}

void TForm1::NoteModuleReport(const ModuleReport& report)
{
    latestModuleReport_ = report;
    ++moduleReports_;
}

void TForm1::ShowStatusBarPanel1()
{
    // Why the port is closed matters more than the note on a write.
    const QString& text = portFailureText_.isEmpty() ? writeCheckNote_ : portFailureText_;
    statusPanel1_->setText(text);
    statusPanel1_->setToolTip(text);
}

QString TForm1::StatusBarPanel1Text() const
{
    return statusPanel1_->text();
}

void TForm1::PlaceStatusPanels()
{
    // Panel 0 is at least the design's 50 pixels, wider when its text needs it ("COM1 opened");
    // panel 1 takes the rest of the bar.
    const int needed = statusPanel0_->fontMetrics().horizontalAdvance(statusPanel0_->text()) + 12;
    const int width0 = std::max(kStatusPanelWidth, needed);
    statusPanel0_->setGeometry(1, 1, width0, kStatusBarHeight - 2);
    const int left1 = 1 + width0 + 2;
    statusPanel1_->setGeometry(left1, 1, std::max(kClientWidth - left1 - 1, 0),
                               kStatusBarHeight - 2);
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

void TForm1::ShowErrorMessageWithDetails(const QString& text, const QString& details)
{
    ShowCentredMessage(text, QMessageBox::Critical, QMessageBox::Ok, QMessageBox::Ok, this,
                       details);
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
