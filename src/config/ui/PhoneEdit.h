// The phone number field: characters typed by any input method pass the phone key filter, and
// text cannot be dropped into it. Pasting is left as it is.
#pragma once

#include <QLineEdit>

namespace zorva {

class PhoneEdit : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

} // namespace zorva
