#include "link/IdleHook.h"

#include <QAbstractEventDispatcher>
#include <QTimer>

#include "link/LinkCore.h"

namespace zorva {

IdleHook::IdleHook(LinkCore& core, QObject* parent) : QObject(parent), core_(core)
{
    if (auto* dispatcher = QAbstractEventDispatcher::instance()) {
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this,
                &IdleHook::OnAboutToBlock, Qt::DirectConnection);
    }
}

void IdleHook::OnAboutToBlock()
{
    ++idleCount_;
    inCallback_ = true;
    core_.SyncPreviewButtons();
    core_.RefreshWriteCheckNote();
    // While the messages are on screen their dialogs' own loops go idle too; the messages
    // posted meanwhile wait until the dialogs are closed. Likewise while a dialog of the parser
    // is open: they wait until the parser has returned.
    if (!scheduled_ && !showing_ && !core_.InParser() && core_.HasPendingMessage()) {
        scheduled_ = true;
        QTimer::singleShot(0, this, &IdleHook::ShowMessages);
    }
    inCallback_ = false;
}

void IdleHook::ShowMessages()
{
    scheduled_ = false;
    showing_ = true;
    core_.ShowPendingMessages();
    showing_ = false;
}

} // namespace zorva
