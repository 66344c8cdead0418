#pragma once
// The matching of the list search: the typed words against the searched columns of a list's rows.

#include <QStringList>

#include <vector>

class QAbstractItemModel;

namespace tvp {

// The words of a search text, split at blanks; a part in double quotes may hold blanks. Upper
// case, as they are compared.
QStringList searchWords(const QString& text);

// True when every word occurs, ignoring case, in at least one of the columns of the row (0 is the
// first column). A column the row has no cell for ends the search for that word in that row.
bool rowMatches(const QAbstractItemModel& model, int row, const QStringList& words, const std::vector<int>& columns);

} // namespace tvp
