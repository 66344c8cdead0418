#pragma once
// The place of a list view among its parents, under which its sort state is stored.

#include <QString>

class QWidget;

namespace tvp {

// The object names of the list view and its parents, outermost first, each followed by ".",
// e.g. "AthleteForm.Panel1.ListView1.". Unnamed widgets and Qt's own ("qt_...") are left out.
// Views of a sorted model (TSortedListModel) take their identifier from here.
QString getListViewIndentifier(const QWidget& listView);

} // namespace tvp
