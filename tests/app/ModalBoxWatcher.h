// Test helpers: answering modal message boxes, and a main window on fresh settings.
#pragma once

#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QPoint>
#include <QStringList>
#include <QTimer>

namespace zorva::test {

// While it exists, answers every modal message box that opens: records its text and position
// and presses `press` (the box's default button when NoButton).
class ModalBoxWatcher : public QObject {
public:
    explicit ModalBoxWatcher(QMessageBox::StandardButton press = QMessageBox::NoButton);

    QStringList texts;
    QList<QPoint> positions;

private:
    void Check();

    QMessageBox::StandardButton press_;
    QTimer timer_;
};

// Empties the program's settings and points every COM name the tests use at a device that
// does not exist, so that the sequencer's open attempts never reach a real serial port.
void ResetSettings();

} // namespace zorva::test
