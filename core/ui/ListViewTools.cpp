#include "core/ui/ListViewTools.h"

#include "core/lists/ListSorting.h"
#include "core/connection/UncaughtErrors.h"

#include <QHeaderView>
#include <QTreeWidget>

#include <exception>

namespace tvp {

namespace {

// Qt's list views have no Tag and no compare event; this child object carries both.
class TSortState : public QObject {
    Q_OBJECT
public:
    explicit TSortState(QTreeWidget& owner) : QObject(&owner) {}
    TSortInformation info;
    TListViewCompare compare;
    bool sortsOnClick = false;
};

TSortState* findState(const QTreeWidget& listView)
{
    return listView.findChild<TSortState*>(QString(), Qt::FindDirectChildrenOnly);
}

TSortState& state(QTreeWidget& listView)
{
    TSortState* s = findState(listView);
    if (!s)
        s = new TSortState(listView);
    // The identifier follows the widget's place, which may have changed since.
    s->info.setIdentifier(getListViewIndentifier(listView));
    return *s;
}

} // namespace

void initListView(QTreeWidget& listView, TListViewCompare compare)
{
    TSortState& s = state(listView);
    s.compare = std::move(compare);
    s.info.read();

    if (s.sortsOnClick)
        return;
    s.sortsOnClick = true;
    QHeaderView* header = listView.header();
    header->setSectionsClickable(true);
    QObject::connect(header, &QHeaderView::sectionClicked, &s, [lv = &listView](int column) {
        try {
            SortListView(*lv, column, true);
        } catch (const std::exception& e) {
            reportUncaught(QString::fromUtf8(e.what()));
        } catch (...) {
            reportUncaught(QStringLiteral("Unbekannter Fehler beim Sortieren der Liste"));
        }
    });
}

int getSortCol(const QTreeWidget& listView)
{
    const TSortState* s = findState(listView);
    return s ? s->info.getSortCol(listView.columnCount()) : 0;
}

void setSortCol(QTreeWidget& listView, int column)
{
    state(listView).info.setSortCol(column);
}

bool getSortDir(const QTreeWidget& listView)
{
    const TSortState* s = findState(listView);
    return s && s->info.getSortDir();
}

void setSortDir(QTreeWidget& listView, bool reverse)
{
    state(listView).info.setSortDir(reverse);
}

QString getListViewIndentifier(const QWidget& listView)
{
    QString id;
    for (const QWidget* w = &listView; w; w = w->parentWidget()) {
        const QString name = w->objectName();
        if (!name.isEmpty() && !name.startsWith(QLatin1String("qt_")))
            id.prepend(name + u'.');
    }
    return id;
}

void SortListView(QTreeWidget& listView, int column, bool toggle)
{
    if (state(listView).info.click(column, listView.columnCount(), toggle))
        resortListView(listView);
}

void resortListView(QTreeWidget& listView)
{
    const TSortState* s = findState(listView);
    if (!s || !s->compare)
        return;
    // The rows' order comes from the list's model; the window's compare sees the items.
    const TListViewCompare compare = s->compare;
    const QList<QTreeWidgetItem*> items = [&] {
        QList<QTreeWidgetItem*> out;
        for (int i = 0; i < listView.topLevelItemCount(); ++i)
            out.append(listView.topLevelItem(i));
        return out;
    }();
    // Sorted before anything is taken out, so a failing compare leaves the list as it was.
    const std::vector<int> order =
        sortedRows(*listView.model(), getSortCol(listView), getSortDir(listView),
                   [&](const QAbstractItemModel&, int column, int row1, int row2, bool descending) {
                       return compare(column, items[row1], items[row2], descending);
                   });

    // Taking the rows out loses selection and current row; they are put back afterwards.
    QTreeWidgetItem* current = listView.currentItem();
    const QList<QTreeWidgetItem*> selected = listView.selectedItems();
    listView.invisibleRootItem()->takeChildren();
    QList<QTreeWidgetItem*> rows;
    for (int row : order)
        rows.append(items[row]);
    listView.addTopLevelItems(rows);
    if (current)
        listView.setCurrentItem(current, 0, QItemSelectionModel::NoUpdate);
    for (QTreeWidgetItem* item : selected)
        item->setSelected(true);
}

} // namespace tvp

#include "ListViewTools.moc"
