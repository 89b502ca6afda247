// Drives a modal dialog from inside its own event loop: waits (on timer events, with a
// deadline) until a dialog of the wanted type is the active modal window, then acts on it.
#pragma once

#include <gtest/gtest.h>

#include <functional>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QTimer>
#include <QWidget>

namespace zorva::testing {

template <typename Dialog>
void WhenModalShows(std::function<void(Dialog*)> act, int deadlineMs = 20000)
{
    auto* poll = new QTimer;
    poll->setInterval(5);
    const QDeadlineTimer deadline(deadlineMs);
    QObject::connect(poll, &QTimer::timeout, [poll, act, deadline] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (dialog != nullptr && dialog->isVisible()) {
            poll->stop();
            poll->deleteLater();
            act(dialog);
            return;
        }
        if (deadline.hasExpired()) {
            poll->stop();
            poll->deleteLater();
            ADD_FAILURE() << "no modal dialog of the expected type appeared";
            if (auto* other = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                other->reject();
            }
        }
    });
    poll->start();
}

} // namespace zorva::testing
