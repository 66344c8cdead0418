#pragma once
// Any list printed directly as a plain result list with its own simple layout (result and
// analysis windows): title with the time, optional subtitle, the column headers, the rows with
// every other one shaded, and the footer on every page. The list comes as an item model with
// the widths its view gives the columns.

#include <QString>

#include <vector>

class QAbstractItemModel;
class QPrinter;

namespace tvp {

struct TListPrintColumns {
    // The view's column widths in its own units (0 for a hidden column), in model column order.
    std::vector<int> widths;
    // The view's width in the same units. The printed columns fill the page in the proportions of
    // their widths whatever the view's width; without any width they share the page evenly.
    int listWidth = 0;
    // The columns of values (results), in model column order: they take their widest value first
    // and are never broken; where the names then lack room the list's type gets smaller, down to
    // 6 pt, and values that stand together may go on in further lines of their row.
    std::vector<bool> values;
};

// Prints the list on the printer in landscape. False when no printer is chosen (nothing is
// printed) or the printout failed (error says why; nothing is left on the printer or on disk).
bool ResultListPrint(QPrinter& printer, const QAbstractItemModel& list, const TListPrintColumns& columns,
                     const QString& title, const QString& subtitle, QString* error = nullptr);

} // namespace tvp
