#include "ModalBoxWatcher.h"

#include <QApplication>
#include <QPushButton>
#include <QSettings>

namespace zorva::test {

ModalBoxWatcher::ModalBoxWatcher(QMessageBox::StandardButton press) : press_(press)
{
    // Timers run inside the box's own event loop, so the box is answered from there.
    timer_.setInterval(5);
    connect(&timer_, &QTimer::timeout, this, &ModalBoxWatcher::Check);
    timer_.start();
}

void ModalBoxWatcher::Check()
{
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) {
        return;
    }
    texts << box->text();
    positions << box->pos();
    QAbstractButton* button = press_ == QMessageBox::NoButton
                                  ? static_cast<QAbstractButton*>(box->defaultButton())
                                  : box->button(press_);
    if (button == nullptr) {
        button = box->buttons().value(0);
    }
    button->click();
}

void ResetSettings()
{
    QSettings settings(QStringLiteral("Nurvo"), QStringLiteral("QEN"));
    settings.clear();
    settings.beginGroup(QStringLiteral("ports"));
    for (int n = 1; n <= 12; ++n) {
        settings.setValue(QStringLiteral("COM%1").arg(n),
                          QStringLiteral("/nonexistent/zorva-test-port-%1").arg(n));
    }
    settings.endGroup();
    settings.sync();
}

} // namespace zorva::test
