#include "config/ui/SpinEdit.h"

#include <algorithm>

#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLocale>
#include <QToolButton>
#include <QVBoxLayout>
#include <QValidator>

#include "config/EditorFields.h"

namespace zorva {

namespace {

// Accepts any text made of digits, signs and the decimal separator: the value is read (and
// falls back to the minimum) by the editor, not refused while typing.
class SpinCharacters : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& /*pos*/) const override
    {
        const QChar decimal = locale().decimalPoint().at(0);
        for (const QChar c : input) {
            if (!c.isDigit() && c != u'+' && c != u'-' && c != decimal) {
                return Invalid;
            }
        }
        return Acceptable;
    }
};

QToolButton* MakeArrow(Qt::ArrowType type, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setArrowType(type);
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoRepeat(true);
    button->setFixedWidth(15);
    button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Ignored);
    return button;
}

} // namespace

SpinEdit::SpinEdit(QWidget* parent)
    : QWidget(parent), edit_(new QLineEdit(this)), up_(MakeArrow(Qt::UpArrow, this)),
      down_(MakeArrow(Qt::DownArrow, this))
{
    edit_->setObjectName(QStringLiteral("edit"));
    edit_->setValidator(new SpinCharacters(edit_));
    edit_->installEventFilter(this);
    edit_->setText(QString::number(minimum_));
    setFocusProxy(edit_);
    setFocusPolicy(Qt::StrongFocus);

    auto* arrows = new QVBoxLayout;
    arrows->setContentsMargins(0, 0, 0, 0);
    arrows->setSpacing(0);
    arrows->addWidget(up_);
    arrows->addWidget(down_);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(edit_);
    row->addLayout(arrows);

    connect(edit_, &QLineEdit::textChanged, this, &SpinEdit::textChanged);
    connect(up_, &QToolButton::clicked, this, [this] { stepBy(1); });
    connect(down_, &QToolButton::clicked, this, [this] { stepBy(-1); });
}

void SpinEdit::setRange(int minimum, int maximum)
{
    minimum_ = minimum;
    maximum_ = std::max(minimum, maximum);
}

void SpinEdit::setMaxLength(int length)
{
    edit_->setMaxLength(length > 0 ? length : 32767);
}

void SpinEdit::setText(const QString& text)
{
    if (text != edit_->text()) {
        edit_->setText(text);
    }
}

void SpinEdit::setReadOnly(bool readOnly)
{
    edit_->setReadOnly(readOnly);
    UpdateArrows();
}

void SpinEdit::stepBy(int steps)
{
    if (isReadOnly() || !isEnabled()) {
        return;
    }
    const long long v = static_cast<long long>(SpinTextValue(text(), minimum_)) + steps;
    setText(QString::number(std::clamp<long long>(v, minimum_, maximum_)));
}

QSize SpinEdit::sizeHint() const
{
    // Room for at least three digits, so that small fields line up with each other.
    const int digits = std::max(3, static_cast<int>(QString::number(maximum_).size()));
    const int textWidth = edit_->fontMetrics().horizontalAdvance(QString(digits + 1, u'0'));
    return {textWidth + 12 + up_->width(), edit_->sizeHint().height()};
}

bool SpinEdit::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == edit_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const int steps = key->key() == Qt::Key_Up         ? 1
                          : key->key() == Qt::Key_Down     ? -1
                          : key->key() == Qt::Key_PageUp   ? 10
                          : key->key() == Qt::Key_PageDown ? -10
                                                           : 0;
        if (steps != 0) {
            stepBy(steps);
            return true;
        }
    }
    if (watched == edit_ && event->type() == QEvent::FocusOut) {
        // Another window or a popup (the range error report, a menu) taking the focus does not
        // leave the field: the focus comes back to it when that closes.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            emit left();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void SpinEdit::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange) {
        UpdateArrows();
    }
    QWidget::changeEvent(event);
}

void SpinEdit::UpdateArrows()
{
    const bool canStep = isEnabled() && !edit_->isReadOnly();
    up_->setEnabled(canStep);
    down_->setEnabled(canStep);
}

} // namespace zorva
