#include "core/lists/ListCells.h"

#include <QAbstractItemModel>

namespace tvp {

bool hasCell(const QAbstractItemModel& model, int row, int column)
{
    const int columns = model.columnCount();
    for (int c = column; c < columns; ++c)
        if (model.data(model.index(row, c), Qt::DisplayRole).isValid())
            return true;
    return false;
}

QString cellText(const QAbstractItemModel& model, int row, int column)
{
    return model.data(model.index(row, column), Qt::DisplayRole).toString();
}

QString columnCaption(const QAbstractItemModel& model, int column)
{
    return model.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
}

QString fileColumnName(const QAbstractItemModel& model, int column)
{
    const QVariant name = model.headerData(column, Qt::Horizontal, kFileColumnNameRole);
    return name.isValid() ? name.toString() : columnCaption(model, column);
}

} // namespace tvp
