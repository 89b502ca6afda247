#include "AutomationHook.h"

#include <cstdio>
#include <mutex>
#include <thread>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "app/HistoryDialog.h"
#include "app/PortRSLink.h"
#include "app/TForm1.h"
#include "preview/TFormPict.h"
#include "serial/ui/TFormKonf.h"

namespace zorva::test {

namespace {

template <typename T> T* FindByName(const QString& name)
{
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->objectName() == name) {
            if (auto* found = qobject_cast<T*>(top)) {
                return found;
            }
        }
        if (auto* found = top->findChild<T*>(name)) {
            return found;
        }
    }
    return nullptr;
}

// What a key press of the character would carry: its key code where it has one, and the text.
void TypeCharacter(QWidget* field, QChar c)
{
    const QKeySequence sequence(c == u' ' ? QStringLiteral("Space") : QString(c));
    const int key = sequence.isEmpty() ? Qt::Key_unknown : sequence[0].key();
    const Qt::KeyboardModifiers modifiers =
        c.isUpper() ? Qt::ShiftModifier : Qt::KeyboardModifiers();
    QKeyEvent press(QEvent::KeyPress, key, modifiers, QString(c));
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, QString(c));
    QCoreApplication::sendEvent(field, &press);
    QCoreApplication::sendEvent(field, &release);
}

QString OneLine(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    text.replace(u'\n', QStringLiteral("\\n"));
    return text;
}

} // namespace

// Commands are read on a thread of their own, blocked on standard input (both systems have
// it; a pipe cannot be watched by the event loop on Windows), and handed to the hook's thread.
// The hook goes before the thread does: it clears the target under the lock.
struct AutomationHook::Channel {
    std::mutex mutex;
    AutomationHook* target = nullptr;
};

AutomationHook::AutomationHook()
{
    const QString replies = qEnvironmentVariable("ZORVA_TEST_REPLIES");
    if (replies.isEmpty()) {
        error_ = QStringLiteral("ZORVA_TEST_REPLIES is not set");
        return;
    }
    replies_.setFileName(replies);
    if (!replies_.open(QIODevice::WriteOnly | QIODevice::Append)) {
        error_ = QStringLiteral("cannot write %1").arg(replies);
    }
}

AutomationHook::~AutomationHook()
{
    if (channel_) {
        std::lock_guard lock(channel_->mutex);
        channel_->target = nullptr;
    }
}

void AutomationHook::Attach(const ProgramWindows& windows)
{
    windows_ = windows;
    if (!Active() || channel_) {
        return;
    }
    channel_ = std::make_shared<Channel>();
    channel_->target = this;
    std::thread([channel = channel_] {
        char buffer[4096];
        while (std::fgets(buffer, sizeof buffer, stdin) != nullptr) {
            const QString line = QString::fromUtf8(buffer).trimmed();
            std::lock_guard lock(channel->mutex);
            if (channel->target == nullptr) {
                return;
            }
            // Each command runs from the event loop: a command that opens a modal dialog
            // returns only when it closes, and the next command must still arrive.
            if (!line.isEmpty()) {
                AutomationHook* hook = channel->target;
                QMetaObject::invokeMethod(
                    hook, [hook, line] { hook->Execute(line); }, Qt::QueuedConnection);
            }
        }
    }).detach();
    Answer(QStringLiteral("READY"));
}

void AutomationHook::Execute(const QString& line)
{
    const QString id = line.section(u' ', 0, 0);
    const QString command = line.section(u' ', 1, 1);
    const QString arguments = line.section(u' ', 2);
    bool ok = false;
    const QString text = Run(command, arguments, &ok);
    Answer(id + (ok ? QStringLiteral(" OK") : QStringLiteral(" ERR")) +
           (text.isEmpty() ? QString() : u' ' + text));
}

