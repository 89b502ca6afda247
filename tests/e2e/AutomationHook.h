// The automation hook of the test build zorva-config-test: it reads commands, one a line, from
// the FIFO named by ZORVA_TEST_COMMANDS and appends one answer line per command to the file
// named by ZORVA_TEST_REPLIES. The shipped zorva-config has no such hook.
//
// A command line is "<id> <command> [arguments]"; its answer is "<id> OK [text]" or
// "<id> ERR <reason>". Once the windows exist the hook writes "READY". Commands:
//   ping                    answers OK
//   click NAME              clicks the visible, enabled button whose object name is NAME
//   trigger NAME            triggers the menu item (action) NAME
//   play | stop             opens the preview window and presses its play or stop button
//   camera A|B|C|D          chooses the preview's camera
//   type NAME TEXT          selects all of the text field NAME and types TEXT over it
//   language pl|en          the menu items Polski and English
//   box [Ok|Yes|No]         answers the open message box (its default button when none is
//                           named); OK carries the box's text, line breaks as "\n"
//   dialog                  closes the open modal dialog as its Cancel button does
//   quit                    closes the main window as its close box does
#pragma once

#include <QFile>
#include <QObject>
#include <QString>

#include "app/Program.h"

class QSocketNotifier;

namespace zorva::test {

class AutomationHook : public QObject {
public:
    // Reads the two environment variables; the hook stays inactive when either is missing or
    // the FIFO cannot be opened (see Error).
    AutomationHook();
    ~AutomationHook() override;

    bool Active() const { return notifier_ != nullptr; }
    QString Error() const { return error_; }
    // Starts taking commands; the windows stay valid until the event loop ends.
    void Attach(const ProgramWindows& windows);

private:
    void OnReadable();
    void Execute(const QString& line);
    QString Run(const QString& command, const QString& arguments, bool* ok);
    void Answer(const QString& line);

    ProgramWindows windows_;
    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    QByteArray pending_;
    QFile replies_;
    QString error_;
};

} // namespace zorva::test
