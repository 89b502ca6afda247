// The program's run from the splash to the end of the event loop: what zorva-config's main does.
// A test build of the program runs the same start-up and may attach to the windows once they
// exist.
#pragma once

#include <functional>

class QApplication;

namespace zorva {

class TForm1;
class TForm3;
class TFormKonf;
class TFormPict;

// The windows of one run, valid until RunProgram returns.
struct ProgramWindows {
    TForm1* form1 = nullptr;
    TFormKonf* portSettings = nullptr; // null when the main window has no link
    TFormPict* preview = nullptr;
    TForm3* splash = nullptr; // also the about box
};

using WindowsReady = std::function<void(const ProgramWindows&)>;

// Shows the splash for one second, creates the main window, the port settings dialog and the
// preview window, shows the main window and runs the event loop until it closes. `ready`, when
// set, is called once the main window is shown. Returns the program's exit code.
int RunProgram(QApplication& application, const WindowsReady& ready = {});

} // namespace zorva
