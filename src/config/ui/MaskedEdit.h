// A fixed-length masked text field. The mask has one character per position: '9' takes a
// digit, 'a' a letter or a digit, and any other character is a literal shown in place (the
// dots of an IP address). Every editable position may also be blank; blanks read as spaces
// and show as the edit blank while the field has the focus. Typing overwrites.
#pragma once

#include <QLineEdit>

namespace zorva {

class MaskedEdit : public QLineEdit {
    Q_OBJECT
public:
    MaskedEdit(const QString& mask, QChar editBlank, QWidget* parent = nullptr);

    // The field's text, blanks as spaces, always as long as the mask.
    QString valueText() const { return value_; }
    // Puts the text in place position by position (cut or filled with blanks to the mask's
    // length; literal positions keep their literal).
    void setValueText(const QString& text);

    QSize sizeHint() const override;

signals:
    void valueTextChanged(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    bool IsEditable(int pos) const;
    bool Accepts(int pos, QChar c) const;
    int NextEditable(int pos) const;     // first editable position >= pos, or -1
    int PreviousEditable(int pos) const; // last editable position < pos, or -1
    void TypeCharacter(QChar c);
    void BlankSelection();
    void Store(const QString& value, int cursor);
    void Render(int cursor);

    QString mask_;
    QChar editBlank_;
    QString value_;
};

} // namespace zorva
