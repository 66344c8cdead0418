#include "participants/ui/ListDrag.h"

#include <QDrag>
#include <QDropEvent>

namespace tvp {

std::unique_ptr<QMimeData> listDragData(const QWidget& list)
{
    auto data = std::make_unique<QMimeData>();
    const QString source = list.window()->objectName() + u'/' + list.objectName();
    data->setData(kListDragMimeType, source.toUtf8());
    return data;
}

std::optional<TListDragSource> listDragSource(const QMimeData* data)
{
    if (!data || !data->hasFormat(kListDragMimeType))
        return std::nullopt;
    const QString source = QString::fromUtf8(data->data(kListDragMimeType));
    const qsizetype slash = source.indexOf(u'/');
    if (slash < 0)
        return std::nullopt;
    return TListDragSource{source.left(slash), source.mid(slash + 1)};
}

TDragListView::TDragListView(QWidget* parent) : QTreeView(parent)
{
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
}

void TDragListView::startDrag(Qt::DropActions)
{
    if (!selectionModel() || !selectionModel()->hasSelection())
        return;
    auto* drag = new QDrag(this);
    drag->setMimeData(listDragData(*this).release());
    drag->exec(Qt::MoveAction | Qt::CopyAction, Qt::MoveAction);
}

int rowAt(const QAbstractItemView& view, const QDropEvent& event)
{
    const QModelIndex index = view.indexAt(event.position().toPoint());
    return index.isValid() ? index.row() : -1;
}

} // namespace tvp
