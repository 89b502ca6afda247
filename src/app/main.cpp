// zorva-config: the configuration program of the ZORVA video-verification module.
// Start-up: the splash for one second, then the main window, the port settings dialog and the
// preview window in this order; the splash is hidden and the event loop runs until the main
// window closes (RunProgram).
#include <QApplication>

#include "app/Program.h"

int main(int argc, char** argv)
{
#ifdef _WIN32
    // Text fields are drawn with DirectWrite, the engine Qt itself takes by default from 6.8 on:
    // under wine the older GDI engine leaves the text of every edit field blank. A platform the
    // user names, in the environment or with -platform, still wins.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "windows:fontengine=directwrite");
    }
#endif
    QApplication application(argc, argv);
    return zorva::RunProgram(application);
}
