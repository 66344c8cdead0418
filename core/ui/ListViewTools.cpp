#include "core/ui/ListViewTools.h"

#include "core/util/IniHandler.h"
#include "core/connection/UncaughtErrors.h"

#include <QHeaderView>
#include <QTreeWidget>

#include <algorithm>
#include <exception>

namespace tvp {

namespace {

const QString kSection = QStringLiteral("SortInformation");
constexpr int kReverseBit = 1 << 16;

// Qt's list views have no Tag and no compare event; this child object carries both.
class TSortState : public QObject {
    Q_OBJECT
public:
    explicit TSortState(QTreeWidget& owner) : QObject(&owner) {}
    int tag = 0;
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
    return s ? *s : *new TSortState(listView);
}

int tagOf(const QTreeWidget& listView)
{
    const TSortState* s = findState(listView);
    return s ? s->tag : 0;
}

void writeSettings(const QTreeWidget& listView)
{
    const QString id = getListViewIndentifier(listView);
    WriteIniInteger(kSection, id + QStringLiteral("sortCol"), getSortCol(listView));
    WriteIniInteger(kSection, id + QStringLiteral("sortDir"), getSortDir(listView) ? 1 : 0);
}

} // namespace

void initListView(QTreeWidget& listView, TListViewCompare compare)
{
    TSortState& s = state(listView);
    s.tag = 0;
    s.compare = std::move(compare);
    const QString id = getListViewIndentifier(listView);
    setSortCol(listView, ReadIniInteger(kSection, id + QStringLiteral("sortCol"), 0));
    setSortDir(listView, ReadIniInteger(kSection, id + QStringLiteral("sortDir"), 0) != 0);

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
    const int column = qint16(tagOf(listView) & 0xFFFF);
    return column >= 0 && column < listView.columnCount() ? column : 0;
}

void setSortCol(QTreeWidget& listView, int column)
{
    TSortState& s = state(listView);
    s.tag = (s.tag & ~0xFFFF) | (column & 0xFFFF);
}

bool getSortDir(const QTreeWidget& listView)
{
    return (tagOf(listView) & kReverseBit) != 0;
}

void setSortDir(QTreeWidget& listView, bool reverse)
{
    TSortState& s = state(listView);
    s.tag = reverse ? s.tag | kReverseBit : s.tag & ~kReverseBit;
}

QString getListViewIndentifier(const QTreeWidget& listView)
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
    if (column < 0 || column >= listView.columnCount())
        return;
    if (toggle)
        setSortDir(listView, column == getSortCol(listView) && !getSortDir(listView));
    setSortCol(listView, column);
    writeSettings(listView);
    resortListView(listView);
}

void resortListView(QTreeWidget& listView)
{
    const TSortState* s = findState(listView);
    if (!s || !s->compare)
        return;
    const int column = getSortCol(listView);
    const bool reverse = getSortDir(listView);

    // Sorted before anything is taken out, so a failing compare leaves the list as it was.
    QList<QTreeWidgetItem*> rows;
    for (int i = 0; i < listView.topLevelItemCount(); ++i)
        rows.append(listView.topLevelItem(i));
    const TListViewCompare compare = s->compare;
    std::stable_sort(rows.begin(), rows.end(), [&](const QTreeWidgetItem* a, const QTreeWidgetItem* b) {
        return compare(column, a, b, reverse) < 0;
    });

    // Taking the rows out loses selection and current row; they are put back afterwards.
    QTreeWidgetItem* current = listView.currentItem();
    const QList<QTreeWidgetItem*> selected = listView.selectedItems();
    listView.invisibleRootItem()->takeChildren();
    listView.addTopLevelItems(rows);
    if (current)
        listView.setCurrentItem(current, 0, QItemSelectionModel::NoUpdate);
    for (QTreeWidgetItem* item : selected)
        item->setSelected(true);
}

} // namespace tvp

#include "ListViewTools.moc"
