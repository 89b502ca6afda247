#include "config/ui/FieldAdapters.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include "config/ui/ColourPalette.h"
#include "config/ui/MaskedEdit.h"
#include "config/ui/SpinEdit.h"

namespace zorva {

namespace {

// Sets the colour for every colour group, so that a disabled field shows the colours the
// editor chose rather than the style's own greying.
void SetPaletteColour(QWidget* widget, QPalette::ColorRole paletteRole, ColourRole role)
{
    // Named roles come from the application's palette, not from the widget's own, which an
    // earlier call may have changed: re-enabling must give back the real window colours.
    QPalette pal = widget->palette();
    pal.setColor(paletteRole, ColourOf(role, QApplication::palette(widget)));
    widget->setPalette(pal);
}

} // namespace

CheckBoxAdapter::CheckBoxAdapter(QCheckBox* box) : box_(box)
{
    QObject::connect(box_, &QCheckBox::toggled, box_, [this] { NotifyChange(); });
}

void CheckBoxAdapter::SetEnabled(bool enabled)
{
    box_->setEnabled(enabled);
}

bool CheckBoxAdapter::IsEnabled() const
{
    return box_->isEnabled();
}

bool CheckBoxAdapter::Checked() const
{
    return box_->isChecked();
}

void CheckBoxAdapter::SetChecked(bool checked)
{
    box_->setChecked(checked);
}

RadioGroupAdapter::RadioGroupAdapter(std::array<QRadioButton*, 3> buttons) : buttons_(buttons)
{
    for (QRadioButton* button : buttons_) {
        QObject::connect(button, &QRadioButton::toggled, button, [this](bool checked) {
            if (checked) {
                NotifyChange();
            }
        });
    }
}

void RadioGroupAdapter::SetEnabled(bool enabled)
{
    for (QRadioButton* button : buttons_) {
        button->setEnabled(enabled);
    }
}

bool RadioGroupAdapter::IsEnabled() const
{
    return buttons_[0]->isEnabled();
}

int RadioGroupAdapter::Checked() const
{
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        if (buttons_[i]->isChecked()) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void RadioGroupAdapter::Check(int index)
{
    buttons_.at(static_cast<std::size_t>(index))->setChecked(true);
}

void LineEditLook::SetReadOnly(bool readOnly)
{
    edit_->setReadOnly(readOnly);
}

void LineEditLook::SetBackground(ColourRole role)
{
    SetPaletteColour(edit_, QPalette::Base, role);
}

void LineEditLook::SetTextColour(ColourRole role)
{
    SetPaletteColour(edit_, QPalette::Text, role);
}

TextEditAdapter::TextEditAdapter(QLineEdit* edit) : edit_(edit), look_(edit), shown_(edit->text())
{
    QObject::connect(edit_, &QLineEdit::textChanged, edit_, [this](const QString& text) {
        if (text != shown_) {
            shown_ = text;
            NotifyChange();
        }
    });
}

void TextEditAdapter::SetEnabled(bool enabled)
{
    edit_->setEnabled(enabled);
}

bool TextEditAdapter::IsEnabled() const
{
    return edit_->isEnabled();
}

QString TextEditAdapter::Text() const
{
    return edit_->text();
}

void TextEditAdapter::SetText(const QString& text)
{
    if (text != edit_->text()) {
        edit_->setText(text);
    }
}

MaskedEditAdapter::MaskedEditAdapter(MaskedEdit* edit) : edit_(edit), look_(edit)
{
    QObject::connect(edit_, &MaskedEdit::valueTextChanged, edit_, [this] { NotifyChange(); });
}

void MaskedEditAdapter::SetEnabled(bool enabled)
{
    edit_->setEnabled(enabled);
}

bool MaskedEditAdapter::IsEnabled() const
{
    return edit_->isEnabled();
}

QString MaskedEditAdapter::Text() const
{
    return edit_->valueText();
}

void MaskedEditAdapter::SetText(const QString& text)
{
    edit_->setValueText(text);
}

SpinEditAdapter::SpinEditAdapter(SpinEdit* spin)
    : spin_(spin), look_(spin->lineEdit()), shown_(spin->text())
{
    QObject::connect(spin_, &SpinEdit::textChanged, spin_, [this](const QString& text) {
        if (text != shown_) {
            shown_ = text;
            NotifyChange();
        }
    });
    QObject::connect(spin_, &SpinEdit::left, spin_, [this] { Leave(); });
}

void SpinEditAdapter::SetEnabled(bool enabled)
{
    spin_->setEnabled(enabled);
}

bool SpinEditAdapter::IsEnabled() const
{
    return spin_->isEnabled();
}

void SpinEditAdapter::SetReadOnly(bool readOnly)
{
    spin_->setReadOnly(readOnly);
}

QString SpinEditAdapter::Text() const
{
    return spin_->text();
}

void SpinEditAdapter::SetText(const QString& text)
{
    spin_->setText(text);
}

int SpinEditAdapter::Minimum() const
{
    return spin_->minimum();
}

int SpinEditAdapter::Maximum() const
{
    return spin_->maximum();
}

QString LabelAdapter::Text() const
{
    return label_->text();
}

void LabelAdapter::SetText(const QString& text)
{
    label_->setText(text);
}

void LabelAdapter::SetTextColour(ColourRole role)
{
    QPalette pal = label_->palette();
    pal.setColor(QPalette::WindowText, ColourOf(role, pal));
    label_->setPalette(pal);
}

} // namespace zorva
