#pragma once
// A list view that other work windows drag from and drop onto. What a drag carries is the model's
// (a record list names its window, see TRecordListModel::setDragSource); the window decides what a
// drop over one of its rows means.

#include "core/ui/WindowTools.h"

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

    // Whether the drag's source and content are taken; a drop must also be over a row.
    std::function<bool(const QDropEvent& event)> acceptsDrop;
    std::function<void(const QDropEvent& event, const QModelIndex& row)> dropped;

protected:
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
