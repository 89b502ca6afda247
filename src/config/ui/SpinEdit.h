// The spin field widget: a text field with up and down arrows that, unlike QSpinBox, lets the
// user type a value outside its range. The text is clamped only when a value is set (arrows,
// keys, program) or when the focus leaves, so the editor's change rule sees what was typed.
#pragma once

#include <QLineEdit>
#include <QWidget>

class QToolButton;

namespace zorva {

class SpinEdit : public QWidget {
    Q_OBJECT
public:
    explicit SpinEdit(QWidget* parent = nullptr);

    void setRange(int minimum, int maximum);
    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }
    // At most this many characters can be typed; 0 means no limit.
    void setMaxLength(int length);

    QString text() const { return edit_->text(); }
    void setText(const QString& text);
    void setReadOnly(bool readOnly);
    bool isReadOnly() const { return edit_->isReadOnly(); }
    QLineEdit* lineEdit() const { return edit_; }

    // Adds `steps` to the value read from the text and shows the result clamped.
    void stepBy(int steps);

    QSize sizeHint() const override;

signals:
    void textChanged(const QString& text);
    // The focus moved to another control of the window (not to another window or a popup).
    void left();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void UpdateArrows();

    QLineEdit* edit_;
    QToolButton* up_;
    QToolButton* down_;
    int minimum_ = 0;
    int maximum_ = 99;
};

} // namespace zorva
