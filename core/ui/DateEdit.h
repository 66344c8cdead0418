#pragma once
// A date input that reads a date typed over a selection as it was typed. Qt's own keeps the day
// when the whole text is selected and "08.05.2027" is typed, and skips a section when a dot
// follows a section that was already complete.

#include <QDateEdit>

namespace tvp {

class TDateEdit : public QDateEdit {
    Q_OBJECT
public:
    // Day, month and year as "dd.MM.yyyy", with a calendar to pick from.
    explicit TDateEdit(const QDate& date, QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool advancedByDigit_ = false; // the last digit completed a section, and the cursor moved on
};

} // namespace tvp
