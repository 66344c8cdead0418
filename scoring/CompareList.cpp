#include "scoring/CompareList.h"

#include "core/results/tvpUtils.h"

#include <QBuffer>
#include <QDataStream>
#include <QMimeData>
#include <QCollator>
#include <QLocale>

#include <algorithm>

namespace tvp {

TCompareListModel::TCompareListModel(std::vector<TCompareColumn> columns, QColor same, QColor warning, QColor deviant,
                                     int cupId, QObject* parent)
    : QAbstractItemModel(parent), columns_(std::move(columns)), colours_{same, warning, deviant}, cupId_(cupId)
{
}

int TCompareListModel::addItem()
{
    Root root;
    root.cells.resize(columns_.size());
    roots_.push_back(std::move(root));
    if (!filterApplied_)
        filtered_ = int(roots_.size());
    return int(roots_.size()) - 1;
}

int TCompareListModel::addSubItem(int root)
{
    Row row;
    row.cells.resize(columns_.size());
    roots_.at(root).children.push_back(std::move(row));
    return int(roots_[root].children.size()) - 1;
}

int TCompareListModel::getNoOfSubItems(int root) const
{
    return root >= 0 && root < int(roots_.size()) ? int(roots_[root].children.size()) : 0;
}

const TCompareColumn* TCompareListModel::getCol(int i) const
{
    return i >= 0 && i < int(columns_.size()) ? &columns_[i] : nullptr;
}

TCompareListModel::Row& TCompareListModel::rowOf(int root, int child)
{
    Root& r = roots_.at(root);
    return child < 0 ? static_cast<Row&>(r) : r.children.at(child);
}

const TCompareListModel::Row& TCompareListModel::rowOf(int root, int child) const
{
    const Root& r = roots_.at(root);
    return child < 0 ? static_cast<const Row&>(r) : r.children.at(child);
}

void TCompareListModel::setCell(int root, int child, int column, const QString& text)
{
    Cell& cell = rowOf(root, child).cells.at(column);
    cell.name = text;
    cell.own = text;
    if (child >= 0 && columns_[column].compareToRoot) {
        rowOf(root, child).cells[column].status = compareCell(roots_[root], column, text);
        // Comparing may mark the root's other children too.
        if (roots_[root].expanded)
            for (int c = 0; c < int(roots_[root].children.size()); ++c)
                rowChanged(root, c);
        return;
    }
    rowChanged(root, child);
}

QString TCompareListModel::cellText(int root, int child, int column) const
{
    return rowOf(root, child).cells.at(column).name;
}

TCellStatus TCompareListModel::cellStatus(int root, int child, int column) const
{
    return rowOf(root, child).cells.at(column).status;
}

void TCompareListModel::setCustomItemID(int root, int child, int id)
{
    rowOf(root, child).customItemId = id;
}

void TCompareListModel::setCompleted(int root, bool completed)
{
    roots_.at(root).completed = completed;
    rowChanged(root, -1);
}

void TCompareListModel::addExpandedData(QVariantList& list) const
{
    for (const Root& r : roots_)
        if (r.expanded)
            list.append(r.data);
}

TCellStatus TCompareListModel::compareCell(Root& root, int column, const QString& text)
{
    Cell& r = root.cells[column];
    if (r.name.isEmpty()) {
        const auto first = std::find_if(root.children.begin(), root.children.end(),
                                        [column](const Row& c) { return !c.cells[column].name.isEmpty(); });
        if (first != root.children.end()) {
            r.name = first->cells[column].name;
            for (Row& c : root.children)
                if (c.cells[column].name.isEmpty()) {
                    c.cells[column].status = TCellStatus::cs_deviant;
                    r.status = TCellStatus::cs_warning;
                }
        }
    }
    const bool equal = r.name == text;
    TCellStatus result = TCellStatus::cs_same;
    if (!equal) {
        r.status = TCellStatus::cs_warning;
        result = TCellStatus::cs_deviant;
    }
    // A column the cup item does not own shows the children's common value, or nothing.
    if (!columns_[column].editable)
        r.name = equal || text.isEmpty() ? text : r.own;
    rowChanged(int(&root - roots_.data()), -1);
    return result;
}

int TCompareListModel::shownRowOf(int root, int child) const
{
    const auto it = std::find(shown_.begin(), shown_.end(), Shown{root, child});
    return it == shown_.end() ? -1 : int(it - shown_.begin());
}

void TCompareListModel::rowChanged(int root, int child)
{
    const int row = shownRowOf(root, child);
    if (row >= 0)
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

bool TCompareListModel::rowItem(int row, int& root, int& child) const
{
    if (row < 0 || row >= int(shown_.size()))
        return false;
    root = shown_[row].root;
    child = shown_[row].child;
    return true;
}

int TCompareListModel::rowOfItem(int customItemId) const
{
    for (int row = 0; row < int(shown_.size()); ++row)
        if (shown_[row].child < 0 && roots_[shown_[row].root].customItemId == customItemId)
            return row;
    return -1;
}

void TCompareListModel::expandClick(int row)
{
    int root = 0, child = 0;
    if (!rowItem(row, root, child) || child >= 0)
        return;
    Root& r = roots_[root];
    const int n = int(r.children.size());
    if (!r.expanded) {
        r.expanded = true;
        if (n > 0) {
            beginInsertRows({}, row + 1, row + n);
            for (int c = 0; c < n; ++c)
                shown_.insert(shown_.begin() + row + 1 + c, Shown{root, c});
            endInsertRows();
        }
    } else {
        r.expanded = false;
        if (n > 0) {
            beginRemoveRows({}, row + 1, row + n);
            shown_.erase(shown_.begin() + row + 1, shown_.begin() + row + 1 + n);
            endRemoveRows();
        }
    }
    emit dataChanged(index(row, 1), index(row, 1));
}

void TCompareListModel::setSortInfo(const TCompareListSortInfo& info)
{
    sortInfo_ = info;
    emit layoutAboutToBeChanged();
    const QModelIndexList before = persistentIndexList();
    std::vector<Shown> keys;
    for (const QModelIndex& i : before)
        keys.push_back(shown_[i.row()]);
    sortShown();
    QModelIndexList after;
    for (int k = 0; k < before.size(); ++k) {
        const int row = shownRowOf(keys[k].root, keys[k].child);
        after.append(row < 0 ? QModelIndex() : index(row, before[k].column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged();
}

void TCompareListModel::columnClicked(int listColumn)
{
    if (listColumn < kLeadingColumns || listColumn >= columnCount())
        return;
    TCompareListSortInfo info = sortInfo_;
    const int col = listColumn - kLeadingColumns;
    info.DownwardSort = info.ColToCompare == col ? !info.DownwardSort : false;
    info.ColToCompare = col;
    setSortInfo(info);
}

std::vector<TCompareListModel::Shown> TCompareListModel::layoutOf(const std::vector<int>& rootOrder) const
{
    std::vector<Shown> rows;
    for (int root : rootOrder) {
        rows.push_back({root, -1});
        if (roots_[root].expanded)
            for (int c = 0; c < int(roots_[root].children.size()); ++c)
                rows.push_back({root, c});
    }
    return rows;
}

void TCompareListModel::sortShown()
{
    const int col = sortInfo_.ColToCompare;
    if (col >= 0 && col < int(columns_.size())) {
        QCollator collator{QLocale()};
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        const auto compare = [&](int a, int b) {
            const QString& ta = roots_[a].cells[col].name;
            const QString& tb = roots_[b].cells[col].name;
            bool okA = false, okB = false;
            const qlonglong na = ta.toLongLong(&okA), nb = tb.toLongLong(&okB);
            int result = 0;
            if (okA && okB && na >= 0 && nb >= 0)
                result = na < nb ? -1 : (na > nb ? 1 : 0);
            else
                result = collator.compare(ta, tb);
            return sortInfo_.DownwardSort ? -result : result;
        };
        std::stable_sort(shownRoots_.begin(), shownRoots_.end(), [&](int a, int b) { return compare(a, b) < 0; });
    }
    shown_ = layoutOf(shownRoots_);
}

void TCompareListModel::setChildCountFilter(TComparatorType comparator, int count)
{
    beginResetModel();
    filterApplied_ = true;
    shownRoots_.clear();
    for (int root = 0; root < int(roots_.size()); ++root) {
        const int n = int(roots_[root].children.size());
        bool pass = false;
        switch (comparator) {
        case TComparatorType::ct_none: pass = true; break;
        case TComparatorType::ct_greaterThanOrEqual: pass = n >= count; break;
        case TComparatorType::ct_equals: pass = n == count; break;
        case TComparatorType::ct_lessThanOrEqual: pass = n <= count; break;
        }
        if (pass)
            shownRoots_.push_back(root);
    }
    filtered_ = int(shownRoots_.size());
    sortShown();
    endResetModel();
}

QByteArray TCompareListModel::toCsv(bool mark, bool header, bool cupOnly, TRespelledNames* respelled) const
{
    QByteArray bytes;
    QBuffer out(&bytes);
    out.open(QIODevice::WriteOnly);
    const int cells = cupOnly ? std::max(0, int(columns_.size()) - 1) : int(columns_.size());
    const auto line = [&](const QStringList& fields) {
        for (int i = 0; i < fields.size(); ++i) {
            if (i > 0)
                out.write(";");
            writeStringCsvEscaped(out, fields[i], respelled);
        }
        out.write("\r\n");
    };
    if (header) {
        QStringList fields;
        if (!cupOnly)
            fields << QStringLiteral("Zugeordnet") << QString();
        for (int c = 0; c < cells; ++c)
            fields << columns_[c].Caption;
        line(fields);
    }
    const auto rowLine = [&](const Row& row, bool isRoot) {
        QStringList fields;
        if (!cupOnly)
            fields << (mark ? QStringLiteral("x") : QStringLiteral(" "))
                   << (isRoot ? QStringLiteral("- ") : QStringLiteral("|_"));
        for (int c = 0; c < cells; ++c)
            fields << row.cells[c].name;
        line(fields);
    };
    for (int root : shownRoots_) {
        rowLine(roots_[root], true);
        if (!cupOnly)
            for (const Row& child : roots_[root].children)
                rowLine(child, false);
    }
    return bytes;
}

QModelIndex TCompareListModel::index(int row, int column, const QModelIndex& parent) const
{
    if (parent.isValid() || row < 0 || row >= int(shown_.size()) || column < 0 || column >= columnCount())
        return {};
    return createIndex(row, column);
}

QModelIndex TCompareListModel::parent(const QModelIndex&) const
{
    return {};
}

int TCompareListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(shown_.size());
}

int TCompareListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kLeadingColumns + int(columns_.size());
}

QVariant TCompareListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= int(shown_.size()))
        return {};
    const Shown s = shown_[index.row()];
    const Row& row = rowOf(s.root, s.child);
    const int col = index.column() - kLeadingColumns;
    switch (role) {
    case Qt::DisplayRole:
        if (index.column() == 1)
            return s.child >= 0 ? QStringLiteral("|_")
                                : (roots_[s.root].expanded ? QStringLiteral("-") : QStringLiteral("+"));
        return col >= 0 ? QVariant(row.cells[col].name) : QVariant(QString());
    case Qt::BackgroundRole:
        if (col >= 0 && columns_[col].compareToRoot)
            return colours_[int(row.cells[col].status)];
        // The row caption carries the row's brush: done, pending, or a plain child row.
        if (index.column() == 0 && s.child < 0)
            return roots_[s.root].completed ? colours_[0] : colours_[1];
        return {};
    default: return {};
    }
}

int TCompareListModel::columnWidth(int section) const
{
    if (section < 0 || section >= columnCount())
        return 0;
    return section < kLeadingColumns ? 20 : columns_[section - kLeadingColumns].width;
}

QVariant TCompareListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return {};
    if (role == Qt::DisplayRole)
        return section < kLeadingColumns ? QString() : columns_[section - kLeadingColumns].Caption;
    return {};
}

std::vector<TDraggedCompareRow> draggedCompareRows(const QByteArray& bytes)
{
    std::vector<TDraggedCompareRow> rows;
    QDataStream in(bytes);
    while (!in.atEnd()) {
        bool child = false;
        qint32 id = 0;
        in >> child >> id;
        if (in.status() != QDataStream::Ok)
            break;
        rows.push_back({child, int(id)});
    }
    return rows;
}

QMimeData* TCompareListModel::mimeData(const QModelIndexList& indexes) const
{
    std::vector<int> rows;
    for (const QModelIndex& i : indexes)
        if (i.isValid() && i.row() < int(shown_.size()))
            rows.push_back(i.row());
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    for (int row : rows) {
        const Shown s = shown_[row];
        out << (s.child >= 0) << qint32(rowOf(s.root, s.child).customItemId);
    }
    auto* data = new QMimeData;
    data->setData(kCompareRowsMimeType, bytes);
    return data;
}

Qt::ItemFlags TCompareListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
}

} // namespace tvp
