#pragma once
// Reading a list's cells from its item model, for the lists that are sorted or exported: column
// captions from the horizontal header, cell texts from the display role.

#include <QString>
#include <QStringList>

class QAbstractItemModel;

namespace tvp {

// Whether the row has a cell at column. A row may have fewer cells than the list has columns (a
// list-view row with fewer sub-items): it has the cell when it holds data there or further right.
bool hasCell(const QAbstractItemModel& model, int row, int column);
// The cell's display text; empty for a missing cell.
QString cellText(const QAbstractItemModel& model, int row, int column);
QString columnCaption(const QAbstractItemModel& model, int column);

} // namespace tvp
