#include "scoring/CustomColumnListModel.h"

#include "core/lists/WindowDrag.h"

namespace tvp {

void TCustomColumnListModel::setColumns(const std::vector<proto::CustomColumnType>& columns)
{
    beginResetModel();
    columns_ = columns;
    endResetModel();
}

QModelIndex TCustomColumnListModel::appendNew(const QString& name)
{
    const int row = int(columns_.size());
    beginInsertRows({}, row, row);
    proto::CustomColumnType& col = columns_.emplace_back();
    col.Name = name;
    endInsertRows();
    return index(row);
}

void TCustomColumnListModel::rename(int row, const QString& name)
{
    if (row < 0 || row >= int(columns_.size()))
        return;
    columns_[std::size_t(row)].Name = name;
    emit dataChanged(index(row), index(row), {Qt::DisplayRole, Qt::EditRole});
}

const proto::CustomColumnType* TCustomColumnListModel::column(int row) const
{
    return row >= 0 && row < int(columns_.size()) ? &columns_[std::size_t(row)] : nullptr;
}

int TCustomColumnListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(columns_.size());
}

QVariant TCustomColumnListModel::data(const QModelIndex& index, int role) const
{
    const proto::CustomColumnType* col = index.isValid() ? column(index.row()) : nullptr;
    if (!col)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: return col->Name;
    case kIdRole: return col->ID;
    case kOrderRole: return col->OrderIndex;
    default: return {};
    }
}

bool TCustomColumnListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || !column(index.row()))
        return false;
    emit edited(index.row(), value.toString());
    return false;
}

Qt::ItemFlags TCustomColumnListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemIsDragEnabled |
           Qt::ItemIsDropEnabled | Qt::ItemNeverHasChildren;
}

QVariant TCustomColumnListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return QStringLiteral("Spaltenname");
    return {};
}

QStringList TCustomColumnListModel::mimeTypes() const
{
    return {kWindowDragMime};
}

QMimeData* TCustomColumnListModel::mimeData(const QModelIndexList& indexes) const
{
    return indexes.isEmpty() ? nullptr : windowDragData(dragSource_);
}

} // namespace tvp
