#pragma once
// A list view that other work windows drag from and drop onto. A drag carries only the name of
// its source window (the target asks that window for its selection); the window decides what a
// drop over one of its rows means.

#include "participants/ui/ParticipantWindowTools.h"

#include <QDrag>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QTreeView>

#include <functional>

namespace tvp {

class TDragListView : public QTreeView {
public:
    explicit TDragListView(QWidget* parent = nullptr) : QTreeView(parent)
    {
        setRootIsDecorated(false);
        setUniformRowHeights(true);
        setSelectionBehavior(QAbstractItemView::SelectRows);
        setEditTriggers(QAbstractItemView::NoEditTriggers);
    }

    // The drag source: the component name of the window that offers its selection.
    QString sourceWindow;
    // Whether the drag's source and content are taken; a drop must also be over a row.
    std::function<bool(const QDropEvent& event)> acceptsDrop;
    std::function<void(const QDropEvent& event, const QModelIndex& row)> dropped;

protected:
    void startDrag(Qt::DropActions) override
    {
        if (sourceWindow.isEmpty() || selectionModel()->selectedRows().isEmpty())
            return;
        auto* drag = new QDrag(this);
        drag->setMimeData(windowDragData(sourceWindow));
        drag->exec(Qt::CopyAction);
    }
    void dragEnterEvent(QDragEnterEvent* event) override
    {
        // Taken here even outside the rows, or the moves over them would not arrive.
        if (acceptsDrop && acceptsDrop(*event))
            event->acceptProposedAction();
        else
            event->ignore();
    }
    void dragMoveEvent(QDragMoveEvent* event) override
    {
        const QModelIndex row = indexAt(event->position().toPoint());
        if (row.isValid() && acceptsDrop && acceptsDrop(*event))
            event->acceptProposedAction();
        else
            event->ignore();
    }
    void dropEvent(QDropEvent* event) override
    {
        const QModelIndex row = indexAt(event->position().toPoint());
        if (!row.isValid() || !acceptsDrop || !acceptsDrop(*event)) {
            event->ignore();
            return;
        }
        event->acceptProposedAction();
        if (dropped)
            dropped(*event, row);
    }
};

} // namespace tvp
