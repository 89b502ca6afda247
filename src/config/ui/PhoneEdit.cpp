#include "config/ui/PhoneEdit.h"

#include <QDragMoveEvent>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>

#include "config/ConfigEditor.h"

namespace zorva {

namespace {

QString Filtered(const QString& typed)
{
    QString kept;
    for (const QChar c : typed) {
        if (ConfigEditor::Edit_telKeyPress(c.unicode())) {
            kept += c;
        }
    }
    return kept;
}

} // namespace

void PhoneEdit::keyPressEvent(QKeyEvent* event)
{
    const QString typed = event->text();
    if (!typed.isEmpty() && !ConfigEditor::Edit_telKeyPress(typed.at(0).unicode())) {
        event->accept(); // dropped
        return;
    }
    QLineEdit::keyPressEvent(event);
}

// A compose key or an input method delivers typed characters here instead of as key presses.
void PhoneEdit::inputMethodEvent(QInputMethodEvent* event)
{
    const QString kept = Filtered(event->commitString());
    if (kept == event->commitString()) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent filtered(event->preeditString(), event->attributes());
    filtered.setCommitString(kept, event->replacementStart(), event->replacementLength());
    QLineEdit::inputMethodEvent(&filtered);
    event->accept();
}

void PhoneEdit::dragEnterEvent(QDragEnterEvent* event)
{
    event->ignore();
}

void PhoneEdit::dragMoveEvent(QDragMoveEvent* event)
{
    event->ignore();
}

void PhoneEdit::dropEvent(QDropEvent* event)
{
    event->ignore();
}

} // namespace zorva
