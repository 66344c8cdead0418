#include "core/lists/ListSorting.h"

#include "core/connection/UncaughtErrors.h"
#include "core/lists/ListCells.h"
#include "core/results/tvpUtils.h"
#include "core/util/IniHandler.h"

#include <algorithm>
#include <exception>
#include <numeric>

namespace tvp {

namespace {

const QString kSection = QStringLiteral("SortInformation");
constexpr int kReverseBit = 1 << 16;

} // namespace

// ---- state ----

void TSortInformation::read()
{
    tag_ = 0;
    setSortCol(ReadIniInteger(kSection, identifier_ + QStringLiteral("sortCol"), 0));
    setSortDir(ReadIniInteger(kSection, identifier_ + QStringLiteral("sortDir"), 0) != 0);
}

void TSortInformation::write(int columnCount) const
{
    WriteIniInteger(kSection, identifier_ + QStringLiteral("sortCol"), getSortCol(columnCount));
    WriteIniInteger(kSection, identifier_ + QStringLiteral("sortDir"), getSortDir() ? 1 : 0);
}

int TSortInformation::getSortCol(int columnCount) const
{
    const int column = qint16(tag_ & 0xFFFF);
    return column >= 0 && column < columnCount ? column : 0;
}

void TSortInformation::setSortCol(int column)
{
    tag_ = (tag_ & ~0xFFFF) | (column & 0xFFFF);
}

bool TSortInformation::getSortDir() const
{
    return (tag_ & kReverseBit) != 0;
}

void TSortInformation::setSortDir(bool reverse)
{
    tag_ = reverse ? tag_ | kReverseBit : tag_ & ~kReverseBit;
}

bool TSortInformation::click(int column, int columnCount, bool toggle)
{
    if (column < 0 || column >= columnCount)
        return false;
    if (toggle)
        setSortDir(column == getSortCol(columnCount) && !getSortDir());
    setSortCol(column);
    write(columnCount);
    return true;
}

// ---- compare and sort ----

int CompareListRows(const QAbstractItemModel& model, int column, int row1, int row2, bool descending)
{
    // Column k > 0 is the row's sub-item k - 1 in the original sense; rows may have fewer cells.
    const bool ownCells = column > 0 && hasCell(model, row1, column) && hasCell(model, row2, column);
    const int c = ownCells ? column : 0;
    return CompareListTexts(cellText(model, row1, c), cellText(model, row2, c), descending);
}

std::vector<int> sortedRows(const QAbstractItemModel& model, int column, bool reverse, const TRowCompare& compare)
{
    std::vector<int> rows(std::size_t(std::max(0, model.rowCount())));
    std::iota(rows.begin(), rows.end(), 0);
    std::stable_sort(rows.begin(), rows.end(), [&](int a, int b) { return compare(model, column, a, b, reverse) < 0; });
    return rows;
}

// ---- sorted model ----

// The cells of the sort column (and, for rows without a cell there, of the first column) as sort
// keys, one per source row.
struct TSortedListModel::TSortKeys {
    bool valid = false;
    int column = -1;
    std::vector<TListSortKey> keys;
    std::vector<bool> hasCell;
    std::vector<TListSortKey> firstColumn; // made when a row lacks the cell

