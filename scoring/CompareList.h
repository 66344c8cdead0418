#pragma once
// A two-level compare list as one flat item model: a row per cup item, followed by the rows of
// its competition items while it is expanded. Child cells of compared columns are checked
// against the cup item's cell and coloured, so disagreeing names, age classes or clubs stand out.
// List column 0 is the row caption (empty), column 1 the expand marker; cells start at column 2.

#include <QAbstractItemModel>
#include <QByteArray>
#include <QColor>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <vector>

namespace tvp {

class TRespelledNames;

// A drag of shown rows: per row, in list order, whether it is a child row and its item id.
inline const QString kCompareRowsMimeType = QStringLiteral("application/x-tvp-compare-rows");

struct TDraggedCompareRow {
    bool child = false;
    int id = 0;
};
std::vector<TDraggedCompareRow> draggedCompareRows(const QByteArray& bytes);

enum class TCellStatus { cs_same, cs_warning, cs_deviant };
enum class TComparatorType { ct_none, ct_greaterThanOrEqual, ct_equals, ct_lessThanOrEqual };

struct TCompareListSortInfo {
    int ColToCompare = 0;
    bool DownwardSort = false;
};

struct TCompareColumn {
    bool compareToRoot = false;
    bool editable = false;
    QString Caption;
    int width = 0;
};

class TCompareListModel : public QAbstractItemModel {
public:
    static constexpr int kLeadingColumns = 2;

    TCompareListModel(std::vector<TCompareColumn> columns, QColor same, QColor warning, QColor deviant, int cupId,
                      QObject* parent = nullptr);

    // Filling: roots and children are not shown until the next filter pass.
    int addItem();
    int addSubItem(int root);
    void setCell(int root, int child, int column, const QString& text); // child -1: the root row
    QString cellText(int root, int child, int column) const;
    TCellStatus cellStatus(int root, int child, int column) const;
    void setCustomItemID(int root, int child, int id);
    int customItemID(int root, int child) const { return rowOf(root, child).customItemId; }
    // Takes effect at the next filter pass (a reload restoring what was open).
    void setExpanded(int root, bool expanded) { roots_.at(root).expanded = expanded; }
    void setCompleted(int root, bool completed);
    void setData(int root, const QVariant& data) { roots_.at(root).data = data; }
    void addExpandedData(QVariantList& list) const;

    int getNoOfItems() const { return int(roots_.size()); }
    int getNoOfSubItems(int root) const;
    int getNoOfCols() const { return int(columns_.size()); }
    const TCompareColumn* getCol(int i) const;
    // A list column's width in pixels; the two leading ones are narrow.
    int columnWidth(int section) const;
    int cupId() const { return cupId_; }
    // Equals the number of roots until a filter has run.
    int noOfFilteredItems() const { return filtered_; }

    // The shown row's root and child (-1 for a root row); false outside the shown rows.
    bool rowItem(int row, int& root, int& child) const;
    // The shown row of the item with that id, -1 when it is not shown.
    int rowOfItem(int customItemId) const;
    // Flips a shown root between expanded and collapsed; child rows are left alone.
    void expandClick(int row);
    bool isExpanded(int root) const { return roots_.at(root).expanded; }

    TCompareListSortInfo sortInfo() const { return sortInfo_; }
    void setSortInfo(const TCompareListSortInfo& info);
    // A click on a list column: the leading two don't sort, the same column twice flips.
    void columnClicked(int listColumn);

    // Shows the roots whose number of children passes, in insertion order, then sorts.
    void setChildCountFilter(TComparatorType comparator, int count);

    // The shown roots in display order, Windows-1252, ";" and CR LF. Full mode adds a mark and a
    // row marker to each line and lists every root's children; cup-only drops the last column.
    // Words the code page makes it write otherwise go to respelled.
    QByteArray toCsv(bool mark, bool header, bool cupOnly, TRespelledNames* respelled = nullptr) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override { return {kCompareRowsMimeType}; }
    QMimeData* mimeData(const QModelIndexList& indexes) const override;

private:
    struct Cell {
        TCellStatus status = TCellStatus::cs_same;
        QString name; // shown
        QString own;
    };
    struct Row {
        std::vector<Cell> cells;
        int customItemId = 0;
    };
    struct Root : Row {
        std::vector<Row> children;
        bool completed = false;
        bool expanded = false;
        QVariant data;
    };
    struct Shown {
        int root;
        int child;
        bool operator==(const Shown&) const = default;
    };

    Row& rowOf(int root, int child);
    const Row& rowOf(int root, int child) const;
    TCellStatus compareCell(Root& root, int column, const QString& text);
    void rowChanged(int root, int child);
    int shownRowOf(int root, int child) const;
    void sortShown();
    std::vector<Shown> layoutOf(const std::vector<int>& rootOrder) const;

    std::vector<TCompareColumn> columns_;
    QColor colours_[3];
    int cupId_;
    std::vector<Root> roots_;
    std::vector<int> shownRoots_; // display order
    std::vector<Shown> shown_;
    TCompareListSortInfo sortInfo_;
    int filtered_ = 0;
    bool filterApplied_ = false;
};

} // namespace tvp
