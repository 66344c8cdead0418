#include "core/ui/EntryGrid.h"

#include <QKeyEvent>

namespace tvp {

namespace {

// A key that types a character; space and the control keys move or select instead.
bool typesText(const QKeyEvent& event)
{
    if (event.text().isEmpty() || (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        return false;
    const QChar c = event.text().front();
    return c.isPrint() && !c.isSpace();
}

} // namespace

TEntryGrid::TEntryGrid(QWidget* parent) : QTableView(parent)
{
}

void TEntryGrid::keyboardSearch(const QString&)
{
}

void TEntryGrid::keyPressEvent(QKeyEvent* event)
{
    const QModelIndex current = currentIndex();
    if (typesText(*event) && state() != EditingState && (editTriggers() & AnyKeyPressed) && current.isValid() &&
        !(current.flags() & Qt::ItemIsEditable)) {
        QModelIndex entry;
        for (int column = 0; column < model()->columnCount(current.parent()) && !entry.isValid(); ++column)
            if (const QModelIndex cell = current.siblingAtColumn(column);
                !isColumnHidden(column) && (cell.flags() & Qt::ItemIsEditable))
                entry = cell;
        if (!entry.isValid()) {
            event->accept();
            return;
        }
        setCurrentIndex(entry);
    }
    QTableView::keyPressEvent(event);
}

bool TEntryGrid::focusNextPrevChild(bool next)
{
    if (!isVisible())
        return QWidget::focusNextPrevChild(next);
    return QTableView::focusNextPrevChild(next);
}

} // namespace tvp
