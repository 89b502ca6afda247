// zorva-config: the configuration program of the ZORVA video-verification module.
// Start-up: the splash for one second, then the main window, the port settings dialog and the
// preview window in this order; the splash is hidden and the event loop runs until the main
// window closes (RunProgram).
#include <QApplication>

#include "app/Program.h"

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    return zorva::RunProgram(application);
}
