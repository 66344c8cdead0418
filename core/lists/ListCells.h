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

// The header role of a column's name in the files a list is written to, where that differs from
// its caption: users' documents name the columns of those files, so the name stays when a caption
// is corrected.
inline constexpr int kFileColumnNameRole = Qt::UserRole + 1;
// The column's name in a written file: that role's text, else the caption.
QString fileColumnName(const QAbstractItemModel& model, int column);

// The header role that marks a column of values the user reads (results, a squad's stations): like
// a column the user types into, it keeps its caption whole and the width it was given before names
// get more than they need to be told apart.
inline constexpr int kValueColumnRole = Qt::UserRole + 64;

} // namespace tvp
