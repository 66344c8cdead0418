#include "setup/WizardListModels.h"

namespace tvp {

TNameListModel::TNameListModel(bool checkable, QObject* parent) : QAbstractListModel(parent), checkable_(checkable)
{
}

void TNameListModel::setNames(const QStringList& names, bool ticked)
{
    beginResetModel();
    rows_.clear();
    for (const QString& name : names)
        rows_.push_back({name, ticked});
    endResetModel();
}

void TNameListModel::append(const QString& name, bool ticked)
{
    const int row = int(rows_.size());
    beginInsertRows({}, row, row);
    rows_.push_back({name, ticked});
    endInsertRows();
}

QStringList TNameListModel::names() const
{
    QStringList out;
    for (const Row& row : rows_)
        out << row.name;
    return out;
}

bool TNameListModel::isTicked(int row) const
{
    return checkable_ && row >= 0 && row < int(rows_.size()) && rows_[std::size_t(row)].ticked;
}

int TNameListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(rows_.size());
}

QVariant TNameListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Row& row = rows_[std::size_t(index.row())];
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return row.name;
    if (role == Qt::CheckStateRole && checkable_)
        return row.ticked ? Qt::Checked : Qt::Unchecked;
    return {};
}

bool TNameListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!checkable_ || role != Qt::CheckStateRole ||
        !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return false;
    const bool ticked = value.value<Qt::CheckState>() == Qt::Checked;
    Row& row = rows_[std::size_t(index.row())];
    if (row.ticked == ticked)
        return true;
    row.ticked = ticked;
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

Qt::ItemFlags TNameListModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractListModel::flags(index);
    if (checkable_ && index.isValid())
        f |= Qt::ItemIsUserCheckable;
    return f;
}

} // namespace tvp