QString AutomationHook::Run(const QString& command, const QString& arguments, bool* ok)
{
    *ok = false;
    const auto click = [ok](const QString& name) -> QString {
        auto* button = FindByName<QAbstractButton>(name);
        if (button == nullptr) {
            return QStringLiteral("no button ") + name;
        }
        if (!button->isVisible() || !button->isEnabled()) {
            return name + QStringLiteral(" is hidden or disabled");
        }
        button->click();
        *ok = true;
        return QString();
    };
    if (command == QLatin1String("ping")) {
        *ok = true;
        return QString();
    }
    if (command == QLatin1String("click")) {
        return click(arguments);
    }
    if (command == QLatin1String("trigger") || command == QLatin1String("language")) {
        QString name = arguments;
        if (command == QLatin1String("language")) {
            name = arguments == QLatin1String("pl") ? QStringLiteral("Polski1")
                                                    : QStringLiteral("English1");
        }
        auto* action = windows_.form1->findChild<QAction*>(name);
        if (action == nullptr || !action->isEnabled()) {
            return QStringLiteral("no enabled menu item ") + name;
        }
        action->trigger();
        *ok = true;
        return QString();
    }
    if (command == QLatin1String("play") || command == QLatin1String("stop")) {
        if (windows_.preview == nullptr) {
            return QStringLiteral("no preview window");
        }
        if (!windows_.preview->isVisible()) {
            const QString opened = click(QStringLiteral("ToolButton7"));
            if (!*ok) {
                return opened;
            }
        }
        return click(command == QLatin1String("play") ? QStringLiteral("SB_play")
                                                      : QStringLiteral("SB_stop"));
    }
    if (command == QLatin1String("camera")) {
        return click(QStringLiteral("RadioGroup1_") + arguments.toUpper());
    }
    if (command == QLatin1String("type")) {
        const QString name = arguments.section(u' ', 0, 0);
        auto* field = FindByName<QLineEdit>(name);
        if (field == nullptr || !field->isEnabled()) {
            return QStringLiteral("no enabled text field ") + name;
        }
        field->setFocus();
        field->selectAll();
        for (const QChar c : arguments.section(u' ', 1)) {
            TypeCharacter(field, c);
        }
        *ok = true;
        return field->text();
    }
    if (command == QLatin1String("box")) {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible()) {
            return QStringLiteral("no message box");
        }
        QAbstractButton* button = box->defaultButton();
        if (arguments == QLatin1String("Yes")) {
            button = box->button(QMessageBox::Yes);
        } else if (arguments == QLatin1String("No")) {
            button = box->button(QMessageBox::No);
        } else if (arguments == QLatin1String("Ok")) {
            button = box->button(QMessageBox::Ok);
        }
        if (button == nullptr && arguments.isEmpty()) {
            button = box->buttons().value(0); // a box without a default: its only button
        }
        if (button == nullptr) {
            return QStringLiteral("the box has no button ") + arguments;
        }
        const QString text = OneLine(box->text());
        button->click();
        *ok = true;
        return text;
    }
    if (command == QLatin1String("dialog")) {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || qobject_cast<QMessageBox*>(dialog) != nullptr) {
            return QStringLiteral("no modal dialog");
        }
        dialog->reject();
        *ok = true;
        return QString();
    }
    if (command == QLatin1String("port")) {
        auto* dialog = qobject_cast<TFormKonf*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            return QStringLiteral("no port settings dialog");
        }
        const int index = dialog->CCB1->findData(arguments);
        if (index < 0) {
            return QStringLiteral("no port ") + arguments + QStringLiteral(" in the list");
        }
        dialog->CCB1->setCurrentIndex(index);
        emit dialog->CCB1->activated(index);
        *ok = true;
        return windows_.form1->Port().DeviceName();
    }
    if (command == QLatin1String("history")) {
        auto* dialog = qobject_cast<HistoryDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            return QStringLiteral("no history dialog");
        }
        *ok = true;
        if (arguments.startsWith(QLatin1String("compare "))) {
            dialog->SelectRow(arguments.section(u' ', 1).toInt());
            dialog->B_compare->click();
            return OneLine(dialog->DifferencesText());
        }
        return dialog->ShownFiles().join(u' ');
    }
    if (command == QLatin1String("grab")) {
        QWidget* shown = QApplication::activeModalWidget();
        *ok = (shown != nullptr ? shown : windows_.form1)->grab().save(arguments);
        return QString();
    }
    if (command == QLatin1String("quit")) {
        // After the answer: closing ends the event loop.
        QMetaObject::invokeMethod(
            windows_.form1, [form = windows_.form1] { form->close(); }, Qt::QueuedConnection);
        *ok = true;
        return QString();
    }
    return QStringLiteral("unknown command ") + command;
}

void AutomationHook::Answer(const QString& line)
{
    replies_.write(line.toUtf8() + '\n');
    replies_.flush();
}

} // namespace zorva::test
