#pragma once
// The remembered sort column and direction of a list, and sorting its rows.
//
// The state is the list's "Tag": bits 0-15 the column (signed 16 bit), bit 16 the reverse order.
// It is kept in the settings section SortInformation under <identifier>sortCol and
// <identifier>sortDir, where the identifier names the list and its parents ("AthleteForm.Panel1.ListView1.").
// Compares get the direction and invert their own result for the reverse order.

#include <QSortFilterProxyModel>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace tvp {

class TSortInformation {
public:
    explicit TSortInformation(QString identifier = {}) : identifier_(std::move(identifier)) {}

    const QString& identifier() const { return identifier_; }
    void setIdentifier(QString identifier) { identifier_ = std::move(identifier); }
    int tag() const { return tag_; }

    // Clears the state, then reads it from the settings (anything but 0 is the reverse order).
    void read();
    // Stores column and direction.
    void write(int columnCount) const;

    // The stored column when it is one of the list's columns, else 0.
    int getSortCol(int columnCount) const;
    void setSortCol(int column);
    // True means the reverse order.
    bool getSortDir() const;
    void setSortDir(bool reverse);

    // A column click: ignored (false) for a column the list does not have. With toggle another
    // column starts in the normal order and the current one reverses. Stores the state.
    bool click(int column, int columnCount, bool toggle);

private:
    QString identifier_;
    int tag_ = 0;
};

// Negative when row1 comes first in the normal order; with descending set it inverts its result.
using TRowCompare =
    std::function<int(const QAbstractItemModel& model, int column, int row1, int row2, bool descending)>;

// The compare of every sortable list: column 0, or a column either row has no cell for, compares
// the first column. Cells that read as results come first, ordered by value; then texts; empty last.
int CompareListRows(const QAbstractItemModel& model, int column, int row1, int row2, bool descending);

// The model's rows in sorted order (stable: equal rows keep their order). A failing compare
// throws before anything is changed anywhere.
std::vector<int> sortedRows(const QAbstractItemModel& model, int column, bool reverse, const TRowCompare& compare);

// A sorted view of a source model with the stored state: put it between the model and its view.
class TSortedListModel : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit TSortedListModel(QString identifier, TRowCompare compare = CompareListRows, QObject* parent = nullptr);
    ~TSortedListModel() override;

    TSortInformation& sortInformation() { return info_; }
    const TSortInformation& sortInformation() const { return info_; }

    // Reads the stored state and sorts by it (the window calls it once, when it is created).
    void initListView();
    int getSortCol() const;
    bool getSortDir() const;
    // A column click: see TSortInformation::click; sorts anew.
    void SortListView(int column, bool toggle);
    // Sorts by the current state again.
    void resort();

    void setSourceModel(QAbstractItemModel* source) override;

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    int columns() const;
    // The list compare on cells read once per sort; any change of the source reads them anew.
    int compareByKeys(int column, int row1, int row2) const;

    struct TSortKeys;
    TSortInformation info_;
    TRowCompare compare_;
    bool listCompare_ = false; // compare_ is CompareListRows
    std::unique_ptr<TSortKeys> keys_;
    std::vector<QMetaObject::Connection> sourceWatch_;
    mutable bool failureReported_ = false;
};

} // namespace tvp
