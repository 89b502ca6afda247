// The field operations the configuration editor works with. Widgets implement them through
// thin adapters; tests implement them with plain fakes, so every rule runs without a window.
#pragma once

#include <functional>

#include <QString>

#include "config/ColourRole.h"

namespace zorva {

class Field {
public:
    virtual ~Field() = default;

    virtual void SetEnabled(bool enabled) = 0;
    virtual bool IsEnabled() const = 0;
    // Spin, masked and text fields take typed input: they can be made read-only and coloured.
    // Boxes only change their enabled state.
    virtual bool TakesInput() const { return false; }
    virtual void SetReadOnly(bool /*readOnly*/) {}
    virtual void SetBackground(ColourRole /*role*/) {}
    virtual void SetTextColour(ColourRole /*role*/) {}

    // Rule run when what the field shows changes (for a box: when its state changes), whether
    // the user or the program changed it.
    void OnChange(std::function<void()> rule) { changeRule_ = std::move(rule); }
    // Rule run when the focus leaves the field.
    void OnExit(std::function<void()> rule) { exitRule_ = std::move(rule); }

protected:
    void NotifyChange() const
    {
        if (changeRule_) {
            changeRule_();
        }
    }
    void NotifyExit() const
    {
        if (exitRule_) {
            exitRule_();
        }
    }

private:
    std::function<void()> changeRule_;
    std::function<void()> exitRule_;
};

class CheckField : public Field {
public:
    virtual bool Checked() const = 0;
    // Runs the change rule when the state changes.
    virtual void SetChecked(bool checked) = 0;
};

// Radio buttons of one group, by index; checking one unchecks the others.
class ChoiceField : public Field {
public:
    virtual int Checked() const = 0; // -1 when none is checked
    // Runs the change rule when a button becomes checked.
    virtual void Check(int index) = 0;
};

// Text, masked and spin fields. A masked field reads its blanks as spaces.
class TextInputField : public Field {
public:
    bool TakesInput() const override { return true; }
    virtual QString Text() const = 0;
    // Runs the change rule when the shown text changes.
    virtual void SetText(const QString& text) = 0;
};

// An integer shown as text. While the user types, the text may be anything the field accepts,
// out of range or no number at all; the value is clamped only when set or when focus leaves.
class SpinField : public TextInputField {
public:
    virtual int Minimum() const = 0;
    virtual int Maximum() const = 0;

    // The text as an integer; the minimum when the text is no integer.
    int Value() const;
    // Shows the value clamped into [Minimum, Maximum].
    void SetValue(int value);
    // The focus has left: the field's exit rule first, then a value out of range is clamped
    // and a text that is no number is replaced by the number it reads as.
    void Leave();
};

// A caption the editor writes: the MAC label.
class LabelField {
public:
    virtual ~LabelField() = default;
    virtual QString Text() const = 0;
    virtual void SetText(const QString& text) = 0;
    virtual void SetTextColour(ColourRole role) = 0;
};

// Reads a spin field's text: optional blanks, an optional sign and decimal digits. Anything
// else, and a number beyond the int range, reads as `minimum`.
int SpinTextValue(const QString& text, int minimum);
bool SpinTextIsNumber(const QString& text);

} // namespace zorva
