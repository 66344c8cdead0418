#include "core/ui/DateEdit.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace tvp {

namespace {
const QChar kSeparator = u'.';
}

TDateEdit::TDateEdit(const QDate& date, QWidget* parent) : QDateEdit(date, parent)
{
    setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    setCalendarPopup(true);
}

void TDateEdit::keyPressEvent(QKeyEvent* event)
{
    const QString typed = event->text();
    if (typed == kSeparator && advancedByDigit_) {
        // The user's dot ends the section that Qt has left already.
        advancedByDigit_ = false;
        event->accept();
        return;
    }
    QLineEdit* line = lineEdit();
    if (!typed.isEmpty() && typed.front().isPrint() && line->selectedText().contains(kSeparator)) {
        // Typing over several sections starts in the first of them.
        const int first = int(line->text().left(line->selectionStart()).count(kSeparator));
        setCurrentSectionIndex(first);
        setSelectedSection(sectionAt(first));
    }
    const int before = currentSectionIndex();
    QDateEdit::keyPressEvent(event);
    advancedByDigit_ = typed.size() == 1 && typed.front().isDigit() && currentSectionIndex() != before;
}

} // namespace tvp
