#include "AutomationHook.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTest>

#include "app/TForm1.h"
#include "preview/TFormPict.h"

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

QString OneLine(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    text.replace(u'\n', QStringLiteral("\\n"));
    return text;
}

} // namespace

AutomationHook::AutomationHook()
{
    const QByteArray commands = qgetenv("ZORVA_TEST_COMMANDS");
    const QString replies = qEnvironmentVariable("ZORVA_TEST_REPLIES");
    if (commands.isEmpty() || replies.isEmpty()) {
        error_ = QStringLiteral("ZORVA_TEST_COMMANDS or ZORVA_TEST_REPLIES is not set");
        return;
    }
    // Opened for reading and writing, so that the FIFO never reports an end of file while no
    // driver holds it open, and the notifier fires only when a command arrives.
    fd_ = ::open(commands.constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
        error_ = QStringLiteral("cannot open %1").arg(QString::fromLocal8Bit(commands));
        return;
    }
    replies_.setFileName(replies);
    if (!replies_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
        error_ = QStringLiteral("cannot write %1").arg(replies);
        ::close(fd_);
        fd_ = -1;
        return;
    }
    notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
    notifier_->setEnabled(false);
    connect(notifier_, &QSocketNotifier::activated, this, &AutomationHook::OnReadable);
}

AutomationHook::~AutomationHook()
{
    delete notifier_;
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

void AutomationHook::Attach(const ProgramWindows& windows)
{
    windows_ = windows;
    if (notifier_ == nullptr) {
        return;
    }
    notifier_->setEnabled(true);
    Answer(QStringLiteral("READY"));
}

void AutomationHook::OnReadable()
{
    char chunk[1024];
    for (;;) {
        const ssize_t n = ::read(fd_, chunk, sizeof chunk);
        if (n > 0) {
            pending_.append(chunk, n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        break;
    }
    // Each command runs from the event loop, not from inside the notifier: a command that
    // opens a modal dialog must not hold the notifier, or the next command could not arrive.
    qsizetype end = 0;
    while ((end = pending_.indexOf('\n')) >= 0) {
        const QString line = QString::fromUtf8(pending_.left(end)).trimmed();
        pending_.remove(0, end + 1);
        if (!line.isEmpty()) {
            QMetaObject::invokeMethod(
                this, [this, line] { Execute(line); }, Qt::QueuedConnection);
        }
    }
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
        QTest::mouseClick(button, Qt::LeftButton);
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
        QTest::keyClicks(field, arguments.section(u' ', 1));
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
