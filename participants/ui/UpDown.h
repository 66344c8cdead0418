#pragma once
// An up-down control whose value is shown as a text of the window's choosing ("unbegrenzt" for an
// unbounded maximum, "2" for the position 3 of a less-than rule). The text cannot be typed over;
// the arrows, the wheel and the arrow keys change the position.

#include <QLineEdit>
#include <QSpinBox>

#include <functional>

namespace tvp {

class TUpDown : public QSpinBox {
public:
    TUpDown(int minimum, int maximum, int start, std::function<QString(int)> text, QWidget* parent = nullptr)
        : QSpinBox(parent), text_(std::move(text))
    {
        setRange(minimum, maximum);
        setValue(start);
        lineEdit()->setReadOnly(true);
        refreshText();
    }

    // Called after each step the user makes, also one that stays at a bound.
    std::function<void()> onUserStep;

    // Shows the text of the current position anew (its text may depend on another control).
    void refreshText() { lineEdit()->setText(textFromValue(value())); }

    void stepBy(int steps) override
    {
        QSpinBox::stepBy(steps);
        refreshText();
        if (onUserStep)
            onUserStep();
    }

protected:
    QString textFromValue(int value) const override { return text_ ? text_(value) : QSpinBox::textFromValue(value); }
    // A click at a bound still counts as the user's step.
    StepEnabled stepEnabled() const override { return isReadOnly() ? StepNone : (StepUpEnabled | StepDownEnabled); }

private:
    std::function<QString(int)> text_;
};

} // namespace tvp
