#include "config/ui/MaskedEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>

#include "shell/Text8Bit.h"

namespace zorva {

namespace {

// A letter the record's 8-bit code page can hold.
bool IsStorableLetterOrDigit(QChar c)
{
    if (!c.isLetterOrNumber()) {
        return false;
    }
    if (c.unicode() < 128) {
        return true;
    }
    return FromCp1250(ToCp1250(QString(c))) == QString(c);
}

} // namespace

MaskedEdit::MaskedEdit(const QString& mask, QChar editBlank, QWidget* parent)
    : QLineEdit(parent), mask_(mask), editBlank_(editBlank)
{
    value_.resize(mask_.size(), u' ');
    for (int i = 0; i < mask_.size(); ++i) {
        if (!IsEditable(i)) {
            value_[i] = mask_[i];
        }
    }
    setMaxLength(static_cast<int>(mask_.size()));
    setContextMenuPolicy(Qt::NoContextMenu);
    setDragEnabled(false);
    setAcceptDrops(false);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    Render(0);
}

void MaskedEdit::setValueText(const QString& text)
{
    QString value = value_;
    for (int i = 0; i < mask_.size(); ++i) {
        value[i] = !IsEditable(i) ? mask_[i] : (i < text.size() ? text[i] : QChar(u' '));
    }
    Store(value, cursorPosition());
}

QSize MaskedEdit::sizeHint() const
{
    const QSize base = QLineEdit::sizeHint();
    const int textWidth = fontMetrics().horizontalAdvance(QString(mask_.size(), u'0'));
    return {textWidth + 12, base.height()};
}

bool MaskedEdit::IsEditable(int pos) const
{
    return mask_[pos] == u'9' || mask_[pos] == u'a';
}

bool MaskedEdit::Accepts(int pos, QChar c) const
{
    if (c == u' ') {
        return true;
    }
    if (mask_[pos] == u'9') {
        return c >= u'0' && c <= u'9';
    }
    return IsStorableLetterOrDigit(c);
}

int MaskedEdit::NextEditable(int pos) const
{
    for (int i = pos; i < mask_.size(); ++i) {
        if (IsEditable(i)) {
            return i;
        }
    }
    return -1;
}

int MaskedEdit::PreviousEditable(int pos) const
{
    for (int i = pos - 1; i >= 0; --i) {
        if (IsEditable(i)) {
            return i;
        }
    }
    return -1;
}

void MaskedEdit::TypeCharacter(QChar c)
{
    int pos = hasSelectedText() ? selectionStart() : cursorPosition();
    if (hasSelectedText()) {
        BlankSelection();
    }
    // Typing a literal (the dot) jumps past the next one: the next slot starts.
    if (mask_.indexOf(c) >= 0 && !IsEditable(static_cast<int>(mask_.indexOf(c)))) {
        const auto literal = mask_.indexOf(c, pos);
        if (literal >= 0) {
            Render(static_cast<int>(literal) + 1);
        }
        return;
    }
    pos = NextEditable(pos);
    if (pos < 0 || !Accepts(pos, c)) {
        return;
    }
    QString value = value_;
    value[pos] = c;
    int next = pos + 1;
    while (next < mask_.size() && !IsEditable(next)) {
        ++next;
    }
    Store(value, next);
}

void MaskedEdit::BlankSelection()
{
    const int start = selectionStart();
    const int end = start + static_cast<int>(selectedText().size());
    QString value = value_;
    for (int i = start; i < end && i < mask_.size(); ++i) {
        if (IsEditable(i)) {
            value[i] = u' ';
        }
    }
    Store(value, start);
}

void MaskedEdit::Store(const QString& value, int cursor)
{
    const bool changed = value != value_;
    value_ = value;
    Render(cursor);
    if (changed) {
        emit valueTextChanged(value_);
    }
}

void MaskedEdit::Render(int cursor)
{
    QString shown = value_;
    if (hasFocus()) {
        for (int i = 0; i < shown.size(); ++i) {
            if (IsEditable(i) && shown[i] == u' ') {
                shown[i] = editBlank_;
            }
        }
    }
    if (shown != text()) {
        setText(shown);
    }
    setCursorPosition(cursor);
}

void MaskedEdit::keyPressEvent(QKeyEvent* event)
{
    const bool editing = !isReadOnly();
    if (event->matches(QKeySequence::Paste)) {
        if (editing) {
            for (const QChar c : QApplication::clipboard()->text()) {
                TypeCharacter(c);
            }
        }
        return;
    }
    if (event->matches(QKeySequence::Cut)) {
        if (editing && hasSelectedText()) {
            copy();
            BlankSelection();
        }
        return;
    }
    if (event->matches(QKeySequence::Copy) || event->matches(QKeySequence::SelectAll)) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
        QLineEdit::keyPressEvent(event);
        return;
    case Qt::Key_Backspace:
        if (editing) {
            if (hasSelectedText()) {
                BlankSelection();
            } else if (const int pos = PreviousEditable(cursorPosition()); pos >= 0) {
                QString value = value_;
                value[pos] = u' ';
                Store(value, pos);
            }
        }
        return;
    case Qt::Key_Delete:
        if (editing) {
            if (hasSelectedText()) {
                BlankSelection();
            } else if (const int pos = NextEditable(cursorPosition()); pos >= 0) {
                QString value = value_;
                value[pos] = u' ';
                Store(value, cursorPosition());
            }
        }
        return;
    default:
        break;
    }
    const QString typed = event->text();
    if (typed.size() == 1 && typed[0].isPrint() && !(event->modifiers() & Qt::ControlModifier)) {
        if (editing) {
            TypeCharacter(typed[0]);
        }
        return;
    }
    // Tab, Enter, Escape and shortcuts go on to the window; nothing else changes the text.
    event->ignore();
}

void MaskedEdit::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    Render(cursorPosition());
}

void MaskedEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    Render(cursorPosition());
}

} // namespace zorva
