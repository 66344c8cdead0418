#include "core/ui/EntryGrid.h"

#include <QKeyEvent>
#include <QLineEdit>

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

TEntryGrid::TEditorState TEntryGrid::editorState(const QLineEdit& editor)
{
    return {editor.cursorPosition(), editor.selectionStart(), int(editor.selectedText().size()), editor.isModified()};
}

void TEntryGrid::reopenEditor(const TEditorState& as)
{
    const QModelIndex index = currentIndex();
    if (!index.isValid() || !(index.flags() & Qt::ItemIsEditable))
        return;
    if (state() != EditingState)
        edit(index);
    auto* line = qobject_cast<QLineEdit*>(indexWidget(index));
    if (!line)
        return;
    const int length = int(line->text().size());
    if (as.selectionStart >= 0 && as.selectionStart + as.selectionLength <= length)
        line->setSelection(as.selectionStart, as.selectionLength);
    else
        line->setCursorPosition(std::min(as.cursor, length));
    line->setModified(as.modified);
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
