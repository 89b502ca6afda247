// Thin adapters that give the configuration area's widgets the editor's field operations and
// turn the widgets' signals into the editor's change and exit notifications.
#pragma once

#include <array>

#include <QObject>

#include "config/EditorFields.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QWidget;

namespace zorva {

class MaskedEdit;
class SpinEdit;

class CheckBoxAdapter : public CheckField {
public:
    explicit CheckBoxAdapter(QCheckBox* box);
    void SetEnabled(bool enabled) override;
    bool IsEnabled() const override;
    bool Checked() const override;
    void SetChecked(bool checked) override;

private:
    QCheckBox* box_;
};

class RadioGroupAdapter : public ChoiceField {
public:
    explicit RadioGroupAdapter(std::array<QRadioButton*, 3> buttons);
    void SetEnabled(bool enabled) override;
    bool IsEnabled() const override;
    int Checked() const override;
    void Check(int index) override;

private:
    std::array<QRadioButton*, 3> buttons_;
};

// Shared by the input adapters: enabled state, read-only and colours of one line edit.
class LineEditLook {
public:
    explicit LineEditLook(QLineEdit* edit) : edit_(edit) {}
    void SetReadOnly(bool readOnly);
    void SetBackground(ColourRole role);
    void SetTextColour(ColourRole role);

private:
    QLineEdit* edit_;
};

class TextEditAdapter : public TextInputField {
public:
    explicit TextEditAdapter(QLineEdit* edit);
    void SetEnabled(bool enabled) override;
    bool IsEnabled() const override;
    void SetReadOnly(bool readOnly) override { look_.SetReadOnly(readOnly); }
    void SetBackground(ColourRole role) override { look_.SetBackground(role); }
    void SetTextColour(ColourRole role) override { look_.SetTextColour(role); }
    QString Text() const override;
    void SetText(const QString& text) override;

private:
    QLineEdit* edit_;
    LineEditLook look_;
    QString shown_; // what the change rule last saw
};

class MaskedEditAdapter : public TextInputField {
public:
    explicit MaskedEditAdapter(MaskedEdit* edit);
    void SetEnabled(bool enabled) override;
    bool IsEnabled() const override;
    void SetReadOnly(bool readOnly) override { look_.SetReadOnly(readOnly); }
    void SetBackground(ColourRole role) override { look_.SetBackground(role); }
    void SetTextColour(ColourRole role) override { look_.SetTextColour(role); }
    QString Text() const override;
    void SetText(const QString& text) override;

private:
    MaskedEdit* edit_;
    LineEditLook look_;
};

class SpinEditAdapter : public SpinField {
public:
    explicit SpinEditAdapter(SpinEdit* spin);
    void SetEnabled(bool enabled) override;
    bool IsEnabled() const override;
    void SetReadOnly(bool readOnly) override;
    void SetBackground(ColourRole role) override { look_.SetBackground(role); }
    void SetTextColour(ColourRole role) override { look_.SetTextColour(role); }
    QString Text() const override;
    void SetText(const QString& text) override;
    int Minimum() const override;
    int Maximum() const override;

private:
    SpinEdit* spin_;
    LineEditLook look_;
    QString shown_;
};

class LabelAdapter : public LabelField {
public:
    explicit LabelAdapter(QLabel* label) : label_(label) {}
    QString Text() const override;
    void SetText(const QString& text) override;
    void SetTextColour(ColourRole role) override;

private:
    QLabel* label_;
};

} // namespace zorva
