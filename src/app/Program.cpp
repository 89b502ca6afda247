#include "app/Program.h"

#include <memory>

#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QTimer>

#include "app/PortRSLink.h"
#include "app/TForm1.h"
#include "app/TForm3.h"
#include "app/TerminationSignals.h"
#include "link/LinkCore.h"
#include "link/StatusProbe.h"
#include "preview/TFormPict.h"
#include "serial/ui/TFormKonf.h"

namespace zorva {

int RunProgram(QApplication& application, const WindowsReady& ready)
{
    QApplication::setApplicationName(QStringLiteral("ZORVA"));
    // Closing the main window ends the program even while the preview window is open.
    QApplication::setQuitOnLastWindowClosed(false);

    // A terminal's Ctrl+C or a logout's SIGTERM closes the main window like its close box, so
    // the settings are stored. Quitting ends every event loop, a modal box's included; before
    // the main window exists the program just ends.
    TerminationSignals terminationSignals;
    TForm1* mainWindow = nullptr;
    bool stopRequested = false;
    QObject::connect(&terminationSignals, &TerminationSignals::terminationRequested, &application,
                     [&](int) {
                         stopRequested = true;
                         if (mainWindow != nullptr) {
                             mainWindow->close();
                         }
                         QApplication::quit();
                     });

    TForm3 splash;
    splash.CentreOn(nullptr);
    splash.show();
    splash.repaint();
    // One second with the splash painted; user input waits until the windows exist.
    {
        QEventLoop wait;
        QTimer::singleShot(1000, &wait, &QEventLoop::quit);
        wait.exec(QEventLoop::ExcludeUserInputEvents);
    }
    if (stopRequested) {
        return 0;
    }

    TForm1 form1(QApplication::arguments());
    mainWindow = &form1;
    form1.SetAboutBox(&splash);
    QObject::connect(&form1, &TForm1::Closed, &application, &QApplication::quit);
    // The port settings dialog, then the preview window.
    std::unique_ptr<TFormKonf> konf;
    if (form1.Link() != nullptr) {
        konf = std::make_unique<TFormKonf>(form1.Port().Component(), DtrFlagOf(*form1.Link()),
                                           RtsFlagOf(*form1.Link()), &form1, PlatformDevices,
                                           StatusProbe());
        form1.SetPortSettingsDialog(konf.get());
        if (!konf->CreationError().isEmpty() && !stopRequested) {
            QMessageBox::critical(nullptr, QStringLiteral("ZORVA"), konf->CreationError());
        }
    }
    TFormPict preview;
    form1.SetPreviewWindow(&preview);
    if (!preview.CreationError().isEmpty() && !stopRequested) {
        QMessageBox::critical(nullptr, QStringLiteral("ZORVA"), preview.CreationError());
    }

    splash.close();
    if (stopRequested) {
        form1.close();
        return 0;
    }
    form1.show();
    if (ready) {
        ready(ProgramWindows{&form1, konf.get(), &preview, &splash});
    }
    return QApplication::exec();
}

} // namespace zorva
