// The phone number field: a text field whose typed characters pass the phone key filter.
#pragma once

#include <QLineEdit>

namespace zorva {

class PhoneEdit : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace zorva
