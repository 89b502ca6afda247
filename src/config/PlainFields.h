// Fields without a window: each keeps what it shows and runs the editor's rule exactly when
// that changes, like the window's widgets. The command-line program edits a record through
// the editor's own rules with them.
#pragma once

#include "config/EditorFields.h"

namespace zorva {

template <typename Base> class PlainLook : public Base {
public:
    void SetEnabled(bool enabled) override { enabled_ = enabled; }
    bool IsEnabled() const override { return enabled_; }

private:
    bool enabled_ = true;
};

class PlainCheck : public PlainLook<CheckField> {
public:
    bool Checked() const override { return checked_; }
    void SetChecked(bool checked) override
    {
        if (checked != checked_) {
            checked_ = checked;
            NotifyChange();
        }
    }

private:
    bool checked_ = false;
};

class PlainChoice : public PlainLook<ChoiceField> {
public:
    int Checked() const override { return checked_; }
    void Check(int index) override
    {
        if (index != checked_) {
            checked_ = index;
            NotifyChange();
        }
    }

private:
    int checked_ = -1;
};

template <typename Base> class PlainInput : public PlainLook<Base> {
public:
    QString Text() const override { return text_; }
    void SetText(const QString& text) override
    {
        if (text != text_) {
            text_ = text;
            this->NotifyChange();
        }
    }

protected:
    QString text_;
};

using PlainText = PlainInput<TextInputField>;

class PlainSpin : public PlainInput<SpinField> {
public:
    PlainSpin(int minimum, int maximum) : minimum_(minimum), maximum_(maximum)
    {
        text_ = QString::number(minimum);
    }
    int Minimum() const override { return minimum_; }
    int Maximum() const override { return maximum_; }

private:
    int minimum_;
    int maximum_;
};

class PlainLabel : public LabelField {
public:
    QString Text() const override { return text_; }
    void SetText(const QString& text) override { text_ = text; }
    void SetTextColour(ColourRole /*role*/) override {}

private:
    QString text_;
};

} // namespace zorva
