// The automation hook of the test build zorva-config-test: it reads commands, one a line, from
// its standard input and appends one answer line per command to the file named by
// ZORVA_TEST_REPLIES. The shipped zorva-config has no such hook. It needs Qt Core and Widgets
// only, so that the same hook builds for Linux and for Windows.
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
//   port NAME               picks NAME in the open port settings dialog's list, as a click on
//                           the entry does; OK carries the port's device name afterwards
//   history [compare ROW]   the open history dialog's files, top first, separated by blanks; or
//                           the differences that Compare of row ROW (0: top) shows
//   grab FILE               saves a picture of the active window (a dialog when one is open)
//   quit                    closes the main window as its close box does
#pragma once

#include <memory>

#include <QFile>
#include <QObject>
#include <QString>

#include "app/Program.h"

namespace zorva::test {

class AutomationHook : public QObject {
public:
    // Reads ZORVA_TEST_REPLIES; the hook stays inactive when it is missing or the file cannot
    // be written (see Error).
    AutomationHook();
    ~AutomationHook() override;

    bool Active() const { return replies_.isOpen(); }
    QString Error() const { return error_; }
    // Starts taking commands; the windows stay valid until the event loop ends.
    void Attach(const ProgramWindows& windows);

private:
    struct Channel;

    void Execute(const QString& line);
    QString Run(const QString& command, const QString& arguments, bool* ok);
    void Answer(const QString& line);

    ProgramWindows windows_;
    QFile replies_;
    QString error_;
    std::shared_ptr<Channel> channel_;
};

} // namespace zorva::test