    void invalidate()
    {
        valid = false;
        keys.clear();
        hasCell.clear();
        firstColumn.clear();
    }
};

TSortedListModel::TSortedListModel(QString identifier, TRowCompare compare, QObject* parent)
    : QSortFilterProxyModel(parent),
      info_(std::move(identifier)),
      compare_(std::move(compare)),
      keys_(std::make_unique<TSortKeys>())
{
    using Compare = int (*)(const QAbstractItemModel&, int, int, int, bool);
    const Compare* target = compare_.target<Compare>();
    listCompare_ = target && *target == &CompareListRows;
}

TSortedListModel::~TSortedListModel() = default;

void TSortedListModel::setSourceModel(QAbstractItemModel* source)
{
    for (const QMetaObject::Connection& c : sourceWatch_)
        disconnect(c);
    sourceWatch_.clear();
    keys_->invalidate();
    // Connected before the base class connects its own handlers, so the keys are dropped before
    // any re-sort of a change reads them.
    if (source) {
        const auto drop = [this] { keys_->invalidate(); };
        sourceWatch_ = {
            connect(source, &QAbstractItemModel::modelAboutToBeReset, this, drop),
            connect(source, &QAbstractItemModel::rowsAboutToBeInserted, this, drop),
            connect(source, &QAbstractItemModel::rowsAboutToBeRemoved, this, drop),
            connect(source, &QAbstractItemModel::rowsAboutToBeMoved, this, drop),
            connect(source, &QAbstractItemModel::columnsAboutToBeInserted, this, drop),
            connect(source, &QAbstractItemModel::columnsAboutToBeRemoved, this, drop),
            connect(source, &QAbstractItemModel::layoutAboutToBeChanged, this, drop),
            connect(source, &QAbstractItemModel::dataChanged, this, drop),
        };
    }
    QSortFilterProxyModel::setSourceModel(source);
}

int TSortedListModel::compareByKeys(int column, int row1, int row2) const
{
    const QAbstractItemModel& model = *sourceModel();
    TSortKeys& k = *keys_;
    if (!k.valid || k.column != column) {
        k.invalidate();
        const int rows = model.rowCount();
        k.keys.reserve(std::size_t(rows));
        k.hasCell.reserve(std::size_t(rows));
        bool someLack = false;
        for (int r = 0; r < rows; ++r) {
            const bool has = column == 0 || hasCell(model, r, column);
            someLack = someLack || !has;
            k.hasCell.push_back(has);
            k.keys.push_back(listSortKey(has ? cellText(model, r, column) : QString(), true));
        }
        if (someLack && column > 0)
            for (int r = 0; r < rows; ++r)
                k.firstColumn.push_back(listSortKey(cellText(model, r, 0), true));
        k.column = column;
        k.valid = true;
    }
    // As CompareListRows: a pair where either row lacks the cell compares the first column.
    const auto a = std::size_t(row1), b = std::size_t(row2);
    const bool ownCells = column == 0 || (k.hasCell[a] && k.hasCell[b]);
    const std::vector<TListSortKey>& keys = ownCells ? k.keys : k.firstColumn;
    return compareListSortKeys(keys[a], keys[b]);
}

int TSortedListModel::columns() const
{
    return sourceModel() ? sourceModel()->columnCount() : 0;
}

void TSortedListModel::initListView()
{
    info_.read();
    resort();
}

int TSortedListModel::getSortCol() const
{
    return info_.getSortCol(columns());
}

bool TSortedListModel::getSortDir() const
{
    return info_.getSortDir();
}

void TSortedListModel::SortListView(int column, bool toggle)
{
    if (info_.click(column, columns(), toggle))
        resort();
}

void TSortedListModel::resort()
{
    if (!sourceModel())
        return;
    failureReported_ = false;
    // The compare reverses itself; Qt always sorts "ascending" by it.
    sort(-1);
    sort(getSortCol(), Qt::AscendingOrder);
}

bool TSortedListModel::lessThan(const QModelIndex& left, const QModelIndex& right) const
{
    // Nothing may unwind through Qt's sort: a failing compare leaves the rows unordered, not lost.
    try {
        if (listCompare_) {
            const int c = compareByKeys(left.column(), left.row(), right.row());
            return (info_.getSortDir() ? -c : c) < 0;
        }
        return compare_(*sourceModel(), left.column(), left.row(), right.row(), info_.getSortDir()) < 0;
    } catch (const std::exception& e) {
        if (!failureReported_)
            reportUncaught(QString::fromUtf8(e.what()));
        failureReported_ = true;
    } catch (...) {
        if (!failureReported_)
            reportUncaught(QStringLiteral("Unbekannter Fehler beim Sortieren der Liste"));
        failureReported_ = true;
    }
    return false;
}

} // namespace tvp
