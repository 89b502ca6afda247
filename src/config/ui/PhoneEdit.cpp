#include "config/ui/PhoneEdit.h"

#include <QKeyEvent>

#include "config/ConfigEditor.h"

namespace zorva {

void PhoneEdit::keyPressEvent(QKeyEvent* event)
{
    const QString typed = event->text();
    if (!typed.isEmpty() && !ConfigEditor::Edit_telKeyPress(typed.at(0).unicode())) {
        event->accept(); // dropped
        return;
    }
    QLineEdit::keyPressEvent(event);
}

} // namespace zorva
